#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <httplib.h>

#include "net/decode_body.h"
#include "net/web_client.h"

namespace {

// The shared result page when present, else a page of the same size and
// make-up: ASCII markup with Chinese text, charset declared in a meta tag.
std::string Page() {
    static const std::string page = [] {
        std::ifstream in(std::string(LILAN_SHARED_FIXTURES) + "/result-page-python.html", std::ios::binary);
        std::ostringstream data;
        if (in) {
            data << in.rdbuf();
            return data.str();
        }
        std::string made = "<html><head><meta http-equiv=\"content-type\" content=\"text/html;charset=utf-8\">"
                           "<title>Python_百度搜索</title></head><body>";
        for (int i = 0; made.size() < 370000; ++i)
            made += "<div class=\"result c-container\" id=\"" + std::to_string(i) +
                    "\"><h3><a href=\"http://www.baidu.com/link?url=x\">Python 教程 - 廖雪峰的官方网站</a></h3>"
                    "<div class=\"c-abstract\">Python是一种计算机程序设计语言。你可能已经听说过很多种流行的编程语言"
                    "</div></div>\n";
        return made + "</body></html>";
    }();
    return page;
}

// The same page without its meta tag, so that the UTF-8 test decides.
std::string PageWithoutMeta() {
    std::string page = Page();
    for (std::size_t at; (at = page.find("<meta")) != std::string::npos;)
        page.erase(at, page.find('>', at) - at + 1);
    return page;
}

void BM_DecodeBody(benchmark::State& state) {
    const std::string page = state.range(0) == 0 ? Page() : PageWithoutMeta();
    for (auto _ : state)
        benchmark::DoNotOptimize(lilan::DecodeBody(page));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_DecodeBody)->Arg(0)->Arg(1)->ArgName("noMeta")->Unit(benchmark::kMicrosecond);

void BM_LooksLikeUtf8(benchmark::State& state) {
    const std::string page = Page();
    for (auto _ : state)
        benchmark::DoNotOptimize(lilan::LooksLikeUtf8(page));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_LooksLikeUtf8)->Unit(benchmark::kMicrosecond);

void BM_FetchPageLoopback(benchmark::State& state) {
    httplib::Server server;
    server.set_tcp_nodelay(true); // else the header and body writes wait on delayed acknowledgements
    server.Get("/page",
               [](const httplib::Request&, httplib::Response& response) { response.set_content(Page(), "text/html"); });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread thread([&] { server.listen_after_bind(); });
    while (!server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    {
        lilan::WebClient web;
        const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/page";
        for (auto _ : state)
            benchmark::DoNotOptimize(web.FetchPage(url));
    }
    server.stop();
    thread.join();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Page().size()));
}
BENCHMARK(BM_FetchPageLoopback)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
