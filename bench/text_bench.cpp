#include <benchmark/benchmark.h>

#include <string>

#include "text/text_helpers.h"
#include "text/url_encode.h"

namespace {

// About 1 MB with 10,000 numeric references among ordinary markup.
std::string EntityText() {
    std::string text;
    const std::string filler(92, 'x');
    for (int i = 0; i < 10000; ++i)
        text += filler + "&#" + std::to_string(20000 + i % 5000) + ";";
    text.resize(1 << 20, 'y');
    return text;
}

void BM_DecodeEntities1MB(benchmark::State& state) {
    const std::string text = EntityText();
    for (auto _ : state)
        benchmark::DoNotOptimize(lilan::DecodeEntities(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_DecodeEntities1MB)->Unit(benchmark::kMillisecond);

void BM_UrlEncode100KB(benchmark::State& state) {
    std::string text;
    while (text.size() < 100 * 1024)
        text += "keyword \xB9\xD8\xBC\xFC\xB4\xCA ";
    for (auto _ : state)
        benchmark::DoNotOptimize(lilan::UrlEncode(text, state.range(0) != 0));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_UrlEncode100KB)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_TextBetweenWalk10000Pairs(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += "<meta name=\"n" + std::to_string(i) + "\" content=\"v\">\n<p>body</p>\n";
    for (auto _ : state) {
        lilan::Pos start = 0;
        int pairs = 0;
        while (!lilan::TextBetween(text, "<meta", ">", &start).empty())
            ++pairs;
        benchmark::DoNotOptimize(pairs);
    }
}
BENCHMARK(BM_TextBetweenWalk10000Pairs)->Unit(benchmark::kMillisecond);

} // namespace
