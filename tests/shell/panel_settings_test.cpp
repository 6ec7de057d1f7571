#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <fstream>
#include <sstream>

#include "settings/settings_path.h"
#include "settings/settings_store.h"
#include "shell/link_label.h"
#include "shell/main_window.h"
#include "shell/qt_text.h"
#include "shell/tray_icon.h"
#include "shell_test_support.h"
#include "support/gbk.h"
#include "text/code_page.h"

namespace lilan {
namespace {

using test::Gbk;

// The window over a settings file in a folder of its own, as the program
// sets it up.
class PanelSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::TestApp();
        ASSERT_TRUE(dir.isValid());
        path = SettingsPath(dir.path().toStdString(), Gbk("栎澜排名通"));
    }

    std::unique_ptr<MainWindow> Start(SettingsStore& store) {
        MainWindowSetup setup;
        setup.productName = Gbk("栎澜排名通");
        setup.settings = &store;
        setup.dialogs = &boxes;
        setup.urlOpener = &opener;
        auto window = std::make_unique<MainWindow>(std::move(setup));
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return window;
    }

    std::string FileBytes() const {
        std::ifstream in(GbkToUtf8Text(path), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    template <typename T> static T* Find(QWidget& window, const char16_t* name) {
        return window.findChild<T*>(QString::fromUtf16(name));
    }

    struct Panel {
        QString pages, interval, ip;
        bool inclusionOnly, unrankedOnly, newWindow, alwaysAddress, descriptive, proxy, rankedOnly, ipEnabled;
        bool operator==(const Panel&) const = default;
    };

    static Panel Read(QWidget& w) {
        auto ticked = [&](const char16_t* name) { return Find<QCheckBox>(w, name)->isChecked(); };
        return {Find<QLineEdit>(w, u"编辑框查询最多页数")->text(),
                Find<QLineEdit>(w, u"编辑框百度访问间隔")->text(),
                Find<QLineEdit>(w, u"编辑框ip")->text(),
                ticked(u"选择框只查询是否收录"),
                ticked(u"选择框只未收录"),
                ticked(u"选择框锚文本新页面打开"),
                ticked(u"选择框使用网址"),
                ticked(u"选择框显示文字"),
                ticked(u"选择框代理"),
                ticked(u"选择框有排名"),
                Find<QLineEdit>(w, u"编辑框ip")->isEnabled()};
    }

    QTemporaryDir dir;
    std::string path;
    test::ScriptedDialogs boxes;
    test::RecordingUrlOpener opener;
};

TEST_F(PanelSettingsTest, FirstStartShowsTheDefaultsAndCloseKeepsTheChangesForTheNext) {
    {
        SettingsStore store;
        store.OpenFile(path);
        auto window = Start(store);
        const Panel defaults{
            QStringLiteral("1"), QStringLiteral("3000"), QString(), false, true, true, false, true, false, false, true};
        EXPECT_EQ(Read(*window), defaults);

        Find<QLineEdit>(*window, u"编辑框查询最多页数")->setText(QStringLiteral("abc")); // kept as typed
        Find<QLineEdit>(*window, u"编辑框百度访问间隔")->setText(QStringLiteral("500"));
        Find<QLineEdit>(*window, u"编辑框ip")->setText(QStringLiteral(u"127.0.0.1:8080"));
        Find<QCheckBox>(*window, u"选择框代理")->click();
        Find<QCheckBox>(*window, u"选择框显示文字")->click();
        Find<QCheckBox>(*window, u"选择框使用网址")->click();
        Find<QCheckBox>(*window, u"选择框有排名")->click();
        window->close();
        EXPECT_TRUE(boxes.messages.empty()); // closing says nothing when the save worked
    }
    EXPECT_EQ(FileBytes(), Gbk("[基本配置]\r\n"
                               "ip=127.0.0.1:8080\r\n"
                               "选择框代理=真\r\n"
                               "选择框显示文字=假\r\n"
                               "选择框使用网址=真\r\n"
                               "选择框锚文本新页面打开=真\r\n"
                               "选择框只未收录=真\r\n"
                               "选择框只查询是否收录=假\r\n"
                               "访问间隔=500\r\n"
                               "查询页数=abc"));

    SettingsStore store;
    store.OpenFile(path);
    auto window = Start(store);
    // "只导出有排名的" is not kept; the address box stays enabled until "代理" is clicked.
    const Panel saved{QStringLiteral("abc"),
                      QStringLiteral("500"),
                      QStringLiteral("127.0.0.1:8080"),
                      false,
                      true,
                      true,
                      true,
                      false,
                      true,
                      false,
                      true};
    EXPECT_EQ(Read(*window), saved);
}

TEST_F(PanelSettingsTest, SaveCommandReportsWhetherTheFileWasWritten) {
    SettingsStore owner; // holds the file: a second copy may not write it
    ASSERT_TRUE(owner.OpenFile(path));
    SettingsStore readOnly;
    EXPECT_FALSE(readOnly.OpenFile(path));

    struct Case {
        SettingsStore* store;
        bool useLink;
        std::string message;
        MessageIcon icon;
    };
    const Case cases[] = {
        {&owner, false, Gbk("保存完毕！"), MessageIcon::None},
        {&owner, true, Gbk("保存完毕！"), MessageIcon::None},
        {&readOnly, false, Gbk("保存失败！配置文件无法写入，本次的设置没有保存。"), MessageIcon::Warning},
    };
    for (const Case& c : cases) {
        boxes.messages.clear();
        auto window = Start(*c.store);
        Find<QLineEdit>(*window, u"编辑框百度访问间隔")->setText(QStringLiteral("1234"));
        if (c.useLink)
            QTest::mousePress(Find<LinkLabel>(*window, u"链接保存配置"), Qt::LeftButton);
        else
            Find<QToolButton>(*window, u"图片保存配置")->click();
        ASSERT_EQ(boxes.messages.size(), 1u);
        EXPECT_EQ(boxes.messages[0].text, c.message);
        EXPECT_EQ(boxes.messages[0].title, ""); // the default "信息："
        EXPECT_EQ(boxes.messages[0].icon, c.icon);
    }
    EXPECT_NE(FileBytes().find(Gbk("访问间隔=1234")), std::string::npos);
}

TEST_F(PanelSettingsTest, ClosingWithAFailedSaveSaysSo) {
    SettingsStore owner;
    ASSERT_TRUE(owner.OpenFile(path));
    SettingsStore readOnly;
    readOnly.OpenFile(path);
    auto window = Start(readOnly);
    window->close();
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, Gbk("配置保存失败！配置文件无法写入，本次的设置将会丢失。"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(FileBytes(), "");
}

TEST_F(PanelSettingsTest, TrayExitSavesFirst) {
    SettingsStore store;
    store.OpenFile(path);
    auto window = Start(store);
    Find<QLineEdit>(*window, u"编辑框查询最多页数")->setText(QStringLiteral("7"));
    boxes.answers = {true};
    window->OnTrayNotify(TrayClick::Right);
    EXPECT_FALSE(window->isVisible());
    EXPECT_NE(FileBytes().find(Gbk("查询页数=7")), std::string::npos);
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(PanelSettingsTest, AWindowNeverActivatedDoesNotOverwriteTheStoredValues) {
    {
        SettingsStore store;
        store.OpenFile(path);
        store.SetSection(Gbk("基本配置"));
        store.WriteText(Gbk("查询页数"), "9");
    }
    SettingsStore store;
    store.OpenFile(path);
    MainWindowSetup setup;
    setup.settings = &store;
    setup.dialogs = &boxes;
    MainWindow window(std::move(setup)); // never shown
    EXPECT_TRUE(window.SaveSettings());
    EXPECT_NE(FileBytes().find(Gbk("查询页数=9")), std::string::npos);
    EXPECT_EQ(Find<QLineEdit>(window, u"编辑框查询最多页数")->text(), QStringLiteral("9"));
}

} // namespace
} // namespace lilan
