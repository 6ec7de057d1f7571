#pragma once

#include <optional>
#include <string>
#include <string_view>

// The main window as the logic sees it. The Qt window, the batch command and
// the tests each implement these; all texts are code page 936.
namespace lilan {

enum ListColumn : int { kKeywordColumn = 0, kAddressColumn = 1, kResultColumn = 2 };

// The report-style list 列表框. Rows are 0-based. A run lets window events
// run, so the list may shrink under it: reading a cell of a row that no
// longer exists gives empty text, writing it does nothing.
class ResultsList {
public:
    virtual ~ResultsList() = default;
    virtual int RowCount() const = 0;
    virtual std::string CellText(int row, int column) const = 0;
    virtual void SetCellText(int row, int column, std::string_view text) = 0;
    virtual int AppendRow() = 0; // returns the new row's index
    virtual void RemoveAllRows() = 0;
    virtual void SetColumnTitle(int column, std::string_view title) = 0;
    virtual void SelectRow(int row) = 0;
    virtual void Focus() {}
};

// The settings-panel values the logic reads. Each call reads its control at
// that moment: callers never keep a copy, so a change during a run counts
// from the next read.
class QueryOptions {
public:
    virtual ~QueryOptions() = default;
    virtual bool InclusionOnly() const = 0;       // 选择框只查询是否收录
    virtual bool Descriptive() const = 0;         // 选择框显示文字
    virtual std::string PageLimitText() const = 0; // 编辑框查询最多页数
    virtual std::string IntervalText() const = 0;  // 编辑框百度访问间隔
    virtual bool UseProxy() const = 0;            // 选择框代理
    virtual std::string ProxyText() const = 0;     // 编辑框ip
    virtual bool RankedOnly() const = 0;          // 选择框有排名
    virtual bool AlwaysAddress() const = 0;       // 选择框使用网址
    virtual bool NewWindow() const = 0;           // 选择框锚文本新页面打开
    virtual bool UnrankedOnly() const = 0;        // 选择框只未收录
};

// A check box known by its control name, for the settings store.
class CheckBox {
public:
    virtual ~CheckBox() = default;
    virtual std::string Name() const = 0;
    virtual bool IsChecked() const = 0;
    virtual void SetChecked(bool checked) = 0;
};

// The start button 按钮开始查询: its caption is the run's state.
class Caption {
public:
    virtual ~Caption() = default;
    virtual std::string Text() const = 0;
    virtual void SetText(std::string_view text) = 0;
};

enum class MessageIcon { None, Information, Warning };

struct FileDialogRequest {
    bool save = false;           // save-file dialog, else open-file
    std::string title;
    std::string filter;          // "name|pattern|name|pattern"
    std::string defaultExtension;
    std::string proposedPath;    // full path last chosen in this dialog, or empty
};

// Message boxes and file dialogs, in one place so that tests answer them.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // An empty title shows "信息：".
    virtual void ShowMessage(std::string_view text, std::string_view title = {},
                             MessageIcon icon = MessageIcon::None) = 0;
    virtual bool AskYesNo(std::string_view text, std::string_view title = {}) = 0;
    // The chosen full path (code page 936), or nothing when cancelled.
    virtual std::optional<std::string> ChooseFile(const FileDialogRequest& request) = 0;
};

} // namespace lilan
