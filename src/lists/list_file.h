#pragma once

#include <string>
#include <string_view>

#include "core/window.h"

// The list text file: one row a line, keywords "," address ["," result],
// code page 936. The result column holds one entry per keyword, separated by
// single spaces.
namespace lilan {

// An entry that says "no rank": it contains "未收录", "超出范围" or "查询失败",
// or is exactly "0", "-1" or "-2". Every other entry, the empty one
// included, counts as ranked.
bool IsUnrankedEntry(std::string_view entry);

// Appends one row per line holding a keyword or an address; an address
// without "http" in front gets "http://". Lines end at LF, CR LF or a lone CR.
void ImportListText(std::string_view fileBytes, ResultsList& list);

// Every row as keywords "," address "," result and CR LF. With rankedOnly the
// result keeps only its ranked entries and a row left with none is skipped.
std::string ExportListText(const ResultsList& list, bool rankedOnly);

} // namespace lilan
