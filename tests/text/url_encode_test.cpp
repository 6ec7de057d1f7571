#include <gtest/gtest.h>

#include "support/fake_events.h"
#include "support/gbk.h"
#include "text/url_encode.h"

namespace lilan {
namespace {

using test::Gbk;

TEST(UrlEncode, Cases) {
    struct Case {
        std::string in;
        bool utf8, keep, everything;
        std::string out;
    };
    const Case cases[] = {
        {"", false, false, false, ""},
        {"", true, false, false, ""},
        {"abc.def_g-h", false, false, false, "abc.def_g-h"},
        {"a b", false, false, false, "a%20b"},
        {"a~b", false, false, false, "a%7Eb"},
        {"50%off", false, false, false, "50%25off"},
        {"\n", false, false, false, "%0A"},
        {"\xAB", false, false, false, "%AB"},
        {Gbk("关键词"), true, false, false, "%E5%85%B3%E9%94%AE%E8%AF%8D"},
        {Gbk("关键词"), false, false, false, "%B9%D8%BC%FC%B4%CA"},
        {Gbk("丄"), false, false, false, "%81A"},
        {"x&y=z", false, false, false, "x%26y%3Dz"},
        {"x&y=z", false, true, false, "x&y=z"},
        {"a.b", false, false, true, "%61%2E%62"},
        {"a&b", false, true, true, "%61&%62"},
        {"http://a.com/?q=1", true, false, false, "http%3A%2F%2Fa.com%2F%3Fq%3D1"},
        {std::string("ab\0cd", 5), true, false, false, "ab"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UrlEncode(c.in, c.utf8, c.keep, c.everything), c.out) << c.in;
}

TEST(UrlEncode, ByteArrays) {
    EXPECT_EQ(GbkToUtf16("A"), std::string("A\0\0\0", 4));
    EXPECT_EQ(GbkToUtf16(""), std::string("\0\0", 2));
    EXPECT_EQ(GbkToUtf8(Gbk("你")), std::string("\xE4\xBD\xA0\0", 4));
    EXPECT_EQ(Utf16ToUtf8(GbkToUtf16(Gbk("你"))), std::string("\xE4\xBD\xA0\0", 4));
    EXPECT_EQ(Utf16ToUtf8("A"), "");
}

TEST(UrlEncode, LongTextStaysWhole) {
    test::CountingEventPump pump;
    const std::string text(100000, ' ');
    const std::string out = UrlEncode(text, true);
    EXPECT_EQ(out.size(), 300000u);
    EXPECT_EQ(out.substr(out.size() - 3), "%20");
}

} // namespace
} // namespace lilan
