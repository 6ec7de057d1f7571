#include <gtest/gtest.h>

#include "lists/list_commands.h"
#include "lists/navigation_page.h"
#include "lists/whole_file.h"
#include "support/fake_window.h"
#include "support/gbk.h"
#include "support/temp_files.h"

namespace lilan {
namespace {

using test::FakeDialogs;
using test::FakeOptions;
using test::FakeResultsList;
using test::Gbk;
using test::ReadFileBytes;
using test::WriteFileBytes;

struct Window {
    FakeResultsList list;
    FakeOptions options;
    FakeDialogs dialogs;
    ListCommands commands{list, options, dialogs};
};

void ExpectListDialog(const FileDialogRequest& request, bool save, const std::string& proposed) {
    EXPECT_EQ(request.save, save);
    EXPECT_EQ(request.title, Gbk("导入导出格式：关键词和网址以,隔开，一行一个"));
    EXPECT_EQ(request.filter, Gbk("txt文件|*.txt|全部文件|*.*"));
    EXPECT_EQ(request.defaultExtension, "txt");
    EXPECT_EQ(request.proposedPath, proposed);
}

TEST(ListCommands, ImportThenExportShareTheDialogsLastPath) {
    test::TempDir dir;
    const std::string in = dir.File("in.txt"), out = dir.File("out.txt");
    ASSERT_TRUE(WriteFileBytes(in, Gbk("红茶,tea.example,3 未收录\r\nabc\r\n")));
    Window w;

    w.commands.ImportList(); // cancelled
    EXPECT_TRUE(w.list.rows.empty());

    w.dialogs.chosenFiles.push_back(in);
    w.commands.ImportList();
    EXPECT_EQ(w.list.rows, (std::vector<FakeResultsList::Row>{{Gbk("红茶"), "http://tea.example", Gbk("3 未收录")},
                                                              {"", "http://abc", ""}}));
    EXPECT_TRUE(w.dialogs.messages.empty()) << "import shows no message";

    w.options.rankedOnly = true;
    w.dialogs.chosenFiles.push_back(out);
    w.commands.ExportList();
    EXPECT_EQ(ReadFileBytes(out), Gbk("红茶,http://tea.example,3\r\n"));
    ASSERT_EQ(w.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.dialogs.messages[0].text, out);
    EXPECT_EQ(w.dialogs.messages[0].title, Gbk("导出完毕！"));

    w.commands.ExportList(); // cancelled
    EXPECT_EQ(w.dialogs.messages.size(), 1u);

    ASSERT_EQ(w.dialogs.fileRequests.size(), 4u);
    ExpectListDialog(w.dialogs.fileRequests[0], false, "");
    ExpectListDialog(w.dialogs.fileRequests[1], false, "");
    ExpectListDialog(w.dialogs.fileRequests[2], true, in);
    ExpectListDialog(w.dialogs.fileRequests[3], true, out);
}

TEST(ListCommands, FailedExportSaysSo) {
    test::TempDir dir;
    const std::string path = dir.File("missing/out.txt");
    Window w;
    w.list.rows.push_back({"k", "http://a", ""});
    w.dialogs.chosenFiles.push_back(path);
    w.commands.ExportList();
    ASSERT_EQ(w.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.dialogs.messages[0].text, path);
    EXPECT_EQ(w.dialogs.messages[0].title, Gbk("导出失败！"));
}

TEST(ListCommands, ImportOfAMissingOrReadOnlyFile) {
    test::TempDir dir;
    Window w;
    const std::string missing = dir.File("missing.txt");
    w.dialogs.chosenFiles.push_back(missing);
    w.commands.ImportList();
    EXPECT_TRUE(w.list.rows.empty());
    EXPECT_TRUE(w.dialogs.messages.empty());
    w.commands.ImportList();
    EXPECT_EQ(w.dialogs.fileRequests.back().proposedPath, missing);

    const std::string locked = dir.File("locked.txt");
    ASSERT_TRUE(WriteFileBytes(locked, "kw,abc\r\n"));
    if (!test::MakeUnwritable(locked))
        GTEST_SKIP() << "cannot make a file read-only here";
    w.dialogs.chosenFiles.push_back(locked);
    w.commands.ImportList();
    EXPECT_EQ(w.list.rows, (std::vector<FakeResultsList::Row>{{"kw", "http://abc", ""}}));
}

TEST(ListCommands, ClearRemovesEveryRowWithoutAsking) {
    Window w;
    w.list.rows = {{"a", "b", "c"}, {"d", "e", "f"}};
    w.commands.ClearList();
    EXPECT_TRUE(w.list.rows.empty());
    EXPECT_TRUE(w.dialogs.questions.empty());
}

TEST(ListCommands, NavigationPage) {
    test::TempDir dir;
    const std::string path = dir.File("links.html");
    Window w;
    w.list.rows = {{Gbk("红茶 绿茶"), "http://site.example", "3 -1"}};

    w.commands.MakeNavigationPage(); // cancelled
    EXPECT_FALSE(ReadFileBytes(path));
    EXPECT_TRUE(w.dialogs.messages.empty());

    w.dialogs.chosenFiles.push_back(path);
    w.commands.MakeNavigationPage();
    EXPECT_EQ(ReadFileBytes(path), BuildNavigationPage(w.list, w.options, "links"));
    ASSERT_EQ(w.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.dialogs.messages[0].text, path);
    EXPECT_EQ(w.dialogs.messages[0].title, Gbk("已导出成功"));

    const std::string bad = dir.File("missing/nav.htm");
    w.dialogs.chosenFiles.push_back(bad);
    w.commands.MakeNavigationPage();
    ASSERT_EQ(w.dialogs.messages.size(), 2u);
    EXPECT_EQ(w.dialogs.messages[1].text, bad);
    EXPECT_EQ(w.dialogs.messages[1].title, Gbk("已导出失败"));

    w.commands.ImportList(); // the list dialog keeps its own last path
    ASSERT_EQ(w.dialogs.fileRequests.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        const FileDialogRequest& request = w.dialogs.fileRequests[i];
        EXPECT_TRUE(request.save);
        EXPECT_EQ(request.title, Gbk("生成导航页"));
        EXPECT_EQ(request.filter, Gbk("htm文件|*.htm|html文件|*.html|全部文件|*.*"));
        EXPECT_EQ(request.defaultExtension, "htm");
    }
    EXPECT_EQ(w.dialogs.fileRequests[1].proposedPath, "");
    EXPECT_EQ(w.dialogs.fileRequests[2].proposedPath, path);
    EXPECT_EQ(w.dialogs.fileRequests[3].proposedPath, "");
}

TEST(WholeFile, ReadAndWrite) {
    test::TempDir dir;
    const std::string path = dir.File("f.bin");
    const std::string bytes("a\0b\r\n\xFF", 6);
    EXPECT_TRUE(WriteWholeFile(path, bytes));
    std::string read = "old";
    EXPECT_TRUE(ReadWholeFile(path, read));
    EXPECT_EQ(read, bytes);
    EXPECT_TRUE(WriteWholeFile(path, "x")); // replaces, never appends
    EXPECT_TRUE(ReadWholeFile(path, read));
    EXPECT_EQ(read, "x");
    read = "kept";
    EXPECT_FALSE(ReadWholeFile(dir.File("none"), read));
    EXPECT_FALSE(ReadWholeFile(dir.Path(), read)) << "a folder is no file";
    EXPECT_EQ(read, "kept");
    EXPECT_FALSE(WriteWholeFile(dir.File("none/f"), "x"));
    EXPECT_FALSE(WriteWholeFile("", "x"));
    // Paths are program text: a Chinese file name reaches the disk in UTF-8.
    EXPECT_TRUE(WriteWholeFile(Gbk(dir.File("列表.txt")), "y"));
    EXPECT_EQ(ReadFileBytes(dir.File("列表.txt")), "y");
}

} // namespace
} // namespace lilan
