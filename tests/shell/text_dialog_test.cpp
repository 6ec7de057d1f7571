#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <fstream>

#include "shell/qt_text.h"
#include "shell/text_dialog.h"
#include "shell_test_support.h"
#include "support/gbk.h"

namespace lilan {
namespace {

using test::Gbk;

TEST(HintHeight, TwelvePixelsPerLineAtSixPixelsACharacter) {
    struct Case {
        std::string hint;
        int width, margin, height;
    };
    const std::string line100(100, 'h');
    const Case cases[] = {
        {"", 495, 5, 0},
        {line100 + "\r\n" + line100, 495, 5, 48}, // 80 characters a line: 2 + 2 lines
        {std::string(80, 'h'), 495, 5, 12},
        {std::string(81, 'h'), 495, 5, 24},
        {"a\r\n\r\nb", 495, 5, 36}, // an empty line still takes one
        {"a\r\n", 495, 5, 12},
        {Gbk("请输入数据："), 495, 5, 12},
        {std::string(10, 'h'), 10, 5, 120}, // narrower than a character: a line each
    };
    for (const Case& c : cases)
        EXPECT_EQ(HintHeight(c.hint, c.width, c.margin), c.height) << c.hint.size() << " at " << c.width;
}

class TextDialogTest : public ::testing::Test {
protected:
    void SetUp() override { test::TestApp(); }

    static QPushButton* Button(QWidget& dialog, const char16_t* name) {
        return dialog.findChild<QPushButton*>(QString::fromUtf16(name));
    }
    static QPlainTextEdit* Box(QWidget& dialog, const char16_t* name) {
        return dialog.findChild<QPlainTextEdit*>(QString::fromUtf16(name));
    }

    test::ScriptedDialogs boxes;
};

TEST_F(TextDialogTest, InputModeLaysOutUnderATwoLineHint) {
    TextDialogOptions options;
    options.hint = std::string(100, 'h') + "\r\n" + std::string(100, 'i');
    TextDialog dialog("text", options, true, boxes);
    dialog.resize(495, 358);
    dialog.show();

    EXPECT_EQ(Box(dialog, u"编辑框提示")->geometry(), QRect(5, 5, 485, 48));
    EXPECT_EQ(Box(dialog, u"编辑框正文")->geometry(), QRect(5, 58, 485, 358 - 58 - 34));
    EXPECT_EQ(dialog.findChild<QFrame*>(QStringLiteral(u"外形框"))->pos(), QPoint(5, 324));
    EXPECT_EQ(Button(dialog, u"按钮取消")->pos(), QPoint(495 - 5 - 64, 324 + 17 - 12));
    EXPECT_EQ(Button(dialog, u"按钮确定")->pos(), QPoint(495 - 5 - 128, 324 + 17 - 12));
    EXPECT_TRUE(Button(dialog, u"按钮确定")->isVisible());
    EXPECT_TRUE(dialog.findChild<QFrame*>(QStringLiteral(u"外形框"))->isVisible());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral(u"输入："));
}

TEST_F(TextDialogTest, StandardHintsAndTitles) {
    struct Case {
        std::optional<std::string> hint;
        std::string title;
        bool input;
        QString shownHint, shownTitle;
    };
    const Case cases[] = {
        {std::nullopt, "", true, QString(), QStringLiteral(u"输入：")},
        {std::string(), "", true, QStringLiteral(u"请输入数据："), QStringLiteral(u"输入：")},
        {std::string(), "", false, QStringLiteral(u"以下为信息详情："), QStringLiteral(u"信息：")},
        {Gbk("写点什么"), Gbk("标题"), false, QStringLiteral(u"写点什么"), QStringLiteral(u"标题")},
    };
    for (const Case& c : cases) {
        TextDialogOptions options;
        options.hint = c.hint;
        options.title = c.title;
        TextDialog dialog("", options, c.input, boxes);
        EXPECT_EQ(Box(dialog, u"编辑框提示")->toPlainText(), c.shownHint);
        EXPECT_EQ(dialog.windowTitle(), c.shownTitle);
    }
}

TEST_F(TextDialogTest, ReadOnlyModeHasOnlyItsCloseButton) {
    TextDialogOptions options;
    options.title = Gbk("疑点说明");
    TextDialog dialog(Gbk("第一行\r\n第二行\r\n"), options, false, boxes);
    dialog.show();

    QPlainTextEdit* text = Box(dialog, u"编辑框正文");
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(text->toPlainText(), QStringLiteral(u"第一行\n第二行\n"));
    EXPECT_EQ(text->palette().color(QPalette::Base), dialog.palette().color(QPalette::Button));
    EXPECT_EQ(Box(dialog, u"编辑框提示")->height(), 0);
    EXPECT_FALSE(dialog.findChild<QFrame*>(QStringLiteral(u"外形框"))->isVisible());

    QStringList visible;
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->isVisible())
            visible << button->text();
    EXPECT_EQ(visible, QStringList{QStringLiteral(u"关闭(&G)")});
    EXPECT_TRUE(Button(dialog, u"按钮取消")->isDefault());

