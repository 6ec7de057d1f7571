#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <fstream>
#include <sstream>

#include "shell/help_text.h"
#include "shell/link_label.h"
#include "shell/main_window.h"
#include "shell/qt_event_pump.h"
#include "shell/qt_text.h"
#include "shell/results_model.h"
#include "shell/results_view.h"
#include "shell/text_dialog.h"
#include "shell/tray_icon.h"
#include "shell_test_support.h"
#include "support/gbk.h"
#include "text/code_page.h"

namespace lilan {
namespace {

using test::Gbk;

void WriteFile(const std::string& cp936Path, const std::string& bytes) {
    std::ofstream(GbkToUtf8Text(cp936Path), std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& cp936Path) {
    std::ifstream in(GbkToUtf8Text(cp936Path), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { test::TestApp(); }

    MainWindowSetup Wiring() {
        MainWindowSetup setup;
        setup.productName = Gbk("栎澜排名通");
        setup.deployment.homeAddress = "http://home.example/";
        setup.deployment.productAddress = "http://product.example/";
        setup.deployment.contactText = Gbk("联系作者");
        setup.deployment.contactAddress = "http://contact.example/";
        setup.deployment.tutorialAddress = "http://tutorial.example/";
        setup.dialogs = &boxes;
        setup.urlOpener = &opener;
        return setup;
    }

    template <typename T> static T* Find(QWidget& window, const char16_t* name) {
        T* widget = window.findChild<T*>(QString::fromUtf16(name));
        EXPECT_NE(widget, nullptr) << QString::fromUtf16(name).toStdString();
        return widget;
    }

    test::ScriptedDialogs boxes;
    test::RecordingUrlOpener opener;
};

TEST_F(MainWindowTest, WindowAndPanelAsDesigned) {
    MainWindow window(Wiring());
    EXPECT_EQ(window.windowTitle(),
              QStringLiteral(u"栎澜排名通 v1.6.6.0 - 排名 -1 表示超出范围，0 表示未收录，1 及以上表示收录"));
    EXPECT_EQ(window.font().pixelSize(), 15);
    EXPECT_EQ(window.font().families().value(0), QStringLiteral(u"宋体"));
    EXPECT_EQ(Find<QPushButton>(window, u"按钮开始查询")->font().pixelSize(), 15); // reaches the panel
    EXPECT_EQ(Find<LinkLabel>(window, u"链接保存配置")->font().pixelSize(), 15);

    struct Control {
        const char16_t* name;
        QRect geometry;
        QString caption;
    };
    const Control controls[] = {
        {u"图片框底图", {0, 0, 864, 88}, {}},
        {u"图片标志", {464, 12, 195, 64}, {}},
        {u"图片疑点说明", {16, 0, 64, 64}, {}},
        {u"链接疑点说明", {16, 64, 64, 24}, QStringLiteral(u"疑点说明")},
        {u"图片保存配置", {96, 0, 64, 64}, {}},
        {u"链接保存配置", {96, 64, 64, 24}, QStringLiteral(u"保存配置")},
        {u"图片软件主页", {176, 0, 64, 64}, {}},
        {u"链接软件主页", {176, 64, 64, 24}, QStringLiteral(u"软件主页")},
        {u"图片联系方式", {256, 0, 64, 64}, {}},
        {u"链接联系方式", {256, 64, 64, 24}, QStringLiteral(u"联系作者")},
        {u"标签12", {0, 88, 1000, 2}, {}},
        {u"列表框", {8, 96, 848, 352}, {}},
        {u"图片框面板", {0, 376, 864, 160}, {}},
        {u"按钮导入列表", {16, 16, 120, 32}, QStringLiteral(u"导入列表")},
        {u"按钮导出列表", {16, 53, 120, 32}, QStringLiteral(u"导出列表")},
        {u"选择框有排名", {16, 90, 128, 24}, QStringLiteral(u"只导出有排名的")},
        {u"按钮清空列表", {16, 120, 120, 32}, QStringLiteral(u"清空列表")},
        {u"按钮开始查询", {184, 16, 320, 32}, QStringLiteral(u"开始查询")},
        {u"选择框代理", {184, 58, 56, 24}, QStringLiteral(u"代理")},
        {u"编辑框ip", {240, 58, 264, 24}, QString()},
        {u"标签1", {184, 90, 104, 24}, QStringLiteral(u"查询最多页数：")},
        {u"编辑框查询最多页数", {288, 90, 48, 24}, QStringLiteral("1")},
        {u"标签2", {352, 90, 104, 24}, QStringLiteral(u"百度访问间隔：")},
        {u"编辑框百度访问间隔", {456, 90, 48, 24}, QStringLiteral("3000")},
        {u"选择框只查询是否收录", {184, 120, 160, 32}, QStringLiteral(u"只查询收录不查排名")},
        {u"选择框显示文字", {352, 120, 168, 32}, QStringLiteral(u"查询结果以描述显示")},
        {u"按钮生成导航", {552, 16, 216, 32}, QStringLiteral(u"生成锚文本形式的导航网页")},
        {u"选择框只未收录", {552, 53, 240, 32}, QStringLiteral(u"只未收录或排名超出范围的网址")},
        {u"选择框锚文本新页面打开", {552, 83, 240, 32}, QStringLiteral(u"锚文本超链接在新页面打开")},
        {u"选择框使用网址", {552, 114, 240, 32}, QStringLiteral(u"锚文本标题始终使用网址")},
    };
    for (const Control& c : controls) {
        const QString name = QString::fromUtf16(c.name);
        QWidget* widget = window.findChild<QWidget*>(name);
        ASSERT_NE(widget, nullptr) << name.toStdString();
        EXPECT_EQ(widget->geometry(), c.geometry) << name.toStdString();
        QString caption;
        if (auto* button = qobject_cast<QAbstractButton*>(widget); button && !qobject_cast<QToolButton*>(widget))
            caption = button->text();
        else if (auto* label = qobject_cast<QLabel*>(widget))
            caption = label->text();
        else if (auto* edit = qobject_cast<QLineEdit*>(widget))
            caption = edit->text();
        EXPECT_EQ(caption, c.caption) << name.toStdString();
    }

    struct Tick {
        const char16_t* name;
        bool checked;
    };
    const Tick ticks[] = {{u"选择框有排名", false},  {u"选择框代理", false},    {u"选择框只查询是否收录", false},
                          {u"选择框显示文字", true}, {u"选择框只未收录", true}, {u"选择框锚文本新页面打开", true},
                          {u"选择框使用网址", false}};
    for (const Tick& t : ticks)
        EXPECT_EQ(Find<QCheckBox>(window, t.name)->isChecked(), t.checked) << QString::fromUtf16(t.name).toStdString();

    QHeaderView* header = window.View().header();
    EXPECT_EQ(header->sectionSize(0), 300);
    EXPECT_EQ(header->sectionSize(1), 300);
    EXPECT_EQ(header->sectionSize(2), 500);
    EXPECT_EQ(window.Model().headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral(u"排名"));
}

TEST_F(MainWindowTest, ResizingKeepsThePanelAtTheBottomAndTheListAboveIt) {
    struct Case {
        QSize client;
        QRect panel, list;
    };
    const Case cases[] = {
        {{863, 536}, {0, 376, 863, 160}, {8, 96, 848, 270}},
        {{900, 600}, {0, 440, 900, 160}, {8, 96, 885, 334}},
        {{100, 200}, {0, 40, 100, 160}, {8, 96, 85, 0}}, // no room left for the list
    };
    MainWindow window(Wiring());
    window.show();
    for (const Case& c : cases) {
        window.resize(c.client);
        QApplication::processEvents();
        EXPECT_EQ(window.size(), c.client);
        EXPECT_EQ(Find<QWidget>(window, u"图片框面板")->geometry(), c.panel);
        EXPECT_EQ(Find<QWidget>(window, u"列表框")->geometry(), c.list);
        EXPECT_EQ(Find<QWidget>(window, u"图片框底图")->geometry(), QRect(0, 0, c.client.width(), 88));
    }
}

TEST_F(MainWindowTest, OnlyAClickOnTheProxyBoxEnablesTheAddress) {
    MainWindow window(Wiring());
    window.show();
    QCheckBox* proxy = Find<QCheckBox>(window, u"选择框代理");
    QLineEdit* address = Find<QLineEdit>(window, u"编辑框ip");
    EXPECT_TRUE(address->isEnabled());
    proxy->setChecked(true); // as loading does
    proxy->setChecked(false);
    EXPECT_TRUE(address->isEnabled());

    QTest::mouseClick(proxy, Qt::LeftButton, {}, QPoint(8, proxy->height() / 2));
    EXPECT_TRUE(proxy->isChecked());
    EXPECT_TRUE(address->isEnabled());
    QTest::mouseClick(proxy, Qt::LeftButton, {}, QPoint(8, proxy->height() / 2));
    EXPECT_FALSE(proxy->isChecked());
    EXPECT_FALSE(address->isEnabled());
    proxy->click();
    EXPECT_TRUE(address->isEnabled());
}

TEST_F(MainWindowTest, DoubleClickSearchesTheSelectedAddress) {
    MainWindow window(Wiring());
    window.show();
    ResultsList& list = window.List();
    const std::string addresses[] = {Gbk("http://中文.com"), "http://abc"};
    for (const std::string& address : addresses)
        list.SetCellText(list.AppendRow(), kAddressColumn, address);
    window.Model().AnnouncePendingRows();
    QApplication::processEvents();

    ResultsView& view = window.View();
    QWidget* viewport = view.viewport();
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(5, viewport->height() - 5)); // below the rows
    const QPoint second = view.visualRect(window.Model().index(1, kKeywordColumn)).center();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, second);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, second);
    list.SelectRow(0);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(5, viewport->height() - 5));

