#pragma once

#include <string>
#include <string_view>

#include "core/window.h"

namespace lilan {

// The HTML page of anchor links, one line "<ul>...</ul>" per row and one
// anchor per keyword, in code page 936 (declared as gb2312). The options are
// read anew for every row and anchor.
std::string BuildNavigationPage(const ResultsList& list, const QueryOptions& options, std::string_view title);

// The file's base name: after the last "/" or "\", cut before the last ".".
std::string PageTitleFromPath(std::string_view path);

} // namespace lilan
