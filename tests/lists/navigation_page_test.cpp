#include <gtest/gtest.h>

#include "lists/navigation_page.h"
#include "support/fake_window.h"
#include "support/gbk.h"

namespace lilan {
namespace {

using test::FakeOptions;
using test::FakeResultsList;
using test::Gbk;

std::string Page(std::string_view title, std::string_view body) {
    return "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" />\r\n"
           "<title>" +
           std::string(title) + "</title>\r\n</head>\r\n<body>\r\n" + std::string(body) + "\r\n</body>\r\n</html>";
}

TEST(NavigationPage, OneLinePerRowOneAnchorPerKeyword) {
    struct Case {
        const char* name;
        FakeResultsList::Row row; // UTF-8
        bool alwaysAddress, newWindow, unrankedOnly;
        const char* line; // UTF-8, without the CR LF
    };
    const char* site = "http://site.example";
    const Case cases[] = {
        {"no option",
         {"红茶 绿茶", site, "3 -1"},
         false,
         false,
         false,
         "<ul><a href=\"http://site.example\">红茶</a>&nbsp;&nbsp;<a href=\"http://site.example\">绿茶</a></ul>"},
        {"unranked only",
         {"红茶 绿茶", site, "3 -1"},
         false,
         false,
         true,
         "<ul><a href=\"http://site.example\">绿茶</a></ul>"},
        {"always the address",
         {"红茶 绿茶", site, "3 -1"},
         true,
         false,
         false,
         "<ul><a href=\"http://site.example\">http://site.example</a></ul>"},
        {"address, first entry ranked", {"红茶 绿茶", site, "3 -1"}, true, false, true, "<ul></ul>"},
        {"address, first entry unranked",
         {"红茶 绿茶", site, "未收录 3"},
         true,
         false,
         true,
         "<ul><a href=\"http://site.example\">http://site.example</a></ul>"},
        {"empty keyword",
         {"", site, ""},
         false,
         false,
         false,
         "<ul><a href=\"http://site.example\">http://site.example</a></ul>"},
        {"empty result, unranked only", {"红茶 绿茶", site, ""}, false, false, true, "<ul></ul>"},
        {"new window",
         {"红茶", site, ""},
         false,
         true,
         false,
         "<ul><a href=\"http://site.example\" target=\"_blank\">红茶</a></ul>"},
        {"apostrophe pairs",
         {"a''b", "http://x''y", ""},
         false,
         false,
         false,
         "<ul><a href=\"http://x\"y\">a\"b</a></ul>"},
        {"two spaces give an empty anchor",
         {"红茶  绿茶", site, "-1 0 超出范围 9"},
         false,
         false,
         true,
         "<ul><a href=\"http://site.example\">红茶</a>&nbsp;&nbsp;<a href=\"http://site.example\"></a>&nbsp;&nbsp;"
         "<a href=\"http://site.example\">绿茶</a></ul>"},
        {"failed checks count as unranked",
         {"甲 乙", site, "查询失败 -2"},
         false,
         false,
         true,
         "<ul><a href=\"http://site.example\">甲</a>&nbsp;&nbsp;<a href=\"http://site.example\">乙</a></ul>"},
    };
    for (const Case& c : cases) {
        FakeResultsList list({{Gbk(c.row[0]), Gbk(c.row[1]), Gbk(c.row[2])}});
        FakeOptions options;
        options.alwaysAddress = c.alwaysAddress;
        options.newWindow = c.newWindow;
        options.unrankedOnly = c.unrankedOnly;
        EXPECT_EQ(test::Utf8(BuildNavigationPage(list, options, "T")), Page("T", std::string(c.line) + "\r\n"))
            << c.name;
    }
}

TEST(NavigationPage, WholePageBytes) {
    FakeOptions options;
    EXPECT_EQ(BuildNavigationPage(FakeResultsList(), options, Gbk("链接")), Gbk(Page("链接", "")));
    options.newWindow = false;
    options.unrankedOnly = false;
    const FakeResultsList list({{"a", "http://1", ""}, {"b", "http://2", ""}});
    EXPECT_EQ(BuildNavigationPage(list, options, "t"),
              Page("t", "<ul><a href=\"http://1\">a</a></ul>\r\n<ul><a href=\"http://2\">b</a></ul>\r\n"));
}

TEST(PageTitleFromPath, BaseNameWithoutTheLastExtension) {
    struct Case {
        std::string path, title; // program text
    };
    const Case cases[] = {
        {"C:\\site\\nav.htm", "nav"},
        {"C:\\site\\my.nav.htm", "my.nav"},
        {"D:\\out\\links.html", "links"},
        {"/home/u/out/links.html", "links"},
        {"/home/u/noext", "noext"},
        {"/a.b/c", "c"},
        {"nav.htm", "nav"},
        {"plain", "plain"},
        {"", ""},
        // 乗 ends in the byte of "\": it is no folder separator.
        {Gbk("/out/乗页.htm"), Gbk("乗页")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PageTitleFromPath(c.path), c.title) << c.path;
}

} // namespace
} // namespace lilan
