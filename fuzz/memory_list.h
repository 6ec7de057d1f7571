#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/window.h"

// The window's list and settings panel as plain memory, for the fuzz targets
// (the test doubles would pull GoogleTest in).
namespace lilan::fuzz {

class MemoryList final : public ResultsList {
public:
    int RowCount() const override { return static_cast<int>(rows_.size()); }
    std::string CellText(int row, int column) const override {
        return Valid(row, column) ? rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]
                                  : std::string();
    }
    void SetCellText(int row, int column, std::string_view text) override {
        if (Valid(row, column))
            rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)].assign(text);
    }
    int AppendRow() override {
        rows_.emplace_back();
        return RowCount() - 1;
    }
    void RemoveAllRows() override { rows_.clear(); }
    void SetColumnTitle(int, std::string_view) override {}
    void SelectRow(int) override {}

private:
    bool Valid(int row, int column) const { return row >= 0 && row < RowCount() && column >= 0 && column < 3; }

    std::vector<std::array<std::string, 3>> rows_;
};

class MemoryOptions final : public QueryOptions {
public:
    explicit MemoryOptions(unsigned bits) : bits_(bits) {}
    bool InclusionOnly() const override { return bits_ & 1; }
    bool Descriptive() const override { return bits_ & 2; }
    std::string PageLimitText() const override { return "1"; }
    std::string IntervalText() const override { return "3000"; }
    bool UseProxy() const override { return false; }
    std::string ProxyText() const override { return {}; }
    bool RankedOnly() const override { return bits_ & 4; }
    bool AlwaysAddress() const override { return bits_ & 8; }
    bool NewWindow() const override { return bits_ & 16; }
    bool UnrankedOnly() const override { return bits_ & 32; }

private:
    unsigned bits_;
};

} // namespace lilan::fuzz
