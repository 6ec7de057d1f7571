#include "support/fake_window.h"

namespace lilan::test {
namespace {

bool ValidCell(const std::vector<FakeResultsList::Row>& rows, int row, int column) {
    return row >= 0 && row < static_cast<int>(rows.size()) && column >= 0 && column < 3;
}

} // namespace

std::string FakeResultsList::CellText(int row, int column) const {
    return ValidCell(rows, row, column) ? rows[row][column] : std::string();
}

void FakeResultsList::SetCellText(int row, int column, std::string_view text) {
    if (ValidCell(rows, row, column))
        rows[row][column].assign(text);
}

int FakeResultsList::AppendRow() {
    rows.emplace_back();
    return static_cast<int>(rows.size()) - 1;
}

void FakeResultsList::SetColumnTitle(int column, std::string_view title) {
    if (column >= 0 && column < 3)
        columnTitles[column].assign(title);
}

void FakeDialogs::ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) {
    messages.push_back({std::string(text), std::string(title), icon});
}

bool FakeDialogs::AskYesNo(std::string_view text, std::string_view title) {
    questions.push_back({std::string(text), std::string(title), MessageIcon::None});
    if (answers.empty())
        return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> FakeDialogs::ChooseFile(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (chosenFiles.empty())
        return std::nullopt;
    auto chosen = std::move(chosenFiles.front());
    chosenFiles.pop_front();
    return chosen;
}

} // namespace lilan::test
