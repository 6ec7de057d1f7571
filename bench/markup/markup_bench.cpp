#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>

#include "core/event_pump.h"
#include "text/code_page.h"
#include "text/markup_cleaner.h"
#include "text/markup_parser.h"
#include "text/regex_object.h"

namespace {

using lilan::MarkupParser;

// A result page of the real page's size and shape: style and script blocks,
// deep tab indentation, ten entries with multi-name classes, "href = ..."
// with line breaks inside the start tag and c-showurl addresses.
std::string GeneratedPage() {
    std::string page = "<html><head><title>python_\xB0\xD9\xB6\xC8\xCB\xD1\xCB\xF7</title><style>\n";
    while (page.size() < 200 * 1024)
        page += ".c-container .t a,#container.sam_newgrid .c-container .c-title{font-size:18px;line-height:22px}\n";
    page += "</style></head><body><div id=\"wrapper\"><div id=\"content_left\">\n";
    const std::string indent(140, '\t');
    for (int id = 1; id <= 10; ++id) {
        page += indent + "<div class=\"result c-container \" id=\"" + std::to_string(id) +
                "\" srcid=\"1599\" tpl=\"se_com_default\"  data-click=\"{'rsv_bdr':'0' }\"  ><h3 class=\"t\" ><a\n"
                "\t        data-click=\"{\n\t\t\t'F':'778317EA',\n\t\t\t'T':'1597724469'\n\t\t\t\t\t\t}\"\n"
                "        href = \"http://www.baidu.com/link?url=mEwnYt3OdA6zvWeqczLMvC4a2U3m9CyHMCxB" +
                std::to_string(id) + "\"\n\n\t\t            target=\"_blank\"\n\t\t>\xCF\xC2\xD4\xD8 <em>python</em> - "
                "Download</a></h3>\n";
        for (int i = 0; i < 6; ++i)
            page += indent + "<div class=\"c-row c-gap-top-small\"><div class=\"c-span18\"><span class=\"c-abstract\">"
                             "\xB0\xB2\xD7\xB0 <em>Python</em> \xB5\xC4\xCB\xB5\xC3\xF7</span></div></div>\n";
        page += indent + "<div class=\"f13\"><a target=\"_blank\" href=\"http://www.baidu.com/link?url=x\" "
                         "class=\"c-showurl \" style=\"text-decoration:none;\">www.<b>python</b>.org/getit/</a> "
                         "<a href=\"http://cache.baiducontent.com/c?m=9f\" target=\"_blank\" class=\"m\">"
                         "\xB0\xD9\xB6\xC8\xBF\xEC\xD5\xD5</a></div></div>\n";
    }
    page += "</div></div><script>\n";
    while (page.size() < 370 * 1024)
        page += "var s = document.createElement('script'); s.src = '//www.baidu.com/js/x.js'; if (a < b) {}\n";
    page += "</script></body></html>\n";
    return page;
}

const std::string& ResultPage() {
    static const std::string page = [] {
        std::ifstream in(std::string(LILAN_SHARED_FIXTURES) + "/result-page-python.html", std::ios::binary);
        if (!in)
            return GeneratedPage();
        std::ostringstream data;
        data << in.rdbuf();
        return lilan::Utf8ToGbkText(data.str());
    }();
    return page;
}

// What the window's pump may cost when events are waiting.
class BusyPump final : public lilan::EventPump {
public:
    void ProcessPendingEvents() override {
        ++count;
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(50);
        while (std::chrono::steady_clock::now() < until) {
        }
    }
    long count = 0;
};

// The result-page reader's walk: the entries, then per entry its title, its
// link, the shown-address candidates and the id and href attributes.
std::size_t ReadEntries(MarkupParser& parser, const std::string& page) {
    std::size_t bytes = 0;
    const int count = parser.FindAll(page, "div", "class", "c-container", "", true);
    for (int n = 1; n <= count; ++n) {
        const std::string entry = parser.FoundElement(n);
        const std::string link = parser.FindElement(entry, "a");
        bytes += parser.FindElement(entry, "h3").size() + link.size();
        bytes += parser.FindElement(entry, "span", "class", "g").size();
        bytes += parser.FindElement(entry, "span", "class", "c-showurl").size();
        bytes += parser.FindElement(entry, "div", "class", "c-showurl").size();
        bytes += parser.FindElement(entry, "p").size();
        bytes += parser.FindElement(entry, "a", "class", "c-showurl").size();
        bytes += parser.Attribute(entry, "id").size() + parser.Attribute(link, "href").size();
    }
    return bytes;
}

void BM_ResultPageWalk(benchmark::State& state) {
    const std::string& page = ResultPage();
    BusyPump pump;
    lilan::EventPump* previous = state.range(0) ? lilan::InstallEventPump(&pump) : nullptr;
    MarkupParser parser;
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadEntries(parser, page));
    if (state.range(0))
        lilan::InstallEventPump(previous);
    state.counters["entries"] = parser.FindAll(page, "div", "class", "c-container", "", true);
    state.counters["pumps/walk"] = benchmark::Counter(static_cast<double>(pump.count) / state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ResultPageWalk)->ArgName("busyPump")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_FindAllEntries(benchmark::State& state) {
    const std::string& page = ResultPage();
    MarkupParser parser;
    for (auto _ : state)
        benchmark::DoNotOptimize(parser.FindAll(page, "div", "class", "c-container", "", true));
}
BENCHMARK(BM_FindAllEntries)->Unit(benchmark::kMicrosecond);

void BM_FindAllNestedDivs10000(benchmark::State& state) {
    std::string markup;
    for (int i = 0; i < 10000; ++i)
        markup += "<div class=\"r\">";
    markup += "x";
    for (int i = 0; i < 10000; ++i)
        markup += "</div>";
    MarkupParser parser;
    for (auto _ : state)
        benchmark::DoNotOptimize(parser.FindAll(markup, "div", "class", "r"));
}
BENCHMARK(BM_FindAllNestedDivs10000)->Unit(benchmark::kMillisecond);

void BM_FindAllEntries20MB(benchmark::State& state) {
    std::string page;
    while (page.size() < (20u << 20))
        page += ResultPage();
    MarkupParser parser;
    for (auto _ : state)
        benchmark::DoNotOptimize(parser.FindAll(page, "div", "class", "c-container", "", true));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_FindAllEntries20MB)->Unit(benchmark::kMillisecond);

std::string TenMegabytes() {
    std::string text;
    while (text.size() < (10u << 20))
        text += ResultPage();
    return text;
}

void BM_StripTags10MB(benchmark::State& state) {
    const std::string text = TenMegabytes();
    lilan::RegexObject strip;
    strip.Create("<[\\s\\S]+?>");
    for (auto _ : state)
        benchmark::DoNotOptimize(strip.Replace(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_StripTags10MB)->Unit(benchmark::kMillisecond);

void BM_TrimLines10MB(benchmark::State& state) {
    const std::string text = TenMegabytes();
    const lilan::MarkupCleaner cleaner;
    for (auto _ : state)
        benchmark::DoNotOptimize(cleaner.TrimLines(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_TrimLines10MB)->Unit(benchmark::kMillisecond);

} // namespace
