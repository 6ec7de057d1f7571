#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "lists/list_file.h"
#include "lists/navigation_page.h"
#include "settings/settings_store.h"
#include "support/fake_window.h"
#include "support/gbk.h"
#include "support/temp_files.h"

namespace {

using lilan::test::Gbk;

constexpr int kRows = 100000;

std::string ListFile() {
    const std::string keywords = Gbk("关键词甲 关键词乙");
    const std::string result = Gbk(" 3 未收录");
    std::string file;
    for (int i = 0; i < kRows; ++i)
        file += keywords + ",www.example" + std::to_string(i) + ".com," + std::to_string(i % 50) + result + "\r\n";
    return file;
}

lilan::test::FakeResultsList FilledList() {
    lilan::test::FakeResultsList list;
    lilan::ImportListText(ListFile(), list);
    return list;
}

void BM_ImportList100kRows(benchmark::State& state) {
    const std::string file = ListFile();
    for (auto _ : state) {
        lilan::test::FakeResultsList list;
        lilan::ImportListText(file, list);
        benchmark::DoNotOptimize(list.rows.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ImportList100kRows)->Unit(benchmark::kMillisecond);

// Arg: 1 with 只导出有排名的.
void BM_ExportList100kRows(benchmark::State& state) {
    const auto list = FilledList();
    for (auto _ : state)
        benchmark::DoNotOptimize(lilan::ExportListText(list, state.range(0) != 0));
}
BENCHMARK(BM_ExportList100kRows)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_NavigationPage100kRows(benchmark::State& state) {
    const auto list = FilledList();
    lilan::test::FakeOptions options;
    for (auto _ : state)
        benchmark::DoNotOptimize(lilan::BuildNavigationPage(list, options, "nav"));
}
BENCHMARK(BM_NavigationPage100kRows)->Unit(benchmark::kMillisecond);

// The window's save: nine writes, each a synced rewrite of the file.
void BM_SettingsWindowSave(benchmark::State& state) {
    lilan::test::TempDir dir;
    lilan::SettingsStore store;
    store.OpenFile(dir.File("settings.ini"));
    const std::vector<std::string> boxes = {Gbk("选择框只查询是否收录"),   Gbk("选择框只未收录"),
                                            Gbk("选择框锚文本新页面打开"), Gbk("选择框使用网址"),
                                            Gbk("选择框显示文字"),         Gbk("选择框代理")};
    const std::string section = Gbk("基本配置"), pages = Gbk("查询页数"), interval = Gbk("访问间隔");
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        store.SetSection(section);
        store.WriteText(pages, flip ? "1" : "2");
        store.WriteText(interval, "3000");
        for (const std::string& box : boxes)
            store.WriteBool(box, flip);
        store.WriteText("ip", "127.0.0.1:8080");
    }
    if (store.HadWriteError())
        state.SkipWithError("settings writes failed");
}
BENCHMARK(BM_SettingsWindowSave)->Unit(benchmark::kMillisecond);

} // namespace
