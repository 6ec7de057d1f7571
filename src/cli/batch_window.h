#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/window.h"

namespace lilan {

// The batch command's list: a plain table of rows.
class TableList final : public ResultsList {
public:
    int RowCount() const override { return static_cast<int>(rows_.size()); }
    std::string CellText(int row, int column) const override;
    void SetCellText(int row, int column, std::string_view text) override;
    int AppendRow() override;
    void RemoveAllRows() override { rows_.clear(); }
    void SetColumnTitle(int, std::string_view) override {}
    void SelectRow(int row) override;

    // Called when the run moves to a row (and once more at the end with -1).
    std::function<void(int previousRow, int row)> onRowSelected;

private:
    std::vector<std::array<std::string, 3>> rows_;
    int selected_ = -1;
};

// Options given on the command line; the run reads them as it would read the
// settings panel.
struct BatchOptions final : public QueryOptions {
    bool inclusionOnly = false;
    bool descriptive = true;
    std::string pages = "1";
    std::string interval = "3000";
    bool useProxy = false;
    std::string proxy;
    bool rankedOnly = false;
    bool alwaysAddress = false;
    bool newWindow = false;
    bool unrankedOnly = false;

    bool InclusionOnly() const override { return inclusionOnly; }
    bool Descriptive() const override { return descriptive; }
    std::string PageLimitText() const override { return pages; }
    std::string IntervalText() const override { return interval; }
    bool UseProxy() const override { return useProxy; }
    std::string ProxyText() const override { return proxy; }
    bool RankedOnly() const override { return rankedOnly; }
    bool AlwaysAddress() const override { return alwaysAddress; }
    bool NewWindow() const override { return newWindow; }
    bool UnrankedOnly() const override { return unrankedOnly; }
};

class TextCaption final : public Caption {
public:
    std::string Text() const override { return text_; }
    void SetText(std::string_view text) override { text_ = text; }

private:
    std::string text_;
};

// Message boxes become lines on standard error; file dialogs are never shown.
class BatchDialogs final : public Dialogs {
public:
    explicit BatchDialogs(bool quiet) : quiet_(quiet) {}
    void ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) override;
    bool AskYesNo(std::string_view, std::string_view) override { return false; }
    std::optional<std::string> ChooseFile(const FileDialogRequest&) override { return std::nullopt; }

private:
    bool quiet_;
};

} // namespace lilan
