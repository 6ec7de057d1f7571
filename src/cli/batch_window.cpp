#include "cli/batch_window.h"

#include <cstdio>

#include "text/code_page.h"

namespace lilan {

std::string TableList::CellText(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column > 2)
        return {};
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void TableList::SetCellText(int row, int column, std::string_view text) {
    if (row < 0 || row >= RowCount() || column < 0 || column > 2)
        return;
    rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
}

int TableList::AppendRow() {
    rows_.emplace_back();
    return RowCount() - 1;
}

void TableList::SelectRow(int row) {
    const int previous = selected_;
    selected_ = row;
    if (onRowSelected)
        onRowSelected(previous, row);
}

void BatchDialogs::ShowMessage(std::string_view text, std::string_view title, MessageIcon) {
    if (quiet_)
        return;
    std::string line = GbkToUtf8Text(text);
    if (!title.empty())
        line = GbkToUtf8Text(title) + " " + line;
    std::fprintf(stderr, "%s\n", line.c_str());
}

} // namespace lilan
