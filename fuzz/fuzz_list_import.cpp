// A list file from disk into the list, back out both ways, and into the page
// of anchor links. The first byte sets the options of the page; the whole
// input, that byte included, is the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "lists/list_file.h"
#include "lists/navigation_page.h"
#include "memory_list.h"
#include "text/text_basics.h"

using lilan::fuzz::Require;

namespace {

bool EndsInLeadByte(const std::string& cell) {
    return !cell.empty() && lilan::IsLeadByte(static_cast<unsigned char>(cell.back())) &&
           lilan::IsCharStart(cell, cell.size() - 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    lilan::fuzz::MemoryList list;
    lilan::ImportListText(file, list);

    const std::string all = lilan::ExportListText(list, false);
    const std::string ranked = lilan::ExportListText(list, true);
    Require(ranked.size() <= all.size());

    // Exported rows read back as the same rows, but for blanks around the
    // result; only a cell that ends in a cut double-byte character takes the
    // "," behind it as its second byte.
    lilan::fuzz::MemoryList again;
    lilan::ImportListText(all, again);
    Require(again.RowCount() == list.RowCount());
    for (int row = 0; row < list.RowCount(); ++row) {
        bool cut = false;
        for (int column = 0; column < 2; ++column)
            cut = cut || EndsInLeadByte(list.CellText(row, column));
        for (int column = 0; column < 2 && !cut; ++column)
            Require(again.CellText(row, column) == list.CellText(row, column));
        Require(cut || lilan::TrimSpaces(again.CellText(row, 2)) == lilan::TrimSpaces(list.CellText(row, 2)));
    }

    const lilan::fuzz::MemoryOptions options(size > 0 ? data[0] : 0);
    const std::string title = lilan::PageTitleFromPath(file.substr(0, 64));
    lilan::BuildNavigationPage(list, options, title);
    return 0;
}
