#include <gtest/gtest.h>

#include "support/gbk.h"
#include "text/regex_object.h"

namespace lilan {
namespace {

using test::Gbk;
using test::Utf8;

TEST(RegexObject, ReplaceCases) {
    struct Case {
        const char* what;
        std::string pattern, subject, replacement, expected;
        bool ignoreCase = true, multiline = true, global = true;
    };
    const Case cases[] = {
        {"strip tags", "<[\\s\\S]+?>", "<b>bold</b> text", "", "bold text"},
        {"strip tags, dot form", "<.*?>", "<b>bold</b> text", "", "bold text"},
        {"tags across lines", "<[\\s\\S]+?>", "<a\r\n href=x>y</a>", "", "y"},
        {"Chinese kept", "<[\\s\\S]+?>", Gbk("<b>中文</b>测试"), "", Gbk("中文测试")},
        {"equals, spaces", Gbk("[\\s　]{0,10}=[\\s　]{0,10}"), "class = x", "=", "class=x"},
        {"equals, tabs", Gbk("[\\s　]{0,10}=[\\s　]{0,10}"), "class\t\t=\tx", "=", "class=x"},
        {"equals, ideographic", Gbk("[\\s　]{0,10}=[\\s　]{0,10}"), Gbk("class　=　　x"), "=", "class=x"},
        {"equals, ten each side", Gbk("[\\s　]{0,10}=[\\s　]{0,10}"), "a" + std::string(10, ' ') + "=" + std::string(10, '\t') + "b",
         "=", "a=b"},
        {"equals, eleven before", Gbk("[\\s　]{0,10}=[\\s　]{0,10}"), "a" + std::string(11, ' ') + "=b", "=", "a =b"},
        {"global false", "\\d", "a1b2c3", "", "ab2c3", true, true, false},
        {"groups", "(\\w+)@(\\w+)", "me@host", "$2 at $1", "host at me"},
        {"missing group stays text", "(a)", "a", "$1$2$", "a$2$"},
        {"unicode range", "[\\u4e00-\\u9fa5]+", Gbk("ab中文cd"), "X", "abXcd"},
        {"\\d is ASCII only", "\\d", Gbk("1１2"), "", Gbk("１")},
        {"\\w is ASCII only", "\\w+", Gbk("ab_9中"), "", Gbk("中")},
        {"\\s takes the ideographic space", "\\s", Gbk("a　b c"), "", "abc"},
        {"ignore case", "b", "aBc", "", "ac"},
        {"case kept", "b", "aBc", "", "aBc", false},
        {"multiline ^", "^x", "x\r\nx", "", "\r\n"},
        {"single-line ^", "^x", "x\r\nx", "", "\r\nx", true, false},
        {"single-line $ only at the end", "a$", "a\n", "", "a\n", true, false},
        {"dot stops at line ends", "a.b", "a\rb a\nb axb", "", "a\rb a\nb "},
        {"[^] is any character", "a[^]b", "a\nb", "", ""},
        {"[] matches nothing", "a[]b", "ab", "", "ab"},
        {"lone brace is literal", "a{", "a{b", "", "b"},
        {"bracket inside a class", "[[]", "a[b", "", "ab"},
        {"empty pattern", "", "ab", "-", "-a-b-"},
        {"no match keeps the text", "zzz", Gbk("中文"), "", Gbk("中文")},
    };
    for (const Case& c : cases) {
        RegexObject regex;
        ASSERT_TRUE(regex.Create(c.pattern, c.ignoreCase, c.multiline, c.global)) << c.what;
        EXPECT_EQ(Utf8(regex.Replace(c.subject, c.replacement)), Utf8(c.expected)) << c.what;
    }
}

TEST(RegexObject, FailedCreateGivesEmptyResults) {
    RegexObject regex;
    EXPECT_EQ(regex.Replace("text"), ""); // never created
    EXPECT_EQ(regex.GetPattern(), "");
    ASSERT_TRUE(regex.Create("<b>"));
    EXPECT_EQ(regex.GetPattern(), "<b>");
    for (const char* bad : {"(", "a)", "[a", "*a", "a\\"}) {
        EXPECT_FALSE(regex.Create(bad)) << bad;
        EXPECT_EQ(regex.Replace("text <b>"), "") << bad; // empty, not the subject
        EXPECT_EQ(regex.GetPattern(), "") << bad;
    }
}

TEST(RegexObject, CopiesShareTheCompiledPattern) {
    RegexObject regex;
    regex.Create("x");
    RegexObject copy = regex;
    regex.Create("y");
    EXPECT_EQ(copy.Replace("xy"), "y");
    EXPECT_EQ(regex.Replace("xy"), "x");
    copy = regex;
    EXPECT_EQ(copy.GetPattern(), "y");
}

TEST(RegexObject, StripsTagsOfTenMegabytes) {
    const std::string chunk = Gbk("<div class=\"c\"><a\r\n href=\"x\">中文 text</a></div>\r\n");
    std::string subject, expected;
    while (subject.size() < (10u << 20)) {
        subject += chunk;
        expected += Gbk("中文 text\r\n");
    }
    RegexObject strip;
    strip.Create("<[\\s\\S]+?>");
    EXPECT_EQ(strip.Replace(subject), expected);
}

TEST(RegexObject, RunawayMatchingGivesEmptyText) {
    RegexObject strip;
    strip.Create("<[\\s\\S]+?>");
    // Every "<" scans to the end for a ">": quadratic, stopped by the time limit.
    EXPECT_EQ(strip.Replace(std::string(1 << 20, '<')), "");
    // One state per repetition: more than the backtrack stack may hold.
    RegexObject alternation;
    alternation.Create("(a|b)*c");
    std::string ab;
    while (ab.size() < (10u << 20))
        ab += "ab";
    EXPECT_EQ(alternation.Replace(ab + "c"), "");
    // The object stays usable.
    EXPECT_EQ(strip.Replace("<b>x</b>"), "x");
}

} // namespace
} // namespace lilan
