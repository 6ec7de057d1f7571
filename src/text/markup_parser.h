#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/regex_object.h"
#include "text/text_basics.h"

namespace lilan {

// Finds elements in markup without building a tree: "<" and the tag name at
// a name boundary, attribute tests on the opening tag, and the closing tag
// found by counting nested opening and closing tags of the same name.
// Lists (tags, names, values, wordList) are separated by "|". Case is
// ignored for ASCII letters only; element texts keep their case as written.
// Searches let window events run now and then, so a window handler may run
// in the middle of one; it must not use the same parser.
class MarkupParser {
public:
    MarkupParser();

    // Collects every matching element of each tag in turn (all elements when
    // tags is empty) and returns how many were found. Elements nested in a
    // found element are found too.
    int FindAll(std::string_view markup, std::string_view tags = {}, std::string_view names = {},
                std::string_view values = {}, std::string_view wordList = {}, bool contains = false,
                bool allAttributes = false, bool ignoreCase = true, bool innerOnly = false,
                bool letterTagsOnly = false);

    // Found element n (1-based) with its equals signs closed up unless raw;
    // empty outside 1..FoundCount().
    std::string FoundElement(int n, bool raw = false) const;
    int FoundCount() const;

    // One element of markup: the index-th matching one (index 1 or more) or
    // the first. With index -1 it collects like FindAll instead (appending to
    // the found elements with append) and returns their count as text. An
    // element whose closing tag is missing is its opening tag alone.
    std::string FindElement(std::string_view markup, std::string_view tag = {}, std::string_view names = {},
                            std::string_view values = {}, std::string_view wordList = {}, bool contains = false,
                            bool allAttributes = false, int index = 0, bool ignoreCase = true,
                            bool innerOnly = false, bool letterTagsOnly = false, bool raw = false,
                            bool append = false);

    // Value of attribute name as written in markup (quoted with " or ', or
    // bare up to a space or ">"), trimmed; empty when absent.
    std::string Attribute(std::string_view markup, std::string_view name) const;

    // Every "=" with up to ten blanks or ideographic spaces on either side
    // becomes a bare "=".
    std::string NormalizeEquals(std::string_view text) const;

private:
    struct Filters;

    void LoadMarkup(std::string_view markup, bool ignoreCase);
    int CollectTag(std::string_view tag, const Filters& filters, bool ignoreCase, bool innerOnly,
                   bool letterTagsOnly);

    // Found element i covers bytes foundStarts_[i] up to (not including)
    // foundEnds_[i] of markup_, 1-based.
    std::vector<Pos> foundStarts_;
    std::vector<Pos> foundEnds_;
    std::string markup_;
    std::string search_; // markup_ lower-cased when case is ignored; empty between searches
    RegexObject equalsNormaliser_;
    bool normaliserReady_ = false;
};

// Characters as a reader counts them: an ASCII byte, a double-byte character
// and a CR LF pair are one character each.
Pos CharCount(std::string_view text);

// The first n characters; a negative n keeps all but the last -n.
std::string LeftChars(std::string_view text, Pos n);

} // namespace lilan