    dialog.close(); // the close box never asks here
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(boxes.questions.empty());
    EXPECT_FALSE(dialog.Confirmed());
}

TEST_F(TextDialogTest, ClosingAChangedInputAsksFirst) {
    static const std::string question = Gbk("内容已被改动，是否要放弃？");
    struct Case {
        bool edit;
        std::deque<bool> answers;
        bool stillOpen;
        std::size_t questions;
    };
    const Case cases[] = {
        {false, {}, false, 0},
        {true, {false}, true, 1},
        {true, {true}, false, 1},
    };
    for (const Case& c : cases) {
        test::ScriptedDialogs scripted;
        scripted.answers = c.answers;
        TextDialog dialog(Gbk("原文\r\n"), TextDialogOptions{}, true, scripted);
        dialog.show();
        if (c.edit)
            Box(dialog, u"编辑框正文")->appendPlainText(QStringLiteral("more"));
        dialog.close();
        EXPECT_EQ(dialog.isVisible(), c.stillOpen) << c.edit;
        ASSERT_EQ(scripted.questions.size(), c.questions);
        if (c.questions) {
            EXPECT_EQ(scripted.questions[0].text, question);
            EXPECT_EQ(scripted.questions[0].title, Gbk("栎澜："));
        }
        EXPECT_FALSE(dialog.Confirmed());
    }
}

TEST_F(TextDialogTest, CancelClosesWithoutAsking) {
    TextDialog dialog("a", TextDialogOptions{}, true, boxes);
    dialog.show();
    Box(dialog, u"编辑框正文")->setPlainText(QStringLiteral("changed"));
    Button(dialog, u"按钮取消")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(boxes.questions.empty());
    EXPECT_FALSE(dialog.Confirmed());
}

TEST_F(TextDialogTest, EditingButtons) {
    TextDialog dialog(Gbk("启动\r\n值"), TextDialogOptions{}, true, boxes);
    dialog.show();
    QPlainTextEdit* text = Box(dialog, u"编辑框正文");

    Button(dialog, u"按钮清空")->click();
    EXPECT_EQ(text->toPlainText(), QString());
    Button(dialog, u"按钮恢复")->click();
    EXPECT_EQ(dialog.Text(), Gbk("启动\r\n值"));
    QGuiApplication::clipboard()->setText(QStringLiteral(u"剪贴板\n内容"));
    Button(dialog, u"按钮粘贴")->click();
    EXPECT_EQ(dialog.Text(), Gbk("剪贴板\r\n内容"));

    Button(dialog, u"按钮确定")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(dialog.Confirmed());
    EXPECT_EQ(dialog.Result(), Gbk("剪贴板\r\n内容"));
}

