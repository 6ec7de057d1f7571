#pragma once

#include <string>
#include <string_view>

namespace lilan {

// Turns markup, or text taken out of it, into plain text. Each operation
// applies one fixed regular expression with a fresh RegexObject; nothing
// survives a call.
class MarkupCleaner {
public:
    // Removes lines made only of spaces, ideographic spaces and tabs (with
    // their CR LF) and those characters at the start and end of every line.
    // With apply false, returns the pattern instead.
    std::string TrimLines(std::string_view text, bool apply = true) const;

private:
    // Every match of pattern removed (default options), or with apply false
    // the pattern itself; empty text when the pattern cannot be compiled.
    static std::string CleanWithPattern(std::string_view text, std::string_view pattern, bool apply);
};

} // namespace lilan
