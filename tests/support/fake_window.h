#pragma once

#include <array>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/window.h"

// In-memory stand-ins for the window, for tests and benchmarks. All texts are
// code page 936, as the logic sees them.
namespace lilan::test {

class FakeResultsList final : public ResultsList {
public:
    using Row = std::array<std::string, 3>;

    FakeResultsList() = default;
    explicit FakeResultsList(std::vector<Row> rows) : rows(std::move(rows)) {}

    int RowCount() const override { return static_cast<int>(rows.size()); }
    std::string CellText(int row, int column) const override;
    void SetCellText(int row, int column, std::string_view text) override;
    int AppendRow() override;
    void RemoveAllRows() override { rows.clear(); }
    void SetColumnTitle(int column, std::string_view title) override;
    void SelectRow(int row) override { selectedRow = row; }
    void Focus() override { ++focusCount; }

    std::vector<Row> rows;
    std::array<std::string, 3> columnTitles;
    int selectedRow = -1;
    int focusCount = 0;
};

// The settings panel's values as plain fields; a test may change them at any
// moment (for instance from an event pump) and the next read sees it.
class FakeOptions final : public QueryOptions {
public:
    bool InclusionOnly() const override { return inclusionOnly; }
    bool Descriptive() const override { return descriptive; }
    std::string PageLimitText() const override { return pageLimitText; }
    std::string IntervalText() const override { return intervalText; }
    bool UseProxy() const override { return useProxy; }
    std::string ProxyText() const override { return proxyText; }
    bool RankedOnly() const override { return rankedOnly; }
    bool AlwaysAddress() const override { return alwaysAddress; }
    bool NewWindow() const override { return newWindow; }
    bool UnrankedOnly() const override { return unrankedOnly; }

    // The window's initial values.
    bool inclusionOnly = false;
    bool descriptive = true;
    std::string pageLimitText = "1";
    std::string intervalText = "3000";
    bool useProxy = false;
    std::string proxyText;
    bool rankedOnly = false;
    bool alwaysAddress = false;
    bool newWindow = true;
    bool unrankedOnly = true;
};

class FakeCheckBox final : public CheckBox {
public:
    FakeCheckBox(std::string name, bool checked) : name(std::move(name)), checked(checked) {}
    std::string Name() const override { return name; }
    bool IsChecked() const override { return checked; }
    void SetChecked(bool value) override { checked = value; }

    std::string name;
    bool checked;
};

// Records every box and dialog; answers file dialogs and questions from
// queues (an empty queue cancels / answers No).
class FakeDialogs final : public Dialogs {
public:
    struct Message {
        std::string text, title;
        MessageIcon icon;
    };

    void ShowMessage(std::string_view text, std::string_view title = {}, MessageIcon icon = MessageIcon::None) override;
    bool AskYesNo(std::string_view text, std::string_view title = {}) override;
    std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;

    std::vector<Message> messages;
    std::vector<Message> questions;
    std::deque<bool> answers;
    std::vector<FileDialogRequest> fileRequests;
    std::deque<std::optional<std::string>> chosenFiles;
};

} // namespace lilan::test
