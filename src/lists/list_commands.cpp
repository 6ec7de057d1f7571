#include "lists/list_commands.h"

#include "lists/list_file.h"
#include "lists/navigation_page.h"
#include "lists/whole_file.h"
#include "text/code_page.h"

namespace lilan {

ListCommands::ListCommands(ResultsList& list, const QueryOptions& options, Dialogs& dialogs)
    : list_(list), options_(options), dialogs_(dialogs) {}

FileDialogRequest ListCommands::ListDialog(bool save) const {
    static const std::string title = Cp936("导入导出格式：关键词和网址以,隔开，一行一个");
    static const std::string filter = Cp936("txt文件|*.txt|全部文件|*.*");
    return {save, title, filter, "txt", lastListPath_};
}

void ListCommands::ImportList() {
    const auto path = dialogs_.ChooseFile(ListDialog(false));
    if (!path)
        return;
    lastListPath_ = *path;
    std::string bytes;
    if (ReadWholeFile(*path, bytes))
        ImportListText(bytes, list_);
}

void ListCommands::ExportList() {
    static const std::string done = Cp936("导出完毕！");
    static const std::string failed = Cp936("导出失败！");
    const auto path = dialogs_.ChooseFile(ListDialog(true));
    if (!path)
        return;
    lastListPath_ = *path;
    const bool written = WriteWholeFile(*path, ExportListText(list_, options_.RankedOnly()));
    dialogs_.ShowMessage(*path, written ? done : failed);
}

void ListCommands::ClearList() {
    list_.RemoveAllRows();
}

void ListCommands::MakeNavigationPage() {
    static const std::string title = Cp936("生成导航页");
    static const std::string filter = Cp936("htm文件|*.htm|html文件|*.html|全部文件|*.*");
    static const std::string done = Cp936("已导出成功");
    static const std::string failed = Cp936("已导出失败");
    const auto path = dialogs_.ChooseFile({true, title, filter, "htm", lastPagePath_});
    if (!path)
        return;
    lastPagePath_ = *path;
    const std::string page = BuildNavigationPage(list_, options_, PageTitleFromPath(*path));
    dialogs_.ShowMessage(*path, WriteWholeFile(*path, page) ? done : failed);
}

} // namespace lilan
