#include "shell/results_model.h"

#include "core/window.h"
#include "shell/qt_text.h"
#include "text/code_page.h"

namespace lilan {
namespace {

// Often enough to look live, seldom enough that relaying out 100,000 rows
// stays a small share of an import.
constexpr int kAnnounceDelayMs = 50;

} // namespace

ResultsModel::ResultsModel(QObject* parent) : QAbstractTableModel(parent) {
    static const std::array<std::string, kColumns> titles = {Cp936("关键词"), Cp936("网址"), Cp936("排名")};
    titles_ = titles;
    announceTimer_.setSingleShot(true);
    announceTimer_.setInterval(kAnnounceDelayMs);
    connect(&announceTimer_, &QTimer::timeout, this, &ResultsModel::AnnouncePendingRows);
}

bool ResultsModel::HasCell(int row, int column) const {
    return row >= 0 && row < RowCount() && column >= 0 && column < kColumns;
}

std::string ResultsModel::CellText(int row, int column) const {
    return HasCell(row, column) ? rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]
                                : std::string();
}

void ResultsModel::SetCellText(int row, int column, std::string_view text) {
    if (!HasCell(row, column))
        return;
    rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
    if (row < announced_) {
        const QModelIndex cell = index(row, column);
        emit dataChanged(cell, cell, {Qt::DisplayRole});
    }
}

int ResultsModel::AppendRow() {
    rows_.emplace_back();
    if (!announceTimer_.isActive())
        announceTimer_.start();
    return RowCount() - 1;
}

void ResultsModel::RemoveAllRows() {
    announceTimer_.stop();
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    announced_ = 0;
    endResetModel();
}

void ResultsModel::AnnouncePendingRows() {
    announceTimer_.stop();
    if (announced_ >= RowCount())
        return;
    beginInsertRows(QModelIndex(), announced_, RowCount() - 1);
    announced_ = RowCount();
    endInsertRows();
}

std::string ResultsModel::ColumnTitle(int column) const {
    return column >= 0 && column < kColumns ? titles_[static_cast<std::size_t>(column)] : std::string();
}

void ResultsModel::SetColumnTitle(int column, std::string_view title) {
    if (column < 0 || column >= kColumns)
        return;
    titles_[static_cast<std::size_t>(column)] = title;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : announced_;
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= announced_)
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return ToQString(CellText(index.row(), index.column()));
    if (role == Qt::DecorationRole && index.column() == kKeywordColumn && !rowIcon_.isNull())
        return rowIcon_;
    return {};
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return ToQString(ColumnTitle(section));
}

} // namespace lilan
