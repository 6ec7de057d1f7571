#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include "core/app_state.h"
#include "search_simulator.h"
#include "shell/main_window.h"
#include "shell/qt_event_pump.h"
#include "shell/results_model.h"
#include "shell_test_support.h"
#include "support/gbk.h"

namespace lilan {
namespace {

using sim::RankedSite;
using sim::ShowAs;
using test::Gbk;

constexpr const char* kSite = "http://site-a.example";

// The program's own wiring, the search engine replaced by the simulator on
// 127.0.0.1, driven by clicks on "开始查询".
class QueryRunThroughTheWindowTest : public ::testing::Test {
protected:
    void SetUp() override { test::TestApp(); }

    void Start() {
        config.rankings[kSite].push_back(RankedSite{1, "site-a.example", ShowAs::Shown, ""});
        config.rankings["红茶"].push_back(RankedSite{3, "site-a.example", ShowAs::Shown, ""});
        server = std::make_unique<sim::SearchSimulator>(config);
        const int port = server->Start();
        ASSERT_GT(port, 0);
        state.deployment.searchHost = "127.0.0.1:" + std::to_string(port);
        MainWindowSetup setup;
        setup.productName = state.productName;
        setup.deployment = state.deployment;
        setup.dialogs = &boxes;
        setup.runQuery = [this](QueryWindow& w) { RunQuery(state, w); };
        window = std::make_unique<MainWindow>(std::move(setup));
        window->show();
        // No pauses between requests: the test is about the wiring.
        window->findChild<QLineEdit*>(QStringLiteral(u"编辑框百度访问间隔"))->setText(QStringLiteral("0"));
        start = window->findChild<QPushButton*>(QStringLiteral(u"按钮开始查询"));
    }

    void AddRow(const std::string& keywords, const std::string& address) {
        ResultsList& list = window->List();
        const int row = list.AppendRow();
        list.SetCellText(row, kKeywordColumn, keywords);
        list.SetCellText(row, kAddressColumn, address);
    }

    sim::SimConfig config;
    std::unique_ptr<sim::SearchSimulator> server;
    AppState state;
    QtEventPump pump;
    test::ScriptedDialogs boxes;
    std::unique_ptr<MainWindow> window;
    QPushButton* start = nullptr;
};

TEST_F(QueryRunThroughTheWindowTest, AFullRun) {
    Start();
    AddRow(Gbk("红茶 绿茶"), kSite);
    AddRow("x", "http://unknown.example");
    QTest::mouseClick(start, Qt::LeftButton); // returns when the run has ended

    ResultsList& list = window->List();
    EXPECT_EQ(list.CellText(0, kResultColumn), Gbk("(红茶)第3位 (绿茶)超出范围"));
    EXPECT_EQ(list.CellText(1, kResultColumn), Gbk("未收录"));
    EXPECT_EQ(start->text(), QStringLiteral(u"开始查询"));
    EXPECT_EQ(window->Model().ColumnTitle(kKeywordColumn), Gbk("关键词"));
    EXPECT_EQ(window->Model().ColumnTitle(kAddressColumn), Gbk("网址"));
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, Gbk("查询完毕！"));
    const std::vector<std::string> log = server->RequestLog();
    const auto searches = std::count_if(log.begin(), log.end(),
                                        [](const std::string& request) { return request.rfind("GET /s?", 0) == 0; });
    EXPECT_EQ(searches, 4); // two inclusion searches, two keyword pages
}

TEST_F(QueryRunThroughTheWindowTest, ASecondClickStopsTheRun) {
    config.delayMs = 20; // time for the click to come between rows
    Start();
    constexpr int kRows = 30;
    for (int i = 0; i < kRows; ++i)
        AddRow(Gbk("红茶"), kSite);
    QStringList captions;
    bool clicked = false;
    QTimer watcher;
    watcher.setInterval(2);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (captions.isEmpty() || captions.last() != start->text())
            captions << start->text();
        if (!clicked && window->List().CellText(0, kResultColumn) == Gbk("(红茶)第3位")) {
            clicked = true;
            QTest::mouseClick(start, Qt::LeftButton);
            captions << start->text();
        }
    });
    watcher.start();
    QTest::mouseClick(start, Qt::LeftButton);
    watcher.stop();

    ASSERT_TRUE(clicked);
    EXPECT_TRUE(captions.contains(QStringLiteral(u"停止查询")));
    EXPECT_TRUE(captions.contains(QStringLiteral(u"停止中")));
    EXPECT_EQ(start->text(), QStringLiteral(u"开始查询"));
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, Gbk("查询完毕！"));
    EXPECT_EQ(window->List().CellText(kRows - 1, kResultColumn), ""); // never reached
    EXPECT_LT(server->RequestCount(), 2 * kRows);
}

} // namespace
} // namespace lilan
