#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStandardPaths>

#include <string>
#include <vector>

#include "core/event_pump.h"
#include "lists/list_file.h"
#include "shell/main_window.h"
#include "shell/qt_event_pump.h"
#include "shell/results_model.h"
#include "shell/shell_dialogs.h"
#include "text/code_page.h"

namespace {

QApplication& App() {
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QStandardPaths::setTestModeEnabled(true);
        static int argc = 1;
        static char name[] = "shell_bench";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *app;
}

struct Row {
    std::string keywords, address, result;
};

std::vector<Row> Rows(int count) {
    std::vector<Row> rows;
    rows.reserve(static_cast<std::size_t>(count));
    const std::string keywords = lilan::Cp936("网站优化 关键词排名 ");
    for (int i = 0; i < count; ++i)
        rows.push_back({keywords + std::to_string(i),
                        "http://www.example" + std::to_string(i % 977) + ".com/page" + std::to_string(i) + ".html",
                        i % 3 == 0 ? std::string() : lilan::Cp936("(网站优化)第3位 (关键词排名)超出范围")});
    return rows;
}

// The list import's work on the window: append a row, write its three cells,
// let events run after every row, with the window shown.
void BM_Import100000RowsIntoTheWindow(benchmark::State& state) {
    App();
    const bool everyRow = state.range(0) != 0;
    const std::vector<Row> rows = Rows(100000);
    lilan::MainWindowSetup setup;
    lilan::MainWindow window(std::move(setup));
    window.show();
    lilan::QtEventPump pump;
    lilan::ResultsList& list = window.List();
    for (auto _ : state) {
        for (const Row& row : rows) {
            const int index = list.AppendRow();
            list.SetCellText(index, lilan::kKeywordColumn, row.keywords);
            list.SetCellText(index, lilan::kAddressColumn, row.address);
            list.SetCellText(index, lilan::kResultColumn, row.result);
            if (everyRow)
                lilan::LetEventsRun();
            else
                lilan::LetEventsRunSometimes();
        }
        window.Model().AnnouncePendingRows();
        QApplication::processEvents(); // the view's layout of the whole list
        benchmark::DoNotOptimize(window.Model().rowCount());
        state.PauseTiming();
        list.RemoveAllRows();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(rows.size()));
}
BENCHMARK(BM_Import100000RowsIntoTheWindow)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("pumpEveryRow")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The list import itself: 100,000 lines of a list file into the shown window.
void BM_ImportListText100000Lines(benchmark::State& state) {
    App();
    std::string file;
    for (const Row& row : Rows(100000))
        file += row.keywords + "," + row.address + "," + row.result + "\r\n";
    lilan::MainWindow window(lilan::MainWindowSetup{});
    window.show();
    lilan::QtEventPump pump;
    lilan::ResultsList& list = window.List();
    for (auto _ : state) {
        lilan::ImportListText(file, list);
        window.Model().AnnouncePendingRows();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.Model().rowCount());
        state.PauseTiming();
        list.RemoveAllRows();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_ImportListText100000Lines)->Unit(benchmark::kMillisecond)->Iterations(3);

// Scrolling through the filled list: the view asks only for what it shows.
void BM_ScrollThrough100000Rows(benchmark::State& state) {
    App();
    const std::vector<Row> rows = Rows(100000);
    lilan::MainWindow window(lilan::MainWindowSetup{});
    window.show();
    lilan::ResultsList& list = window.List();
    for (const Row& row : rows) {
        const int index = list.AppendRow();
        list.SetCellText(index, lilan::kKeywordColumn, row.keywords);
        list.SetCellText(index, lilan::kAddressColumn, row.address);
    }
    int row = 0;
    for (auto _ : state) {
        list.SelectRow(row);
        QApplication::processEvents();
        row = (row + 997) % 100000;
    }
}
BENCHMARK(BM_ScrollThrough100000Rows)->Unit(benchmark::kMicrosecond);

} // namespace
