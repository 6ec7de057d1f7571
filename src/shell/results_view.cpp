#include "shell/results_view.h"

#include <QHeaderView>
#include <QItemSelectionModel>

namespace lilan {

ResultsView::ResultsView(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true); // keeps scrolling through 100,000 rows cheap
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAllColumnsShowFocus(true);
    setIconSize(QSize(24, 24));
    header()->setStretchLastSection(false);
}

int ResultsView::SelectedRow() const {
    if (selectionModel() == nullptr)
        return -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void ResultsView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    emit doubleClickedAnywhere();
}

void QtResultsList::SelectRow(int row) {
    if (row < 0 || row >= model_.RowCount())
        return;
    model_.AnnouncePendingRows();
    const QModelIndex index = model_.index(row, 0);
    view_.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view_.scrollTo(index);
}

void QtResultsList::Focus() {
    view_.setFocus(Qt::OtherFocusReason);
}

} // namespace lilan
