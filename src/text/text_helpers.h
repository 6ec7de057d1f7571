#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/text_basics.h"

namespace lilan {

// Text between the first head at or after *start and the first tail after
// it; markers are found ignoring ASCII case. On success *start moves behind
// the tail, so repeated calls walk all head...tail pairs; when nothing more is
// found the result is empty and *start becomes -2 (and a call with -2 returns
// empty at once). An empty head means the start of the text, an empty tail
// its end. Unless literalMarkers, "''" in a marker stands for a double quote,
// and a second attempt is made with the quotes removed from both markers.
std::string TextBetween(std::string_view text, std::string_view head, std::string_view tail, Pos* start = nullptr,
                        bool backward = false, Pos headOffset = 0, Pos tailOffset = 0, bool literalMarkers = false,
                        Pos* lastTail = nullptr);

// Every "''" becomes one double quote.
std::string UnescapeQuotes(std::string_view text);

// Replaces each entry of findList by the entry of replaceList at the same
// place, entry after entry, each on the result of the one before.
std::string BatchReplace(std::string_view text, std::string_view findList, std::string_view replaceList = {},
                         bool caseSensitive = false, bool fillFromFirst = false, std::string_view separator = "|",
                         int count = 0);

// Named references of the fixed 40-entry table and numeric references
// ("&#65;", "&#x42;") decoded; pumps window events while it works.
std::string DecodeEntities(std::string_view text, bool namedOnly = false);

// Value of a text of hexadecimal digits, reading stops at the first byte that
// is not one; wraps around past eight digits.
std::int32_t HexToNumber(std::string_view text);

// UTF-16LE code units to program text; stops at the first unit that code
// page 936 cannot hold, or at a zero unit.
std::string Utf16BytesToText(std::string_view bytes);

// Whether text contains all words of the list (or, with anyWord, one of
// them; with wholeText, equals them). Giving matchedWord ends the test with
// true at the first word found, in either mode. Pass words to reuse a list
// split once; wordList is then ignored.
bool MatchWordList(std::string_view text, std::string_view wordList, bool anyWord = false,
                   std::string_view separator = "|", std::string* matchedWord = nullptr, Pos* position = nullptr,
                   bool tryTraditional = false, const std::vector<std::string>* words = nullptr, bool ignoreCase = true,
                   bool wholeText = false);

} // namespace lilan
