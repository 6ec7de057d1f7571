#include <gtest/gtest.h>

#include <vector>

#include "support/fake_events.h"
#include "support/gbk.h"
#include "text/code_page.h"
#include "text/markup_parser.h"
#include "text/regex_object.h"
#include "text/text_basics.h"

namespace lilan {
namespace {

using test::Gbk;
using test::Utf8;

// A result page in the search engine's shape: entries of class c-container
// among other names, srcid before id, links written "href = ..." with line
// breaks inside the start tag, shown addresses in span, div or a elements of
// class c-showurl, one of them cut with "...".
const std::string& ResultPage() {
    static const std::string page = Gbk(R"(<html><head><title>python_百度搜索</title>
<style>.c-container{width:538px}.c-container .t{line-height:1.54}</style></head><body>
<div id="content_left">
<div class="result-op c-container xpath-log"  srcid="1547"  id="1" tpl="bk" data-click="{'p1':'1'}"
><h3 class="t"><a
        data-click="{
			'F':'778317EA'
			}"
        href = "http://www.baidu.com/link?url=AAA"

		            target="_blank"
		><em>Python</em>_百度百科</a></h3><div class="c-row"><div class="c-span6">
<p>Python是一种计算机程序设计语言。</p></div></div><span class="c-showurl">baike.baidu.com/ </span></div>
<div class="result c-container " id="2" srcid="1599" tpl="se_com_default"  data-click="{'rsv_bdr':'0' }"  ><h3 class="t c-title-en" ><a
        href = "http://www.baidu.com/link?url=BBB"
        target="_blank"
        >下载和安装 <em>python</em> - Download</a></h3><div class="c-abstract">安装 <em>Python</em> 的说明</div><div class="f13"><a target="_blank" href="http://www.baidu.com/link?url=BBB" class="c-showurl " style="text-decoration:none;position:relative;">www.<b>python</b>.org/getit/</a></div></div>
<div class="result c-container " id="3" srcid="1599"><h3 class="t"><a href = "http://www.baidu.com/link?url=CCC" target="_blank">Python 基础教程 | 菜鸟教程</a></h3><div class="f13"><a class="c-showurl " href="http://www.baidu.com/link?url=CCC">www.runoob.com/python/python-t...</a> 2020-08-18</div></div>
<div class="result-op xpath-log" tpl="right_toplist1" data-click='{"fm":"alxr"}'>not an entry</div>
</div></body></html>)");
    return page;
}

// The entry's shown address, tried in the reader's order.
std::string ShownAddress(MarkupParser& parser, const std::string& entry) {
    std::string shown = parser.FindElement(entry, "span", "class", "g");
    if (shown.empty())
        shown = parser.FindElement(entry, "span", "class", "c-showurl");
    if (shown.empty())
        shown = parser.FindElement(entry, "div", "class", "c-showurl");
    if (shown.empty())
        shown = parser.FindElement(entry, "p");
    if (shown.empty())
        shown = parser.FindElement(entry, "a", "class", "c-showurl");
    return shown;
}

TEST(MarkupParser, ReadsTheEntriesOfAResultPage) {
    struct Expected {
        const char *id, *href, *title, *shown;
    };
    const Expected expected[] = {
        {"1", "http://www.baidu.com/link?url=AAA", "Python_百度百科", "baike.baidu.com/ "},
        {"2", "http://www.baidu.com/link?url=BBB", "下载和安装 python - Download", "www.python.org/getit/"},
        {"3", "http://www.baidu.com/link?url=CCC", "Python 基础教程 | 菜鸟教程", "www.runoob.com/python/python-t..."},
    };
    RegexObject strip;
    strip.Create("<[\\s\\S]+?>");
    MarkupParser parser;
    ASSERT_EQ(parser.FindAll(ResultPage(), "div", "class", "c-container", "", true), 3);
    for (int n = 1; n <= 3; ++n) {
        const Expected& e = expected[n - 1];
        const std::string entry = parser.FoundElement(n);
        EXPECT_EQ(parser.Attribute(entry, "id"), e.id);
        EXPECT_EQ(parser.Attribute(parser.FindElement(entry, "a"), "href"), e.href);
        EXPECT_EQ(Utf8(strip.Replace(parser.FindElement(entry, "h3"))), e.title);
        EXPECT_EQ(Utf8(strip.Replace(ShownAddress(parser, entry))), e.shown);
    }
    // Without contains the whole class value must equal the name.
    EXPECT_EQ(parser.FindAll(ResultPage(), "div", "class", "c-container"), 0);
    EXPECT_EQ(parser.FindAll(ResultPage(), "div", "class", "result-op c-container xpath-log"), 1);
}

TEST(MarkupParser, FindAllCases) {
    struct Case {
        const char* what;
        std::string markup = {}, tags = {}, names = {}, values = {}, wordList = {};
        bool contains = false, allAttributes = false, innerOnly = false, letterTagsOnly = false;
        std::vector<std::string> found;
    };
    const Case cases[] = {
        {.what = "class with several names, contains",
         .markup = "<div class=\"c-container x\">a<div class=\"y\">b</div></div>",
         .tags = "div", .names = "class", .values = "c-container", .contains = true,
         .found = {"<div class=\"c-container x\">a<div class=\"y\">b</div></div>"}},
        {.what = "class with several names, equality",
         .markup = "<div class=\"c-container x\">a</div><div class=\"y\">b</div>",
         .tags = "div", .names = "class", .values = "c-container", .found = {}},
        {.what = "equality trims the value, not case",
         .markup = "<div class=' R '>a</div>", .tags = "div", .names = "class", .values = "r", .found = {"<div class=' R '>a</div>"}},
        {.what = "nested elements of the same class",
         .markup = "<div class=r><div class=r>in</div>text</div>", .tags = "div", .names = "class", .values = "r",
         .found = {"<div class=r><div class=r>in</div>text</div>", "<div class=r>in</div>"}},
        {.what = "a is not abbr or a1", .markup = "<abbr>x</abbr><a1>y</a1><a href=1>z</a>", .tags = "a",
         .found = {"<a href=1>z</a>"}},
        {.what = "p is not pre", .markup = "<pre>x</pre><p>y</p>", .tags = "p", .found = {"<p>y</p>"}},
        {.what = "capitals found, kept", .markup = "<DIV CLASS=\"R\">x</DIV>", .tags = "div", .names = "class",
         .values = "r", .found = {"<DIV CLASS=\"R\">x</DIV>"}},
        {.what = "tags in turn", .markup = "<table class=result>t</table><div class=result>d</div>",
         .tags = "div|table", .names = "class", .values = "result",
         .found = {"<div class=result>d</div>", "<table class=result>t</table>"}},
        {.what = "one attribute of two is enough", .markup = "<p class=a id=b>x</p>", .tags = "p", .names = "class|id",
         .values = "a|c", .found = {"<p class=a id=b>x</p>"}},
        {.what = "all attributes needed", .markup = "<p class=a id=b>x</p>", .tags = "p", .names = "class|id",
         .values = "a|c", .allAttributes = true, .found = {}},
        {.what = "empty value: attribute present", .markup = "<p>a</p><p id=3>b</p>", .tags = "p", .names = "id",
         .found = {"<p id=3>b</p>"}},
        {.what = "word list, one word", .markup = "<p title=ab>1</p><p title=cd>2</p>", .tags = "p",
         .wordList = "cd|zz", .found = {"<p title=cd>2</p>"}},
        {.what = "word list, every word", .markup = "<p title=ab>1</p><p title=cd>2</p>", .tags = "p",
         .wordList = "cd|zz", .allAttributes = true, .found = {}},
        {.what = "inner only, nested at the very start",
         .markup = "<div class=r><div class=r>in</div></div>", .tags = "div", .names = "class", .values = "r",
         .innerOnly = true, .found = {"<div class=r>in</div>", "in"}},
        {.what = "inner only, self-closing", .markup = "<img src=x/>", .tags = "img", .innerOnly = true, .found = {""}},
        {.what = "without tags every element", .markup = "<b>x</b> <i>y<br/></i>", .found = {"<b>x</b>", "<i>y<br/></i>", "<br/>"}},
        {.what = "letter tags only", .markup = "<!-- c --><p>x</p>", .letterTagsOnly = true, .found = {"<p>x</p>"}},
        {.what = "returned text has its equals closed up",
         .markup = "<a class = \"x\">a = b</a>", .tags = "a", .found = {"<a class=\"x\">a=b</a>"}},
    };
    for (const Case& c : cases) {
        MarkupParser parser;
        const int count = parser.FindAll(c.markup, c.tags, c.names, c.values, c.wordList, c.contains,
                                         c.allAttributes, true, c.innerOnly, c.letterTagsOnly);
        ASSERT_EQ(count, static_cast<int>(c.found.size())) << c.what;
        EXPECT_EQ(parser.FoundCount(), count) << c.what;
        for (int n = 1; n <= count; ++n)
            EXPECT_EQ(parser.FoundElement(n), c.found[static_cast<std::size_t>(n - 1)]) << c.what << " #" << n;
        EXPECT_EQ(parser.FoundElement(0), "") << c.what;
        EXPECT_EQ(parser.FoundElement(count + 1), "") << c.what;
    }
}

TEST(MarkupParser, FindElementCases) {
    struct Case {
        const char* what;
        std::string markup = {}, tag = {}, names = {}, values = {};
        int index = 0;
        bool innerOnly = false, raw = false, letterTagsOnly = false;
        std::string expected;
    };
    const Case cases[] = {
        {.what = "element", .markup = "<h3 class=t>Title</h3>", .tag = "h3", .expected = "<h3 class=t>Title</h3>"},
        {.what = "inner only", .markup = "<h3 class=t>Title</h3>", .tag = "h3", .innerOnly = true, .expected = "Title"},
        {.what = "inner only, double-byte text", .markup = Gbk("<h3>标题\r\n</h3>"), .tag = "h3", .innerOnly = true,
         .expected = Gbk("标题\r\n")},
        {.what = "nested same tag", .markup = "<div><div>a</div>b</div>c", .tag = "div", .expected = "<div><div>a</div>b</div>"},
        {.what = "closing tag missing", .markup = "<div class=a>text", .tag = "div", .expected = "<div class=a>"},
        {.what = "closing tag missing, inner only", .markup = "<div class=a>text", .tag = "div", .innerOnly = true,
         .expected = ""},
        {.what = "self-closing", .markup = "<img src=\"x\"/>", .tag = "img", .expected = "<img src=\"x\"/>"},
        {.what = "self-closing, inner only", .markup = "<img src=\"x\"/>", .tag = "img", .innerOnly = true, .expected = ""},
        {.what = "index", .markup = "<p>1</p><p>2</p>", .tag = "p", .index = 2, .expected = "<p>2</p>"},
        {.what = "index past the last", .markup = "<p>1</p><p>2</p>", .tag = "p", .index = 3, .expected = ""},
        {.what = "attribute filter", .markup = "<span class=a>1</span><span class=g>2</span>", .tag = "span",
         .names = "class", .values = "g", .expected = "<span class=g>2</span>"},
        {.what = "equals closed up", .markup = "<a href = \"u\"\r\n title\t=\tt>x</a>", .tag = "a",
         .expected = "<a href=\"u\"\r\n title=t>x</a>"},
        {.what = "raw", .markup = "<a href = \"u\">x</a>", .tag = "a", .raw = true, .expected = "<a href = \"u\">x</a>"},
        {.what = "without a tag", .markup = "text <b>x</b>", .expected = "<b>x</b>"},
        {.what = "without a tag, name cut at CR LF", .markup = "<b\r\nclass=x>y</b>", .expected = "<b\r\nclass=x>y</b>"},
        {.what = "letter tags only", .markup = "<!doctype html><p>x</p>", .letterTagsOnly = true, .expected = "<p>x</p>"},
        {.what = "any tag", .markup = "<!doctype html><p>x</p>", .expected = "<!doctype html>"},
        {.what = "nothing", .markup = "<p>x</p>", .tag = "div", .expected = ""},
    };
    for (const Case& c : cases) {
        MarkupParser parser;
        EXPECT_EQ(Utf8(parser.FindElement(c.markup, c.tag, c.names, c.values, "", false, false, c.index, true,
                                          c.innerOnly, c.letterTagsOnly, c.raw)),
                  Utf8(c.expected))
            << c.what;
    }
}

TEST(MarkupParser, FindElementLeavesTheFoundElementsAlone) {
    MarkupParser parser;
    ASSERT_EQ(parser.FindAll("<p>1</p><p>2</p>", "p"), 2);
    EXPECT_EQ(parser.FindElement("<b>x</b>", "b"), "<b>x</b>");
    EXPECT_EQ(parser.FoundElement(2), "<p>2</p>");
    // Collecting through FindElement appends when asked to.
    EXPECT_EQ(parser.FindElement("<p>1</p><p>2</p>", "p", "", "", "", false, false, -1), "2");
    EXPECT_EQ(parser.FindElement("<p>1</p><p>2</p>", "p", "", "", "", false, false, -1, true, false, false, false, true), "4");
}

TEST(MarkupParser, AttributeCases) {
    struct Case {
        std::string markup, name, expected;
    };
    const Case cases[] = {
        {"<a href=\"/x\" id=7 class='c'>", "href", "/x"},
        {"<a href=\"/x\" id=7 class='c'>", "id", "7"},
        {"<a href=\"/x\" id=7 class='c'>", "class", "c"},
        {"<a data-id=\"9\">", "id", "9"},
        {"<div srcid=\"1547\"  id=\"1\">", "id", "1"},
        {"<a title=\"\" id=\"t\">", "title", ""},
        {"<a title='' id=\"t\">", "title", ""},
        {"<a id=5>", "id", "5"},
        {Gbk("<a title=\" 　中文 \">"), "title", Gbk("中文")},
        {"<a HREF=\"u\">", "href", "u"},
        {"<a href=\"u\">", "src", ""},
        {"", "id", ""},
    };
    const MarkupParser parser;
    for (const Case& c : cases)
        EXPECT_EQ(Utf8(parser.Attribute(c.markup, c.name)), Utf8(c.expected)) << c.markup << " / " << c.name;
}

TEST(MarkupParser, NormalizeEquals) {
    struct Case {
        std::string text, expected;
    };
    const Case cases[] = {
        {"class = x", "class=x"},
        {Gbk("a\t　=\r\n b"), "a=b"},
        {"a" + std::string(11, ' ') + "=b", "a =b"},
        {"a = = b", "a==b"},
        {Gbk("中文 = 文字"), Gbk("中文=文字")},
        {Gbk("啊="), Gbk("啊=")},
        {"no equals  here", "no equals  here"},
        {std::string("a =\0b", 5), std::string("a=\0b", 4)},
        {"", ""},
    };
    const MarkupParser parser;
    for (const Case& c : cases)
        EXPECT_EQ(Utf8(parser.NormalizeEquals(c.text)), Utf8(c.expected)) << Utf8(c.text);
}

// Closing up equals signs runs the normaliser only where it can change
// something; the result must be what it gives on the whole text.
TEST(MarkupParser, NormalizeEqualsAgreesWithTheWholeTextReplace) {
    RegexObject normaliser;
    ASSERT_TRUE(normaliser.Create(Gbk("[\\s　]{0,10}=[\\s　]{0,10}")));
    const char* pieces[] = {" ", "\t", "\r\n", "=", "\xA1\xA1", "\xB0\xA1", "a", "\xA1\xA2", " = ", "x"};
    const MarkupParser parser;
    unsigned seed = 12345;
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int i = static_cast<int>(seed % 30); i > 0; --i) {
            seed = seed * 1103515245 + 12345;
            text += pieces[(seed >> 16) % 10];
        }
        seed = seed * 1103515245 + 12345;
        ASSERT_EQ(parser.NormalizeEquals(text), normaliser.Replace(text, "=")) << Utf8(text);
    }
}

