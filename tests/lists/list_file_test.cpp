#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "lists/list_file.h"
#include "support/fake_events.h"
#include "support/fake_window.h"
#include "support/gbk.h"

namespace lilan {
namespace {

using test::FakeResultsList;
using test::Gbk;
using Rows = std::vector<FakeResultsList::Row>;

Rows GbkRows(const Rows& utf8) {
    Rows rows;
    for (const auto& row : utf8)
        rows.push_back({Gbk(row[0]), Gbk(row[1]), Gbk(row[2])});
    return rows;
}

TEST(UnrankedEntry, TheOneRule) {
    struct Case {
        const char* entry;
        bool unranked;
    };
    const Case cases[] = {
        {"未收录", true},   {"网址未收录", true},
        {"超出范围", true}, {"排名超出范围了", true},
        {"查询失败", true}, {"页面查询失败", true},
        {"0", true},        {"-1", true},
        {"-2", true},       {"", false},
        {"00", false},      {"-10", false},
        {"-3", false},      {" 0", false},
        {"1", false},       {"已收录", false},
        {"第3名", false},   {"20", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsUnrankedEntry(Gbk(c.entry)), c.unranked) << c.entry;
}

TEST(ImportListText, LinesBecomeRows) {
    struct Case {
        const char* name;
        const char* file; // UTF-8, written as code page 936 bytes
        Rows rows;        // UTF-8
    };
    const Case cases[] = {
        {"keywords and address", "关键词一 关键词二,abc", {{"关键词一 关键词二", "http://abc", ""}}},
        {"address only", "abc", {{"", "http://abc", ""}}},
        {"empty keyword field", ",abc", {{"", "http://abc", ""}}},
        {"trailing comma makes it address-only", "kw,", {{"", "http://kw", ""}}},
        {"scheme in capitals stays", "HTTPS://abc", {{"", "HTTPS://abc", ""}}},
        {"http prefix of a name stays", "kw,httpdocs", {{"kw", "httpdocs", ""}}},
        {"spaces around the comma", "kw , abc", {{"kw ", "http:// abc", ""}}},
        {"line trimmed, tabs kept", "  \tkw,abc 　", {{"\tkw", "http://abc", ""}}},
        {"blank lines skipped", "\r\n   \r\n,\r\n　\r\n,,res\r\n", {}},
        {"empty address field", "kw,,res", {{"", "http://kw", "res"}}},
        {"fourth field dropped", "a,b,c,d", {{"a", "http://b", "c"}}},
        {"full-width comma is text", "甲，乙,x.com", {{"甲，乙", "http://x.com", ""}}},
        {"result kept", "kw,http://a.com,3 -1", {{"kw", "http://a.com", "3 -1"}}},
        {"CR LF, LF and a last line without end",
         "a,x.com\r\nb,y.com\nc,z.com",
         {{"a", "http://x.com", ""}, {"b", "http://y.com", ""}, {"c", "http://z.com", ""}}},
        {"lone CR ends a line", "a,x.com\rb,y.com\r", {{"a", "http://x.com", ""}, {"b", "http://y.com", ""}}},
        {"CR CR LF", "a,x.com\r\r\nb,y.com", {{"a", "http://x.com", ""}, {"b", "http://y.com", ""}}},
        {"zero bytes", "", {}},
    };
    for (const Case& c : cases) {
        FakeResultsList list;
        ImportListText(Gbk(c.file), list);
        EXPECT_EQ(list.rows, GbkRows(c.rows)) << c.name;
    }
}

TEST(ImportListText, BadBytesGiveDefinedRows) {
    struct Case {
        const char* name;
        std::string file;
        Rows rows; // program text
    };
    const Case cases[] = {
        // A lead byte takes the comma after it as its second byte.
        {"lone lead byte before a comma", "\x81,abc\n", {{"", "http://\x81,abc", ""}}},
        {"bytes outside the lead range", "\xFF\xFF,def", {{"\xFF\xFF", "http://def", ""}}},
        {"lone lead byte at a line end keeps the lines apart",
         "abc\x81\nxyz",
         {{"", "http://abc\x81", ""}, {"", "http://xyz", ""}}},
        {"zero byte kept", std::string("k\0w,abc", 7), {{std::string("k\0w", 3), "http://abc", ""}}},
    };
    for (const Case& c : cases) {
        FakeResultsList list;
        ImportListText(c.file, list);
        EXPECT_EQ(list.rows, c.rows) << c.name;
    }

    FakeResultsList list;
    const std::string keyword(1 << 20, 'k');
    ImportListText(keyword + ",x.com\r\nnext", list);
    ASSERT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(list.rows[0][0], keyword);
    EXPECT_EQ(list.rows[1][1], "http://next");
}

TEST(ImportListText, AppendsAfterTheRowsAlreadyThere) {
    FakeResultsList list({{"old", "http://old", "1"}});
    const std::string file = "a,x.com\r\n";
    ImportListText(file, list);
    ImportListText(file, list);
    EXPECT_EQ(list.rows, (Rows{{"old", "http://old", "1"}, {"a", "http://x.com", ""}, {"a", "http://x.com", ""}}));
}

TEST(ExportListText, RowsAndTheRankedOnlyFilter) {
    const FakeResultsList list(GbkRows({
        {"kw", "http://a", ""},
        {"甲 乙 丙 丁", "http://b", "5 -1 未收录 3"},
        {"z", "http://c", "0"},
        {"x y", "http://d", "查询失败 2"},
        {"x", "http://e", "-2"},
        {"x", "http://f", "已收录"},
        {"x y", "http://g", "超出范围 未收录"},
    }));
    EXPECT_EQ(ExportListText(list, false), Gbk("kw,http://a,\r\n甲 乙 丙 丁,http://b,5 -1 未收录 3\r\nz,http://c,0\r\n"
                                               "x y,http://d,查询失败 2\r\nx,http://e,-2\r\nx,http://f,已收录\r\n"
                                               "x y,http://g,超出范围 未收录\r\n"));
    EXPECT_EQ(ExportListText(list, true), Gbk("甲 乙 丙 丁,http://b,5 3\r\nx y,http://d,2\r\nx,http://f,已收录\r\n"));
    EXPECT_EQ(ExportListText(FakeResultsList(), false), "");
}

TEST(ExportListText, RoundTripGivesTheSameColumns) {
    const FakeResultsList list(GbkRows({
        {"红茶 绿茶", "http://tea.example", "3 -1"},
        {"", "http://only.example", ""},
        {"关键词", "https://x.example/a?b=1", "未收录"},
        {"a  b", "HTTP://y.example", "1  2"},
    }));
    FakeResultsList again;
    ImportListText(ExportListText(list, false), again);
    EXPECT_EQ(again.rows, list.rows);
}

TEST(ExportListText, ListClearedMeanwhileEndsTheExport) {
    FakeResultsList list;
    for (int i = 0; i < 5000; ++i)
        list.rows.push_back({"k", "http://a", "1"});
    test::CountingEventPump pump;
    pump.onPump = [&](int) { list.RemoveAllRows(); };
    std::this_thread::sleep_for(std::chrono::milliseconds(10)); // past the pump's throttle
    const std::string text = ExportListText(list, false);
    EXPECT_GT(pump.count, 0);
    EXPECT_LT(text.size(), 5000u * 14);
    EXPECT_EQ(text.find(",,"), std::string::npos) << "no empty lines for rows that are gone";
}

} // namespace
} // namespace lilan
