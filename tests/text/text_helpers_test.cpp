#include <gtest/gtest.h>

#include "support/fake_events.h"
#include "support/gbk.h"
#include "text/code_page.h"
#include "text/text_helpers.h"

namespace lilan {
namespace {

using test::Gbk;

TEST(TextBetween, WalksPairsWithKeptStart) {
    Pos start = 0;
    EXPECT_EQ(TextBetween("a<b>c<d>e", "<", ">", &start), "b");
    EXPECT_EQ(start, 5);
    EXPECT_EQ(TextBetween("a<b>c<d>e", "<", ">", &start), "d");
    EXPECT_EQ(start, 9);
    EXPECT_EQ(TextBetween("a<b>c<d>e", "<", ">", &start), "");
    EXPECT_EQ(start, -2);
    EXPECT_EQ(TextBetween("a<b>c<d>e", "<", ">", &start), "");
    EXPECT_EQ(start, -2);
}

TEST(TextBetween, Cases) {
    struct Case {
        std::string text, head, tail, expected;
    };
    const Case cases[] = {
        {"<TITLE>Hi</Title>", "<title>", "</title>", "Hi"},
        {"abc def", "", " ", "abc"},
        {"abc def", "c", "", " def"},
        {"href=\"u\">", "href=''", "''", "u"},
        {"href=u>", "href=''", ">", "u"},
        {"head only", "head", "zz", ""},
        {"<a></a>", "<a>", "</a>", ""},
        {Gbk("亅|x|"), "|", "|", "x"}, // the 7C inside 亅 is no separator
        {"", "a", "b", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextBetween(c.text, c.head, c.tail), c.expected) << c.text;

    Pos start = 0;
    EXPECT_EQ(TextBetween("abc", "a", "z", &start), "");
    EXPECT_EQ(start, -2);
    start = 0;
    EXPECT_EQ(TextBetween("abc def", "", " ", &start), "abc");
    EXPECT_EQ(start, 13); // counts the 8 bytes of the start marker
}

TEST(TextBetween, OffsetsAndBackward) {
    EXPECT_EQ(TextBetween("x[abcd]y", "[", "]", nullptr, false, 1, 1), "bc");
    EXPECT_EQ(TextBetween("x[abcd]y", "[", "]", nullptr, false, -1, -1), "[abcd]");
    EXPECT_EQ(TextBetween("x[ab]y", "[", "]", nullptr, false, 5), "");
    EXPECT_EQ(TextBetween("x[ab]y", "[", "]", nullptr, false, -9), "");
    // Backward: the head nearest before the tail.
    Pos start = 0, lastTail = 0;
    EXPECT_EQ(TextBetween("<a<b>c<d>", "<", ">", &start, true, 0, 0, false, &lastTail), "b");
    EXPECT_EQ(start, 6);
    EXPECT_EQ(TextBetween("<a<b>c<d>", "<", ">", &start, true, 0, 0, false, &lastTail), "d");
    EXPECT_EQ(TextBetween("<a<b>c<d>", "<", ">", &start, true, 0, 0, false, &lastTail), "");
    EXPECT_EQ(start, -2);
}

TEST(TextBetween, WalkOverManyPairsIsLinear) {
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "<meta x=" + std::to_string(i) + ">";
    Pos start = 0;
    int count = 0;
    std::string last;
    for (std::string got; !(got = TextBetween(text, "<meta", ">", &start)).empty(); last = got)
        ++count;
    EXPECT_EQ(count, 20000);
    EXPECT_EQ(last, " x=19999");
}

TEST(BatchReplace, Cases) {
    EXPECT_EQ(BatchReplace("a-b_c", "-|_", "."), "a.bc");
    EXPECT_EQ(BatchReplace("a-b_c", "-|_", ".", false, true), "a.b.c");
    EXPECT_EQ(BatchReplace("abc", ""), "abc");
    EXPECT_EQ(BatchReplace("ABCabc", "b", "x"), "AxCaxc");
    EXPECT_EQ(BatchReplace("ABCabc", "b", "x", true), "ABCaxc");
    EXPECT_EQ(BatchReplace("aaaa", "a", "b", false, false, "|", 2), "bbaa");
    EXPECT_EQ(BatchReplace("a|b", "a|b", "1|2", false, false, ""), "1|2"); // empty separator means "|"
    EXPECT_EQ(BatchReplace("aa", "a|b", "b|c"), "cc"); // each entry works on the result of the one before
    EXPECT_EQ(BatchReplace("aa", "a", "aa"), "aaaa");  // inserted text is not searched again
}

TEST(DecodeEntities, Cases) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"&lt;b&gt;", "<b>"},
        {"&amp;amp;", "&amp;"},
        {"&amp;lt;", "<"},
        {"&AMP;", "&"},
        {"&#65;&#x42;&#X43;", "ABC"},
        {"&#20320;", Gbk("你")},
        {"&#65", "&#65"},
        {"&copy;", "&copy;"},
        {"&#0;x&#;", "x"},
        {"a&nbsp;b&mdash;&hellip;", Gbk("a b—…")},
        {"&Prime;", Gbk("′")}, // matched ignoring case, "&prime;" comes first
        {"&#65&#59;", "A"},    // the ";" that a later reference decodes to closes the earlier one
        {Gbk("&#１２３;"), "{"},    // full-width digits read as ASCII
        {"&#-5;&#99999999999;&#xD800;", ""},
        {"&#128512;", ""},     // outside code page 936
        {"&#x4F60;&#x4f60;", Gbk("你你")},
        {"&#59;", ";"},
        {"&&#35;65;", "A"},        // the "#" a reference decodes to starts one with the "&" before it
        {"\x81&#65;", "\x81&#65;"}, // "&" is the second byte of a character
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeEntities(c.in), c.out) << c.in;
    EXPECT_EQ(DecodeEntities("&lt;&#65;", true), "<&#65;");
}