    const std::vector<std::string> expected = {
        "http://www.baidu.com/s?word=",
        "http://www.baidu.com/s?word=http%3A%2F%2Fabc",
        "http://www.baidu.com/s?word=http%3A%2F%2F%D6%D0%CE%C4.com",
    };
    EXPECT_EQ(opener.opened, expected);
}

TEST_F(MainWindowTest, TopBandLinksOpenTheirAddresses) {
    MainWindow window(Wiring());
    window.show();
    Find<QToolButton>(window, u"图片标志")->click();
    Find<QToolButton>(window, u"图片软件主页")->click();
    QTest::mousePress(Find<LinkLabel>(window, u"链接软件主页"), Qt::LeftButton);
    Find<QToolButton>(window, u"图片联系方式")->click();
    QTest::mousePress(Find<LinkLabel>(window, u"链接联系方式"), Qt::LeftButton);
    QTest::mousePress(Find<LinkLabel>(window, u"链接联系方式"), Qt::RightButton); // left only
    const std::vector<std::string> expected = {"http://home.example/", "http://product.example/",
                                               "http://product.example/", "http://contact.example/",
                                               "http://contact.example/"};
    EXPECT_EQ(opener.opened, expected);
}

TEST_F(MainWindowTest, HelpOpensReadOnlyWithItsOneCloseButton) {
    MainWindow window(Wiring());
    window.show();
    const auto checkAndClose = [&] {
        auto* dialog = qobject_cast<TextDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral(u"疑点说明"));
        EXPECT_EQ(dialog->parentWidget(), &window);
        EXPECT_EQ(dialog->Text(), HelpText(Wiring().deployment));
        QStringList visible;
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->isVisible())
                visible << button->text();
        EXPECT_EQ(visible, QStringList{QStringLiteral(u"关闭(&G)")});
        dialog->findChild<QPushButton*>(QStringLiteral(u"按钮取消"))->click();
    };
    QTimer::singleShot(0, checkAndClose);
    Find<QToolButton>(window, u"图片疑点说明")->click();
    EXPECT_FALSE(TextDialogIsOpen());
    QTimer::singleShot(0, checkAndClose);
    QTest::mousePress(Find<LinkLabel>(window, u"链接疑点说明"), Qt::LeftButton);
    EXPECT_FALSE(TextDialogIsOpen());
}

