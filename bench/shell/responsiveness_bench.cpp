#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>

#include "core/app_state.h"
#include "search_simulator.h"
#include "shell/main_window.h"
#include "shell/qt_event_pump.h"
#include "shell/shell_dialogs.h"
#include "text/code_page.h"

namespace {

QApplication& App() {
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QStandardPaths::setTestModeEnabled(true);
        static int argc = 1;
        static char name[] = "shell_responsiveness_bench";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *app;
}

// Answers every box at once.
class SilentDialogs final : public lilan::ShellDialogs {
public:
    void ShowMessage(std::string_view, std::string_view, lilan::MessageIcon) override {}
    bool AskYesNo(std::string_view, std::string_view) override { return false; }
    std::optional<std::string> ChooseFile(const lilan::FileDialogRequest&) override { return std::nullopt; }
    std::vector<std::string> ChooseFiles(const lilan::FileDialogRequest&) override { return {}; }
};

// A whole query run clicked off in the window while the search server takes
// its time with every answer; a 10 ms timer measures how long the window's
// event loop ever went unserved.
void BM_RunAgainstASlowServer(benchmark::State& state) {
    App();
    const int delayMs = static_cast<int>(state.range(0));
    lilan::sim::SimConfig config;
    config.delayMs = delayMs;
    const std::string site = "http://site-a.example";
    config.rankings[site].push_back({1, "site-a.example", lilan::sim::ShowAs::Shown, ""});
    // Found by its shown address: no result links to follow, so every
    // request is one slow answer.
    config.rankings["红茶"].push_back({3, "site-a.example", lilan::sim::ShowAs::Shown, ""});
    config.rankings["绿茶"].push_back({7, "site-a.example", lilan::sim::ShowAs::Shown, ""});
    lilan::sim::SearchSimulator server(config);
    if (server.Start() <= 0) {
        state.SkipWithError("the simulator could not bind");
        return;
    }

    lilan::AppState app;
    app.deployment.searchHost = "127.0.0.1:" + std::to_string(server.Port());
    lilan::QtEventPump pump;
    SilentDialogs boxes;
    lilan::MainWindowSetup setup;
    setup.dialogs = &boxes;
    setup.runQuery = [&app](lilan::QueryWindow& w) { lilan::RunQuery(app, w); };
    lilan::MainWindow window(std::move(setup));
    window.show();
    window.findChild<QLineEdit*>(QStringLiteral(u"编辑框百度访问间隔"))->setText(QStringLiteral("100"));
    window.findChild<QLineEdit*>(QStringLiteral(u"编辑框查询最多页数"))->setText(QStringLiteral("1"));
    auto* start = window.findChild<QPushButton*>(QStringLiteral(u"按钮开始查询"));
    lilan::ResultsList& list = window.List();
    for (int i = 0; i < 3; ++i) {
        const int row = list.AppendRow();
        list.SetCellText(row, lilan::kKeywordColumn, lilan::Cp936("红茶 绿茶"));
        list.SetCellText(row, lilan::kAddressColumn, site);
    }

    qint64 longestGapMs = 0, ticks = 0, runMs = 0;
    for (auto _ : state) {
        QElapsedTimer sinceTick, run;
        QTimer ticker;
        ticker.setInterval(10);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestGapMs = std::max(longestGapMs, sinceTick.restart());
            ++ticks;
        });
        run.start();
        sinceTick.start();
        ticker.start();
        start->click(); // returns when the run has ended
        ticker.stop();
        runMs = run.elapsed();
    }
    state.counters["longest_gap_ms"] = static_cast<double>(longestGapMs);
    state.counters["ticks"] = static_cast<double>(ticks);
    state.counters["run_ms"] = static_cast<double>(runMs);
    state.counters["requests"] = server.RequestCount();
}
BENCHMARK(BM_RunAgainstASlowServer)->Arg(300)->ArgName("answerDelayMs")->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
