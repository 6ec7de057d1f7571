#include <benchmark/benchmark.h>

#include <httplib.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "net/decode_body.h"
#include "net/web_client.h"

namespace {

// The saved real result page when present, else a UTF-8 page of its size.
const std::string& Page() {
    static const std::string page = [] {
        std::ifstream in(std::string(LILAN_SHARED_FIXTURES) + "/result-page-python.html", std::ios::binary);
        std::ostringstream data;
        data << in.rdbuf();
        std::string text = data.str();
        if (text.empty()) {
            text = "<html><head><meta charset=\"utf-8\"><title>python_百度搜索</title></head><body>";
            while (text.size() < 370 * 1024)
                text += "<div class=\"result c-container \" id=\"1\"><h3>标题 title</h3><p>摘要 text</p></div>\n";
            text += "</body></html>";
        }
        return text;
    }();
    return page;
}

void BM_DecodeBody370KB(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(lilan::DecodeBody(Page()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Page().size()));
}
BENCHMARK(BM_DecodeBody370KB)->Unit(benchmark::kMillisecond);

void BM_LoopbackFetch370KB(benchmark::State& state) {
    httplib::Server server;
    server.Get("/s", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(Page(), "text/html; charset=utf-8");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread thread([&] { server.listen_after_bind(); });
    lilan::WebClient web;
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/s";
    for (auto _ : state)
        benchmark::DoNotOptimize(web.FetchPage(url));
    server.stop();
    thread.join();
}
BENCHMARK(BM_LoopbackFetch370KB)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