TEST(MarkupParser, LeftCharsCountsAsAReader) {
    struct Case {
        std::string text;
        Pos n;
        std::string expected;
    };
    const Case cases[] = {
        {"ab\r\ncd", 3, "ab\r\n"},     {Gbk("中文ab"), 1, Gbk("中")}, {Gbk("中文ab"), -1, Gbk("中文a")},
        {Gbk("中文ab"), -3, Gbk("中")}, {"abc", 0, ""},               {"abc", 9, "abc"},
        {"abc", -9, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8(LeftChars(c.text, c.n)), Utf8(c.expected)) << Utf8(c.text) << " " << c.n;
    EXPECT_EQ(CharCount(Gbk("中\r\na")), 3);
}

TEST(MarkupParser, BadMarkupGivesDefinedResults) {
    struct Case {
        const char* what;
        std::string markup, tags;
        std::vector<std::string> found; // raw
    };
    const Case cases[] = {
        {"unclosed elements", "<div class=a><p>x", "div|p", {"<div class=a>", "<p>"}},
        {"\"<\" without \">\"", "a < b <div", "", {}},
        {"\"<\" without \">\", tag", "<div class=a", "div", {}},
        {"\">\" inside a value", "<div title=\"a>b\">x</div>", "div", {"<div title=\"a>b\">x</div>"}},
        {"quotes inside a value", "<div class='x\" y'>z</div>", "div", {"<div class='x\" y'>z</div>"}},
        {"closing tags first", "</div></div><div>x</div>", "div", {"<div>x</div>"}},
        {"closing tag inside the opening tag", "<div t=\"</div>\">x</div>", "div", {"<div t=\"</div>"}},
        {"zero bytes", std::string("<div>\0</div>\0<p>", 16), "div|p", {std::string("<div>\0</div>", 12), "<p>"}},
        {"a lead byte eats the \"<\"", "\x81<div>x</div>", "div", {}},
        {"empty", "", "div", {}},
    };
    for (const Case& c : cases) {
        MarkupParser parser;
        ASSERT_EQ(parser.FindAll(c.markup, c.tags), static_cast<int>(c.found.size())) << c.what;
        for (int n = 1; n <= parser.FoundCount(); ++n)
            EXPECT_EQ(parser.FoundElement(n, true), c.found[static_cast<std::size_t>(n - 1)]) << c.what << " #" << n;
    }
    MarkupParser parser;
    EXPECT_EQ(parser.Attribute("<div title=\"a>b\">", "title"), "a>b");
    EXPECT_EQ(parser.FindElement("<div t=\"</div>\">x</div>", "div", "", "", "", false, false, 0, true, true), "");
}

TEST(MarkupParser, TenThousandNestedDivs) {
    std::string markup;
    for (int i = 0; i < 10000; ++i)
        markup += "<div class=\"r\">";
    markup += "x";
    for (int i = 0; i < 10000; ++i)
        markup += "</div>";
    MarkupParser parser;
    ASSERT_EQ(parser.FindAll(markup, "div", "class", "r"), 10000);
    EXPECT_EQ(parser.FoundElement(1, true), markup);
    EXPECT_EQ(parser.FoundElement(10000), "<div class=\"r\">x</div>");
    const std::string half = markup.substr(5000 * 15, 5000 * 21 + 1);
    EXPECT_EQ(parser.FoundElement(5001, true), half);
    EXPECT_EQ(parser.FindElement(markup, "div", "", "", "", false, false, 5001, true, true),
              half.substr(15, half.size() - 21));
    EXPECT_EQ(parser.FindAll(markup), 10000); // by name, without a tag
}

TEST(MarkupParser, TwentyMegabytePageLetsEventsRun) {
    std::string page;
    int copies = 0;
    while (page.size() < (20u << 20)) {
        page += ResultPage();
        ++copies;
    }
    test::CountingEventPump pump;
    MarkupParser parser;
    EXPECT_EQ(parser.FindAll(page, "div", "class", "c-container", "", true), 3 * copies);
    EXPECT_EQ(parser.Attribute(parser.FoundElement(3 * copies), "id"), "3");
    EXPECT_GT(pump.count, 0);
    // Unclosed elements all the way down.
    std::string unclosed;
    while (unclosed.size() < (20u << 20))
        unclosed += "<div class=a><span>";
    EXPECT_EQ(parser.FindAll(unclosed, "div", "class", "a"), static_cast<int>(unclosed.size() / 19));
    EXPECT_EQ(parser.FoundElement(1), "<div class=a>");
}

TEST(MarkupParser, SharedResultPage) {
    const std::string raw = test::ReadSharedFixture("result-page-python.html");
    if (raw.empty())
        GTEST_SKIP() << "shared result page not present";
    const std::string page = Utf8ToGbkText(raw);
    MarkupParser parser;
    ASSERT_EQ(parser.FindAll(page, "div", "class", "c-container", "", true), 10);
    for (int n = 1; n <= 10; ++n) {
        const std::string entry = parser.FoundElement(n);
        EXPECT_EQ(parser.Attribute(entry, "id"), std::to_string(n));
        EXPECT_FALSE(parser.Attribute(parser.FindElement(entry, "a"), "href").empty()) << n;
        EXPECT_FALSE(parser.FindElement(entry, "h3").empty()) << n;
    }
    EXPECT_EQ(parser.Attribute(parser.FindElement(parser.FoundElement(3), "a"), "href").rfind(
                  "http://www.baidu.com/link?url=", 0),
              0u);
}

} // namespace
} // namespace lilan
