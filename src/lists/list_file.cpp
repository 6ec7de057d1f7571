#include "lists/list_file.h"

#include <vector>

#include "core/event_pump.h"
#include "text/code_page.h"
#include "text/text_basics.h"

namespace lilan {
namespace {

const std::vector<std::string>& UnrankedWords() {
    static const std::vector<std::string> words = {Cp936("未收录"), Cp936("超出范围"), Cp936("查询失败")};
    return words;
}

std::string WithScheme(const std::string& address) {
    if (ToLowerAscii(std::string_view(address).substr(0, 4)) == "http")
        return address;
    return "http://" + address;
}

void ImportLine(std::string_view line, ResultsList& list) {
    const std::vector<std::string> fields = SplitText(TrimSpaces(line), ",");
    const auto field = [&](std::size_t i) { return i < fields.size() ? fields[i] : std::string(); };
    const std::string first = field(0), second = field(1);
    if (first.empty() && second.empty())
        return;
    const int row = list.AppendRow();
    if (!second.empty()) {
        list.SetCellText(row, kKeywordColumn, first);
        list.SetCellText(row, kAddressColumn, WithScheme(second));
    } else { // address-only line
        list.SetCellText(row, kAddressColumn, WithScheme(first));
        list.SetCellText(row, kKeywordColumn, second);
    }
    list.SetCellText(row, kResultColumn, field(2));
    LetEventsRunSometimes();
}

} // namespace

bool IsUnrankedEntry(std::string_view entry) {
    if (entry == "0" || entry == "-1" || entry == "-2")
        return true;
    for (const std::string& word : UnrankedWords()) {
        if (FindText(entry, word) > 0)
            return true;
    }
    return false;
}

void ImportListText(std::string_view fileBytes, ResultsList& list) {
    // LF and CR never occur inside a double-byte character, so lines are cut
    // on the bytes themselves. A lone CR (old Mac files) ends a line too:
    // taking it as text would merge every row of such a file into one.
    std::size_t from = 0;
    while (from < fileBytes.size()) {
        std::size_t end = fileBytes.find_first_of("\r\n", from);
        if (end == std::string_view::npos)
            end = fileBytes.size();
        ImportLine(fileBytes.substr(from, end - from), list);
        from = end + 1;
        if (end + 1 < fileBytes.size() && fileBytes[end] == '\r' && fileBytes[end + 1] == '\n')
            ++from;
    }
}

std::string ExportListText(const ResultsList& list, bool rankedOnly) {
    std::string out;
    // The count is read anew each row: a handler may clear the list meanwhile.
    for (int row = 0; row < list.RowCount(); ++row) {
        std::string result = list.CellText(row, kResultColumn);
        if (rankedOnly) {
            std::string kept;
            bool any = false;
            for (const std::string& entry : SplitText(result, " ")) {
                if (IsUnrankedEntry(entry))
                    continue;
                if (any)
                    kept += ' ';
                kept += entry;
                any = true;
            }
            if (!any)
                continue;
            result = std::move(kept);
        }
        out += list.CellText(row, kKeywordColumn);
        out += ',';
        out += list.CellText(row, kAddressColumn);
        out += ',';
        out += result;
        out += "\r\n";
        LetEventsRunSometimes();
    }
    return out;
}

} // namespace lilan
