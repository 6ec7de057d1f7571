#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

#include "shell/qt_text.h"
#include "shell/shell_dialogs.h"
#include "shell_test_support.h"
#include "support/gbk.h"

namespace lilan {
namespace {

using test::Gbk;

// The real boxes, answered by a timer that finds the open modal widget.
class QtDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { test::TestApp(); }

    template <typename Box> void WhenOpen(std::function<void(Box&)> answer) {
        QTimer::singleShot(0, [answer] {
            auto* box = qobject_cast<Box*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            answer(*box);
        });
    }
};

TEST_F(QtDialogsTest, MessageBoxesWithTheDefaultTitle) {
    QtDialogs dialogs;
    QString title, text;
    WhenOpen<QMessageBox>([&](QMessageBox& box) {
        title = box.windowTitle();
        text = box.text();
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
        box.button(QMessageBox::Ok)->click();
    });
    dialogs.ShowMessage(Gbk("查询完毕！"));
    EXPECT_EQ(title, QStringLiteral(u"信息："));
    EXPECT_EQ(text, QStringLiteral(u"查询完毕！"));

    struct Case {
        QMessageBox::StandardButton click;
        bool answer;
    };
    for (const Case c : {Case{QMessageBox::Yes, true}, Case{QMessageBox::No, false}}) {
        WhenOpen<QMessageBox>([&](QMessageBox& box) {
            title = box.windowTitle();
            EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
            box.button(c.click)->click();
        });
        EXPECT_EQ(dialogs.AskYesNo(Gbk("是否退出程序？"), Gbk("栎澜：")), c.answer);
        EXPECT_EQ(title, QStringLiteral(u"栎澜："));
    }
}

TEST_F(QtDialogsTest, FileDialogTakesTheRequestAndAnswersInCodePage936) {
    QTemporaryDir dir;
    const QString chosen = dir.filePath(QStringLiteral(u"导出.txt"));
    QtDialogs dialogs;
    FileDialogRequest request;
    request.save = true;
    request.title = Gbk("导入导出格式：关键词和网址以,隔开，一行一个");
    request.filter = Gbk("txt文件|*.txt|全部文件|*.*");
    request.defaultExtension = "txt";
    request.proposedPath = FromQString(dir.filePath(QStringLiteral("last.txt")));
    WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral(u"导入导出格式：关键词和网址以,隔开，一行一个"));
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog.nameFilters(),
                  (QStringList{QStringLiteral(u"txt文件 (*.txt)"), QStringLiteral(u"全部文件 (*.*)")}));
        EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("txt"));
        dialog.selectFile(chosen);
        static_cast<QDialog&>(dialog).accept(); // as the dialog's own button does
    });
    EXPECT_EQ(dialogs.ChooseFile(request), FromQString(chosen));

    WhenOpen<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(dialogs.ChooseFile(request), std::nullopt);
}

TEST_F(QtDialogsTest, ANameTheProgramCannotHoldIsRefused) {
    QTemporaryDir dir;
    QtDialogs dialogs;
    FileDialogRequest request;
    request.save = true;
    QString warning;
    WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
        dialog.selectFile(dir.filePath(QStringLiteral(u"한국어.txt"))); // no code page 936 for Hangul
        WhenOpen<QMessageBox>([&](QMessageBox& box) {
            warning = box.text();
            box.button(QMessageBox::Ok)->click();
        });
        static_cast<QDialog&>(dialog).accept(); // as the dialog's own button does
    });
    EXPECT_EQ(dialogs.ChooseFile(request), std::nullopt);
    EXPECT_TRUE(warning.contains(QStringLiteral(u"한국어.txt"))) << warning.toStdString();
}

} // namespace
} // namespace lilan
