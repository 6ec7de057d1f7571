#include <gtest/gtest.h>

#include "support/gbk.h"
#include "text/code_page.h"

namespace lilan {
namespace {

using test::Gbk;

TEST(CodePage, RoundTripsThroughUtf16AndUtf8) {
    const std::string text = Gbk("关键词 abc 丄");
    EXPECT_EQ(text, "\xB9\xD8\xBC\xFC\xB4\xCA abc \x81\x41");
    EXPECT_EQ(Utf16ToGbkText(GbkToUtf16Text(text)), text);
    EXPECT_EQ(GbkToUtf8Text(text), "关键词 abc 丄");
    EXPECT_EQ(Utf8ToGbkText(GbkToUtf8Text(text)), text);
    EXPECT_EQ(GbkToUtf16Text(""), u"");
}

TEST(CodePage, InvalidInputIsReplacedNeverOverread) {
    // A lone lead byte at the end, 0x80, 0xFF and a zero byte in the middle.
    const std::string bad("a\x80" "b\xFF" "c\0d\xB9", 8);
    const std::u16string wide = GbkToUtf16Text(bad);
    ASSERT_FALSE(wide.empty());
    EXPECT_EQ(wide.front(), u'a');
    EXPECT_NE(wide.find(u'\0'), std::u16string::npos); // the zero byte is kept as a unit
    EXPECT_EQ(wide.back(), u'\xFFFD');
    const std::string back = Utf16ToGbkText(wide);
    EXPECT_EQ(back.substr(0, 1), "a");
    EXPECT_EQ(back.back(), '?');
    // Characters that code page 936 cannot hold become "?".
    EXPECT_EQ(Utf8ToGbkText("x😀y"), "x?y");
    EXPECT_EQ(Utf16ToGbkUntilUnmappable(u"ab\U0001F600cd"), "ab");
}

TEST(CodePage, OtherCharsets) {
    std::string out;
    ASSERT_TRUE(ConvertCharset("\xE4\xBD\xA0", "UTF-8", "GB18030", out));
    EXPECT_EQ(out, Gbk("你"));
    std::string big5;
    ASSERT_TRUE(ConvertCharset(Gbk("中文"), "windows-936", "Big5", big5));
    EXPECT_EQ(big5, "\xA4\xA4\xA4\xE5");
    ASSERT_TRUE(ConvertCharset(big5, "Big5-HKSCS", "windows-936", out));
    EXPECT_EQ(out, Gbk("中文"));
    ASSERT_TRUE(ConvertCharset(std::string("\x2D\x4E\x87\x65", 4), "UTF-16LE", "windows-936", out));
    EXPECT_EQ(out, Gbk("中文"));
    EXPECT_FALSE(ConvertCharset("x", "no-such-charset", "UTF-8", out));
}

TEST(CodePage, SimplifiedAndTraditional) {
    EXPECT_EQ(ToSimplifiedChinese(Gbk("關鍵詞 ABC")), Gbk("关键词 ABC"));
    EXPECT_EQ(ToTraditionalChinese(Gbk("关键词")), Gbk("關鍵詞"));
    EXPECT_EQ(ToSimplifiedChinese(""), "");
    EXPECT_EQ(ToSimplifiedChinese("a\x81"), "a?"); // a lone lead byte at the end
    EXPECT_EQ(Cp936("头"), "\xCD\xB7");
}

} // namespace
} // namespace lilan
