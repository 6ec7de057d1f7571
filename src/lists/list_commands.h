#pragma once

#include <string>

#include "core/window.h"

namespace lilan {

// The settings panel's list buttons. Keeps the last path chosen in each of
// the two file dialogs (the list dialog is shared by import and export).
class ListCommands {
public:
    ListCommands(ResultsList& list, const QueryOptions& options, Dialogs& dialogs);

    void ImportList();         // 导入列表: appends the rows of a chosen file
    void ExportList();         // 导出列表: honours 只导出有排名的
    void ClearList();          // 清空列表, without asking
    void MakeNavigationPage(); // 生成锚文本形式的导航网页

private:
    FileDialogRequest ListDialog(bool save) const;

    ResultsList& list_;
    const QueryOptions& options_;
    Dialogs& dialogs_;
    std::string lastListPath_;
    std::string lastPagePath_;
};

} // namespace lilan
