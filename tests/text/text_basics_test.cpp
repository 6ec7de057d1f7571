#include <climits>
#include <string>
using namespace std::string_literals;
#include <gtest/gtest.h>

#include "support/gbk.h"
#include "text/text_basics.h"

namespace lilan {
namespace {

using test::Gbk;

TEST(FindText, NeverMatchesOnASecondByte) {
    // 丄 is 81 41 ("A" as its second byte), 亅 is 81 7C ("|" as its second byte).
    const std::string text = Gbk("丄A亅|");
    EXPECT_EQ(FindText(text, "A"), 3);
    EXPECT_EQ(FindText(text, "|"), 6);
    EXPECT_EQ(FindText(text, "a", 1, true), 3);
    EXPECT_EQ(FindTextBackward(text, "A"), 3);
    EXPECT_EQ(FindTextBackward(text, "|", 5), -1);
    EXPECT_EQ(FindTextBackward(text, "|"), 6);
}

TEST(FindText, Cases) {
    struct Case {
        std::string text, what;
        Pos start;
        bool ignoreCase;
        Pos forward;
    };
    const Case cases[] = {
        {"abcabc", "bc", 1, false, 2},   {"abcabc", "bc", 3, false, 5}, {"abcabc", "BC", 1, false, -1},
        {"abcabc", "BC", 1, true, 2},    {"abc", "", 1, false, -1},     {"", "a", 1, false, -1},
        {"abc", "abcd", 1, false, -1},   {"abc", "c", -7, false, 3},    {"abc", "c", 99, false, -1},
        {Gbk("中文ab"), "ab", 1, false, 5}, {"a\0b"s, "b", 1, false, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindText(c.text, c.what, c.start, c.ignoreCase), c.forward) << c.text << " / " << c.what;
}

TEST(FindText, BackwardRespectsEndAndLongDoubleByteRuns) {
    EXPECT_EQ(FindTextBackward("abcabc", "bc"), 5);
    EXPECT_EQ(FindTextBackward("abcabc", "bc", 5), 2);
    EXPECT_EQ(FindTextBackward("abcabc", "bc", 6), 5);
    EXPECT_EQ(FindTextBackward("abc", "abc", 2), -1);
    // A long run of lead-range bytes: "\xB0\xA1" pairs; "\xA1\xB0" only ever
    // stands across two characters.
    std::string run;
    for (int i = 0; i < 5000; ++i)
        run += "\xB0\xA1";
    EXPECT_EQ(FindTextBackward(run, "\xA1\xB0"), -1);
    EXPECT_EQ(FindText(run, "\xA1\xB0"), -1);
    EXPECT_EQ(FindTextBackward(run, "\xB0\xA1"), static_cast<Pos>(run.size() - 1));
}

TEST(TextBasics, TrimSplitAndNumbers) {
    EXPECT_EQ(TrimSpaces(Gbk("　 ab c 　")), "ab c");
    EXPECT_EQ(TrimSpaces("   "), "");
    // A1 A1 at the end that is really the second half of one character and
    // the first of another is not a full-width space.
    EXPECT_EQ(TrimSpaces("x\xB0\xA1\xA1\xB0"), "x\xB0\xA1\xA1\xB0");

    using V = std::vector<std::string>;
    EXPECT_EQ(SplitText("a|b", "|"), (V{"a", "b"}));
    EXPECT_EQ(SplitText("|a||b|", "|"), (V{"", "a", "", "b"}));
    EXPECT_EQ(SplitText("", "|"), V{});
    EXPECT_EQ(SplitText(Gbk("亅|x"), "|"), (V{Gbk("亅"), "x"}));

    EXPECT_EQ(ToInteger("42abc"), 42);
    EXPECT_EQ(ToInteger("  -7"), -7);
    EXPECT_EQ(ToInteger("abc"), 0);
    EXPECT_EQ(ToInteger(""), 0);
    EXPECT_EQ(ToInteger("99999999999999999999999"), LLONG_MAX);

    EXPECT_EQ(ToLowerAscii(Gbk("ABC丄")), Gbk("abc丄"));
    EXPECT_EQ(ToUpperAscii("\x81\x61z"), "\x81\x61Z");
}

} // namespace
} // namespace lilan