TEST(DecodeEntities, PumpsEventsOnLongInput) {
    test::CountingEventPump pump;
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += "&#65;";
    const std::string decoded = DecodeEntities(text);
    EXPECT_EQ(decoded, std::string(200000, 'A'));
}

TEST(HexAndUtf16, Conversions) {
    EXPECT_EQ(HexToNumber(""), 0);
    EXPECT_EQ(HexToNumber("ff"), 255);
    EXPECT_EQ(HexToNumber("4F60"), 0x4F60);
    EXPECT_EQ(HexToNumber("12zz"), 0x12);
    EXPECT_EQ(HexToNumber("FFFFFFFF"), -1);
    EXPECT_EQ(Utf16BytesToText(std::string("\x60\x4F\x41\x00", 4)), Gbk("你A"));
    EXPECT_EQ(Utf16BytesToText(std::string("A\0\x00\xD8" "B\0", 6)), "A"); // a lone surrogate ends the text
    EXPECT_EQ(Utf16BytesToText(std::string("A\0B\0\0\0C\0", 8)), "AB");
    EXPECT_EQ(Utf16BytesToText("A"), ""); // odd byte dropped
}

TEST(MatchWordList, Cases) {
    EXPECT_TRUE(MatchWordList("Hello World", "hello|xyz", true));
    EXPECT_FALSE(MatchWordList("Hello World", "hello|xyz", false));
    EXPECT_TRUE(MatchWordList("Hello World", "hello|world"));
    EXPECT_FALSE(MatchWordList("Hello World", "|||", true));
    EXPECT_FALSE(MatchWordList("Hello World", "|||", false));
    EXPECT_FALSE(MatchWordList("Hello World", "", true));
    EXPECT_TRUE(MatchWordList("Hello World", "hello world", false, "|", nullptr, nullptr, false, nullptr, true, true));
    EXPECT_FALSE(MatchWordList("Hello World", "hello", false, "|", nullptr, nullptr, false, nullptr, true, true));
    EXPECT_FALSE(MatchWordList("Hello World", "hello", false, "|", nullptr, nullptr, false, nullptr, false));

    std::string matched;
    Pos position = 0;
    EXPECT_TRUE(MatchWordList("Hello World", "world|xyz", false, "|", &matched, &position));
    EXPECT_EQ(matched, "world");
    EXPECT_EQ(position, 7);

    const std::vector<std::string> words = {"abc"};
    EXPECT_TRUE(MatchWordList("xabcx", "ignored", false, "|", nullptr, nullptr, false, &words));
    // The traditional form of a simplified word is tried when asked.
    EXPECT_TRUE(MatchWordList(Gbk("關鍵詞"), Gbk("关键词"), true, "|", &matched, nullptr, true));
    EXPECT_EQ(matched, Gbk("关键词"));
}

} // namespace
} // namespace lilan