TEST_F(TextDialogTest, RestoringAnEmptyStartSaysSo) {
    TextDialog dialog("", TextDialogOptions{}, true, boxes);
    Box(dialog, u"编辑框正文")->setPlainText(QStringLiteral("typed"));
    Button(dialog, u"按钮恢复")->click();
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text, Gbk("启动值为空！"));
    EXPECT_EQ(boxes.messages[0].title, Gbk("栎澜："));
    EXPECT_EQ(boxes.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(dialog.Text(), "typed");
}

TEST_F(TextDialogTest, FileButtonsAppendContentsOrPaths) {
    QTemporaryDir dir;
    const std::string first = FromQString(dir.filePath(QStringLiteral(u"一.txt")));
    const std::string missing = FromQString(dir.filePath(QStringLiteral("missing.txt")));
    {
        std::ofstream out(dir.filePath(QStringLiteral(u"一.txt")).toStdString(), std::ios::binary);
        out << Gbk("甲乙") << std::string(1, '\0') << "after zero";
    }
    struct Case {
        int fileButtons;
        bool contentsShown, namesShown;
    };
    const Case shown[] = {{0, false, false}, {1, true, false}, {2, false, true}, {3, true, true}};
    for (const Case& c : shown) {
        TextDialogOptions options;
        options.fileButtons = c.fileButtons;
        TextDialog dialog("", options, true, boxes);
        dialog.show();
        EXPECT_EQ(Button(dialog, u"按钮文件")->isVisible(), c.contentsShown) << c.fileButtons;
        EXPECT_EQ(Button(dialog, u"按钮文件名")->isVisible(), c.namesShown) << c.fileButtons;
    }

    TextDialogOptions options;
    options.fileButtons = 3;
    TextDialog dialog("x\r\n", options, true, boxes);
    boxes.manyFiles = {first, missing};
    Button(dialog, u"按钮文件")->click();
    EXPECT_EQ(dialog.Text(), "x\r\n" + Gbk("甲乙") + "\r\n\r\n");
    Button(dialog, u"按钮文件名")->click();
    EXPECT_EQ(dialog.Text(), "x\r\n" + Gbk("甲乙") + "\r\n\r\n" + first + "\r\n" + missing + "\r\n");
    ASSERT_EQ(boxes.fileRequests.size(), 2u);
    EXPECT_EQ(boxes.fileRequests[0].title, Gbk("选择多个文件，将导入其文件内容"));
    EXPECT_EQ(boxes.fileRequests[1].title, Gbk("选择多个文件，将导入其文件路径"));
    EXPECT_EQ(boxes.fileRequests[0].filter, Gbk("文本文本|*.txt;*.text;*.ini;*.htn;*.html|全部文件|*.*"));
}

TEST_F(TextDialogTest, SizeOptionsAndCentring) {
    TextDialogOptions options;
    options.width = 300;
    options.height = 100;
    options.margin = -3; // means 5
    TextDialog dialog("", options, true, boxes);
    EXPECT_EQ(dialog.Margin(), 5);
    EXPECT_EQ(dialog.size(), QSize(310, 0 + 10 + 100 + 15 + 24));
    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(dialog.pos(), QPoint(screen.width() / 2 - 310 / 2, (screen.height() - 30) / 2 - 149 / 2));
}

TEST_F(TextDialogTest, OneDialogAtATime) {
    std::string result = "untouched";
    bool secondOpened = true;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TextDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(TextDialogIsOpen());
        std::string other;
        secondOpened = ShowTextDialog("second", TextDialogOptions{}, nullptr, &other, boxes);
        Box(*dialog, u"编辑框正文")->setPlainText(QStringLiteral("edited"));
        Button(*dialog, u"按钮确定")->click();
    });
    EXPECT_TRUE(ShowTextDialog("first", TextDialogOptions{}, nullptr, &result, boxes));
    EXPECT_FALSE(secondOpened);
    EXPECT_EQ(result, "edited");
    EXPECT_FALSE(TextDialogIsOpen());
}

} // namespace
} // namespace lilan
