#include <gtest/gtest.h>

#include "support/gbk.h"
#include "text/markup_cleaner.h"

namespace lilan {
namespace {

using test::Gbk;
using test::Utf8;

TEST(MarkupCleaner, TrimLines) {
    struct Case {
        std::string text, expected;
    };
    const Case cases[] = {
        {Gbk("  标题一 \t\r\n\t \r\n　标题二　\r\n\r\n三  四\r\n"), Gbk("标题一\r\n标题二\r\n三  四\r\n")},
        {Gbk("　标题\t"), Gbk("标题")},
        {Gbk("a　　b"), Gbk("a　　b")}, // inner runs stay
        {"\r\n\r\n", ""},
        {"", ""},
        {"x\n \ny", "x\n\ny"}, // a lone LF is a line end, but only CR LF goes with a blank line
    };
    const MarkupCleaner cleaner;
    for (const Case& c : cases)
        EXPECT_EQ(Utf8(cleaner.TrimLines(c.text)), Utf8(c.expected)) << Utf8(c.text);
}

TEST(MarkupCleaner, TrimLinesWithoutApplyGivesThePattern) {
    EXPECT_EQ(MarkupCleaner().TrimLines("  x  ", false), Gbk("^[　 \\t]*$(\\r\\n)|^[ 　\\t]+|[ 　\\t]+$"));
}

TEST(MarkupCleaner, TrimLinesOfTenMegabytes) {
    const std::string chunk = Gbk("  第一行 line  \r\n\t\r\n　第二行\t\r\n");
    std::string text, expected;
    while (text.size() < (10u << 20)) {
        text += chunk;
        expected += Gbk("第一行 line\r\n第二行\r\n");
    }
    EXPECT_EQ(MarkupCleaner().TrimLines(text), expected);
    // One long blank run with text after it.
    EXPECT_EQ(MarkupCleaner().TrimLines(std::string(10u << 20, ' ') + "x"), "x");
}

} // namespace
} // namespace lilan
