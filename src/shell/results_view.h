#pragma once

#include <QTreeView>

#include "core/window.h"
#include "shell/results_model.h"

namespace lilan {

// The report-style view of 列表框: whole rows selected, one at a time.
class ResultsView final : public QTreeView {
    Q_OBJECT

public:
    explicit ResultsView(QWidget* parent = nullptr);

    // 0-based index of the selected row, or -1.
    int SelectedRow() const;

signals:
    // A double click anywhere on the list, on a row or not.
    void doubleClickedAnywhere();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// The list as the logic sees it, over the model and its view.
class QtResultsList final : public ResultsList {
public:
    QtResultsList(ResultsModel& model, ResultsView& view) : model_(model), view_(view) {}

    int RowCount() const override { return model_.RowCount(); }
    std::string CellText(int row, int column) const override { return model_.CellText(row, column); }
    void SetCellText(int row, int column, std::string_view text) override { model_.SetCellText(row, column, text); }
    int AppendRow() override { return model_.AppendRow(); }
    void RemoveAllRows() override { model_.RemoveAllRows(); }
    void SetColumnTitle(int column, std::string_view title) override { model_.SetColumnTitle(column, title); }
    void SelectRow(int row) override;
    void Focus() override;

private:
    ResultsModel& model_;
    ResultsView& view_;
};

} // namespace lilan
