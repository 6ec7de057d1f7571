#include <gtest/gtest.h>

#include "net/decode_body.h"
#include "support/fake_events.h"
#include "support/gbk.h"
#include "test_server.h"
#include "text/text_helpers.h"

namespace lilan {
namespace {

using test::Gbk;

const std::string kBig5Zhongwen = "\xA4\xA4\xA4\xE5"; // 中文 in Big5
const std::string kUtf8Mark = "\xEF\xBB\xBF";

TEST(DecodeBody, Cases) {
    struct Case {
        const char* name;
        std::string bytes;
        int hint;
        std::string text;
        int detected;
    };
    const Case cases[] = {
        {"empty body", "", 0, "", 1},
        {"UTF-8 mark", kUtf8Mark + "中文", 0, Gbk("中文"), 2},
        {"UTF-16LE mark", std::string("\xFF\xFE\x2D\x4E\x87\x65", 6), 0, Gbk("中文"), 3},
        {"UTF-16BE mark", std::string("\xFE\xFF\x4E\x2D\x65\x87", 6), 0, Gbk("中文"), 4},
        // The four-byte character fails the UTF-8 test, so only the meta tag
        // can find the charset; code page 936 has no such character.
        {"meta utf-8 in lower case and double quotes", "<head><meta charset=\"utf-8\"></head>中文€😀", 0,
         Gbk("<head><meta charset=\"utf-8\"></head>中文€") + "?", 2},
        {"meta charset='UTF-8'", "<meta charset='UTF-8'>😀", 0, "<meta charset='UTF-8'>?", 2},
        {"meta Big5", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=big5\">" + kBig5Zhongwen, 0,
         Gbk("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=big5\">中文"), 5},
        {"unquoted Big5-HKSCS is taken by the Big5 list", "<meta charset=Big5-HKSCS>" + kBig5Zhongwen, 0,
         Gbk("<meta charset=Big5-HKSCS>中文"), 5},
        {"quoted Big5-HKSCS", "<meta charset=\"Big5-HKSCS\">" + kBig5Zhongwen, 0,
         Gbk("<meta charset=\"Big5-HKSCS\">中文"), 6},
        {"an empty meta tag ends the walk", "<meta><meta charset=big5>" + kBig5Zhongwen, 0,
         "<meta><meta charset=big5>" + kBig5Zhongwen, 1},
        {"meta outside the page's head", "<head><title>t</title></head><meta charset=big5>" + kBig5Zhongwen, 0,
         "<head><title>t</title></head><meta charset=big5>" + kBig5Zhongwen, 1},
        {"pure ASCII", "<p>plain</p>", 0, "<p>plain</p>", 1},
        {"UTF-8 without mark or meta", "<p>中文</p>", 0, Gbk("<p>中文</p>"), 2},
        {"GBK page declaring gb2312", "<meta charset=gb2312>" + Gbk("中文"), 0, "<meta charset=gb2312>" + Gbk("中文"),
         1},
        {"four-byte UTF-8 without meta", "a😀", 0, "a😀", 1},
        {"hint 5 converts from Big5 without detection", "<meta charset=utf-8>" + kBig5Zhongwen, 5,
         Gbk("<meta charset=utf-8>中文"), 5},
        {"hint 2 skips a mark", kUtf8Mark + "中文", 2, Gbk("中文"), 2},
        {"hint 2 without mark", "中文", 2, Gbk("中文"), 2},
        {"hint 1 keeps the bytes", "中文", 1, "中文", 1},
        {"hint 3 without mark keeps the first character", std::string("\x2D\x4E\x87\x65", 4), 3, Gbk("中文"), 3},
        {"unknown hint", "中文", 9, "中文", 1},
        {"text ends at a zero byte", std::string("ab\0cd", 5), 0, "ab", 1},
        {"gzip", test::Gzip("<p>中文</p>"), 0, Gbk("<p>中文</p>"), 2},
        {"two gzip members", test::Gzip("ab") + test::Gzip("cd"), 0, "abcd", 1},
        {"gzip magic on garbage", "\x1F\x8Bgarbage", 0, "", 1},
    };
    for (const Case& c : cases) {
        int detected = -7;
        EXPECT_EQ(test::Utf8(DecodeBody(c.bytes, c.hint, &detected)), test::Utf8(c.text)) << c.name;
        EXPECT_EQ(detected, c.detected) << c.name;
    }
}

TEST(DecodeBody, BrokenGzipGivesWhatInflatedBeforeTheBreak) {
    std::string text;
    for (int i = 0; text.size() < 200000; ++i)
        text += "line " + std::to_string(i) + "\n";
    const std::string packed = test::Gzip(text);

    const std::string cut = DecodeBody(packed.substr(0, packed.size() / 2));
    EXPECT_GT(cut.size(), 1000u);
    EXPECT_LT(cut.size(), text.size());
    EXPECT_TRUE(cut == text.substr(0, cut.size()));

    std::string wrongChecksum = packed;
    wrongChecksum[wrongChecksum.size() - 6] ^= 0x55; // inside the CRC of the trailer
    EXPECT_TRUE(DecodeBody(wrongChecksum) == text);
}

TEST(DecodeBody, BodyInflatingPastTheCapIsRefused) {
    const std::string bomb = test::GzipRepeated('a', kMaxInflatedBody + 1);
    EXPECT_LT(bomb.size(), 1u << 20);
    EXPECT_FALSE(DecompressGzip(bomb).has_value());
    int detected = 0;
    EXPECT_EQ(DecodeBody(bomb, 0, &detected), "");
    EXPECT_EQ(detected, 1);
}

TEST(DecodeBody, SharedResultPageDecodesToProgramText) {
    const std::string page = test::ReadSharedFixture("result-page-python.html");
    if (page.empty())
        GTEST_SKIP() << "shared result page not present";
    int detected = 0;
    const std::string text = DecodeBody(page, 0, &detected);
    EXPECT_EQ(detected, 2);
    EXPECT_EQ(test::Utf8(TextBetween(text, "<title>", "</title>")), "Python_百度搜索");
    EXPECT_EQ(TextBetween(text, "<title>", "</title>"), Gbk("Python_百度搜索"));
}

TEST(DetectMetaCharset, Cases) {
    struct Case {
        std::string page;
        bool found;
        int code;
    };
    const Case cases[] = {
        {"<meta http-equiv=content-type content=\"text/html;charset=utf-8\">", true, 1},
        {"<META CHARSET=\"UTF-8\">", true, 1},
        {"<meta name=a><meta charset=big5>", true, 2},
        {"<meta charset='big5-hkscs'>", true, 3},
        {"<meta charset=gbk>", false, 0},
        {"<meta><meta charset=utf-8>", false, 0},
        {"<head><meta charset=big5></head><meta charset=utf-8>", true, 2},
        {"no tags at all", false, 0},
        {"", false, 0},
    };
    for (const Case& c : cases) {
        int code = -1;
        EXPECT_EQ(DetectMetaCharset(c.page, code), c.found) << c.page;
        EXPECT_EQ(code, c.code) << c.page;
    }
}

TEST(LooksLikeUtf8, Cases) {
    struct Case {
        std::string bytes;
        bool utf8;
    };
    const Case cases[] = {
        {"", false},           {"ascii only", false},       {"caf\xC3\xA9", true},
        {"中文", true},        {"\xF0\x9F\x98\x80", false}, // four-byte sequences are not accepted
        {"ab\xE4\xB8", false},                              // cut short
        {"\xC0\x80", true},                                 // the test looks at bit patterns only
        {"\x80", false},       {"\xD6\xD0\xCE\xC4", false}, // GBK 中文
    };
    for (const Case& c : cases)
        EXPECT_EQ(LooksLikeUtf8(c.bytes), c.utf8) << test::Utf8(c.bytes);
}

TEST(LooksLikeUtf8, LetsEventsRunOnLongBodies) {
    test::CountingEventPump pump;
    std::string body(8 << 20, 'a');
    body += "\xC3\xA9";
    EXPECT_TRUE(LooksLikeUtf8(body));
    EXPECT_GT(pump.count, 0);
}

TEST(MatchAlternatives, Cases) {
    struct Case {
        std::string text, alternatives;
        MatchMode mode;
        bool match;
    };
    const Case cases[] = {
        {"Content: CHARSET=utf-8", "charset=UTF-8[fg]charset=\"UTF-8\"", MatchMode::Any, true},
        {"charset=gbk", "charset=UTF-8[fg]charset=big5", MatchMode::Any, false},
        {"a b c", "a[fg]c", MatchMode::All, true},
        {"a b", "a[fg]c", MatchMode::All, false},
        {"anything", "", MatchMode::Any, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchAlternatives(c.text, c.alternatives, c.mode), c.match) << c.text << " / " << c.alternatives;
}

} // namespace
} // namespace lilan