TEST_F(MainWindowTest, StartButtonHandsTheWindowToTheRun) {
    // A stand-in run: lets events run until its button is clicked again.
    int runs = 0, stops = 0;
    MainWindowSetup setup = Wiring();
    setup.runQuery = [&](QueryWindow& w) {
        if (w.startButton.Text() != Gbk("开始查询")) {
            ++stops;
            w.startButton.SetText(Gbk("停止中"));
            return;
        }
        ++runs;
        w.startButton.SetText(Gbk("停止查询"));
        EXPECT_EQ(w.options.PageLimitText(), "1");
        EXPECT_EQ(w.options.IntervalText(), "3000");
        EXPECT_TRUE(w.options.Descriptive());
        EXPECT_FALSE(w.options.InclusionOnly());
        w.list.SetCellText(w.list.AppendRow(), kResultColumn, Gbk("正在查询中.."));
        while (w.startButton.Text() != Gbk("停止中"))
            LetEventsRun();
        EXPECT_TRUE(w.options.InclusionOnly()); // ticked while the run was going
        w.startButton.SetText(Gbk("开始查询"));
        w.dialogs.ShowMessage(Gbk("查询完毕！"));
    };
    MainWindow window(std::move(setup));
    window.show();
    QtEventPump pump;
    QPushButton* start = Find<QPushButton>(window, u"按钮开始查询");
    QTimer::singleShot(20, [&] {
        Find<QCheckBox>(window, u"选择框只查询是否收录")->click();
        QTest::mouseClick(start, Qt::LeftButton);
    });
    QTest::mouseClick(start, Qt::LeftButton);

    EXPECT_EQ(runs, 1);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(start->text(), QStringLiteral(u"开始查询"));
    EXPECT_EQ(window.List().CellText(0, kResultColumn), Gbk("正在查询中.."));
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, Gbk("查询完毕！"));
}

