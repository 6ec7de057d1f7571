// The result-page walk on arbitrary markup: the entries, then the title, link,
// shown address and abstract of each, as the rank check reads them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "text/markup_parser.h"

using lilan::fuzz::Require;

namespace {

// Each entry holds the rest of a deeply nested page: walking every one of
// them is quadratic in the input, so the walk stops after this many.
constexpr int kMaxEntries = 64;

void WalkEntries(lilan::MarkupParser& parser, std::string_view page, std::string_view tag, std::string_view value,
                 bool contains) {
    const int count = parser.FindAll(page, tag, "class", value, "", contains);
    Require(count >= 0 && count == parser.FoundCount());
    Require(parser.FoundElement(0).empty() && parser.FoundElement(count + 1).empty());
    for (int i = 1; i <= std::min(count, kMaxEntries); ++i) {
        const std::string entry = parser.FoundElement(i);
        Require(parser.FoundElement(i, true).size() >= entry.size());
        const std::string title = parser.FindElement(entry, "h3");
        const std::string link = parser.FindElement(entry, "a");
        const std::string shown = parser.FindElement(entry, "span", "class", "g");
        const std::string abstract = parser.FindElement(entry, "p");
        Require(title.size() <= entry.size() && link.size() <= entry.size() && shown.size() <= entry.size() &&
                abstract.size() <= entry.size());
        parser.Attribute(entry, "id");
        parser.Attribute(link, "href");
        parser.Attribute(entry, "mu");
    }
    // The walk above asks for single elements only: the found ones stay.
    Require(parser.FoundCount() == count);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    lilan::MarkupParser parser;
    WalkEntries(parser, page, "div", "c-container", true);
    WalkEntries(parser, page, "table", "result", false);
    return 0;
}
