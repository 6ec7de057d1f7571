#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>

#include "shell/qt_text.h"
#include "shell/tray_icon.h"
#include "shell_test_support.h"
#include "support/gbk.h"

namespace lilan {
namespace {

using test::Gbk;

TEST(TrayTip, CutAt127BytesNeverInsideACharacter) {
    struct Case {
        std::string name, tip;
    };
    const std::string a126(126, 'a');
    const Case cases[] = {
        {Gbk("栎澜排名通"), Gbk("栎澜排名通")},
        {"", ""},
        {std::string(127, 'x'), std::string(127, 'x')},
        {std::string(200, 'x'), std::string(127, 'x')},
        {std::string(125, 'a') + Gbk("中"), std::string(125, 'a') + Gbk("中")},
        {a126 + Gbk("中"), a126}, // the character would end on byte 128
        {a126 + Gbk("中文"), a126},
        {a126 + "\xD6", a126 + "\xD6"}, // a lone last byte is one character
        {std::string(64, '\0') + "z", std::string(64, '\0') + "z"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrayTip(c.name), c.tip) << c.name.size();
        EXPECT_LE(TrayTip(c.name).size(), 127u);
    }
    std::string chinese;
    for (int i = 0; i < 70; ++i)
        chinese += Gbk("排");
    EXPECT_EQ(TrayTip(chinese).size(), 126u);
}

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override { test::TestApp(); }
};

TEST_F(TrayIconTest, WithoutATrayToShowInNothingBreaks) {
    QWidget window;
    int clicks = 0;
    TrayIcon tray(window, std::string(300, 'n'), [&](TrayClick) { ++clicks; });
    EXPECT_EQ(tray.ToolTip(), QString(127, QLatin1Char('n')));
    tray.Remove();
    EXPECT_FALSE(tray.IsShown());
    EXPECT_EQ(clicks, 0);
}

TEST_F(TrayIconTest, BringToFrontRestoresAMinimisedWindowCentred) {
    QWidget window;
    window.resize(300, 200);
    window.move(0, 0);
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    window.hide();

    BringToFront(window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
    const QRect area = window.screen()->availableGeometry();
    EXPECT_NEAR(window.frameGeometry().center().x(), area.center().x(), 1);
    EXPECT_NEAR(window.frameGeometry().center().y(), area.center().y(), 1);
}

} // namespace
} // namespace lilan
