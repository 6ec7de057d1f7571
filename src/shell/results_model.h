#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QTimer>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace lilan {

// The rows of 列表框: three code page 936 cells a row, converted for display
// only when a view asks. Appended rows reach the views in batches (see
// AnnouncePendingRows), so importing a long list stays linear even when the
// importer lets events run after every row.
class ResultsModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kColumns = 3;

    explicit ResultsModel(QObject* parent = nullptr);

    // Counts every row, announced or not.
    int RowCount() const { return static_cast<int>(rows_.size()); }
    // A row or column that does not exist reads as empty text and ignores
    // writes: the list can be cleared under a run that still holds old indexes.
    std::string CellText(int row, int column) const;
    void SetCellText(int row, int column, std::string_view text);
    int AppendRow();
    void RemoveAllRows();
    std::string ColumnTitle(int column) const;
    void SetColumnTitle(int column, std::string_view title);
    void SetRowIcon(const QIcon& icon) { rowIcon_ = icon; }

    // Tells the views about rows appended since the last call. Runs on its
    // own shortly after an append; callers that need a row in the view at
    // once (selection) call it first.
    void AnnouncePendingRows();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    bool HasCell(int row, int column) const;

    std::vector<std::array<std::string, kColumns>> rows_;
    int announced_ = 0; // rows [0, announced_) are known to the views
    std::array<std::string, kColumns> titles_;
    QIcon rowIcon_;
    QTimer announceTimer_;
};

} // namespace lilan