TEST_F(MainWindowTest, ListButtonsRunTheListCommands) {
    QTemporaryDir dir;
    const std::string source = FromQString(dir.filePath(QStringLiteral(u"列表.txt")));
    const std::string exported = FromQString(dir.filePath(QStringLiteral("out.txt")));
    const std::string page = FromQString(dir.filePath(QStringLiteral("nav.htm")));
    WriteFile(source, Gbk("红茶 绿茶,abc\r\nxyz\r\n"));
    MainWindow window(Wiring());
    window.show();
    ResultsList& list = window.List();

    boxes.fileChoices = {source, exported, page};
    Find<QPushButton>(window, u"按钮导入列表")->click();
    ASSERT_EQ(list.RowCount(), 2);
    EXPECT_EQ(list.CellText(0, kKeywordColumn), Gbk("红茶 绿茶"));
    EXPECT_EQ(list.CellText(1, kAddressColumn), "http://xyz");
    Find<QPushButton>(window, u"按钮导出列表")->click();
    EXPECT_EQ(ReadFile(exported), Gbk("红茶 绿茶,http://abc,\r\n,http://xyz,\r\n"));
    Find<QCheckBox>(window, u"选择框只未收录")->click(); // empty results count as ranked
    Find<QPushButton>(window, u"按钮生成导航")->click();
    EXPECT_NE(ReadFile(page).find("<a href=\"http://abc\" target=\"_blank\">"), std::string::npos);
    ASSERT_EQ(boxes.messages.size(), 2u);
    EXPECT_EQ(boxes.messages[0].title, Gbk("导出完毕！"));
    EXPECT_EQ(boxes.messages[1].title, Gbk("已导出成功"));
    ASSERT_EQ(boxes.fileRequests.size(), 3u);
    EXPECT_FALSE(boxes.fileRequests[0].save);
    EXPECT_EQ(boxes.fileRequests[1].proposedPath, source); // the list dialog remembers its last path

    Find<QPushButton>(window, u"按钮清空列表")->click();
    EXPECT_EQ(list.RowCount(), 0);
}

TEST_F(MainWindowTest, ARunOutlivesTheListBeingClearedAndRefilledUnderIt) {
    // The run holds row indexes it took at its start; while it lets events
    // run the list is cleared and a shorter list imported.
    QTemporaryDir dir;
    const std::string source = FromQString(dir.filePath(QStringLiteral("short.txt")));
    WriteFile(source, "new,a.com\r\n");
    MainWindowSetup setup = Wiring();
    setup.runQuery = [](QueryWindow& w) {
        const int rows = w.list.RowCount();
        for (int row = 0; row < rows; ++row) {
            w.list.SetCellText(row, kResultColumn, Gbk("正在查询中.."));
            w.list.SelectRow(row);
            LetEventsRun();
            w.list.SetCellText(row, kResultColumn, w.list.CellText(row, kKeywordColumn) + "1");
        }
    };
    MainWindow window(std::move(setup));
    window.show();
    QtEventPump pump;
    ResultsList& list = window.List();
    for (int i = 0; i < 10; ++i)
        list.SetCellText(list.AppendRow(), kKeywordColumn, "k" + std::to_string(i));
    boxes.fileChoices = {source};
    QTimer::singleShot(0, [&] {
        Find<QPushButton>(window, u"按钮清空列表")->click();
        Find<QPushButton>(window, u"按钮导入列表")->click();
    });
    Find<QPushButton>(window, u"按钮开始查询")->click();

    ASSERT_EQ(list.RowCount(), 1);
    EXPECT_EQ(list.CellText(0, kKeywordColumn), "new");
    EXPECT_EQ(list.CellText(0, kResultColumn), "new1"); // row 0 is the imported row now
    window.Model().AnnouncePendingRows();
    EXPECT_EQ(window.Model().rowCount(), 1);
}

TEST_F(MainWindowTest, TrayClicks) {
    MainWindow window(Wiring());
    QSignalSpy ends(&window, &MainWindow::programEnds);
    window.show();
    EXPECT_EQ(window.Tray().ToolTip(), QStringLiteral(u"栎澜排名通"));

    window.OnTrayNotify(TrayClick::Left);
    EXPECT_FALSE(window.isVisible());
    window.OnTrayNotify(TrayClick::Left);
    EXPECT_TRUE(window.isVisible());

    boxes.answers = {false};
    window.OnTrayNotify(TrayClick::Right);
    ASSERT_EQ(boxes.questions.size(), 1u);
    EXPECT_EQ(boxes.questions[0].text, Gbk("是否退出程序？"));
    EXPECT_EQ(boxes.questions[0].title, "");
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(ends.count(), 0);

    boxes.answers = {true};
    window.OnTrayNotify(TrayClick::Right);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(ends.count(), 1);
}

} // namespace
} // namespace lilan
