#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Program text is code page 936 bytes in std::string. Positions are 1-based
// byte positions; a search that finds nothing yields -1.
namespace lilan {

using Pos = std::ptrdiff_t;

// A byte in 0x81..0xFE starts a double-byte character together with whatever
// byte follows it. Every other byte is a character of its own, so such a byte
// always ends a character: the backward boundary test relies on that.
inline bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

inline std::size_t CharLengthAt(std::string_view text, std::size_t index) {
    return IsLeadByte(static_cast<unsigned char>(text[index])) && index + 1 < text.size() ? 2 : 1;
}

inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
inline char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Folds only A-Z; double-byte characters are left whole (their second byte
// is never folded).
std::string ToLowerAscii(std::string_view text);
std::string ToUpperAscii(std::string_view text);

// True when byte index (0-based) begins a character, counting characters from
// the start of text.
bool IsCharStart(std::string_view text, std::size_t index);

// First occurrence of what at or after the 1-based start (below 1: from the
// beginning) that begins on a character boundary; start itself is taken to be
// a boundary. Empty what is never found.
Pos FindText(std::string_view text, std::string_view what, Pos start = 1, bool ignoreCase = false);

// Last occurrence of what that begins on a character boundary and whose last
// byte lies at or before the 1-based position end (-1: the end of the text).
Pos FindTextBackward(std::string_view text, std::string_view what, Pos end = -1, bool ignoreCase = false);

// Every non-overlapping occurrence of what replaced by with, scanning left to
// right; inserted text is not searched again.
std::string ReplaceAllText(std::string_view text, std::string_view what, std::string_view with,
                           bool ignoreCase = false, int count = 0);

// Removes ASCII spaces and full-width spaces (A1 A1) at both ends.
std::string TrimSpaces(std::string_view text);

// Reads a leading decimal number (after optional blanks and one sign); 0 when
// there is none. Saturates instead of overflowing.
long long ToInteger(std::string_view text);

// Pieces between separators: empty pieces for a leading or doubled separator,
// none for a trailing one, none for an empty text.
std::vector<std::string> SplitText(std::string_view text, std::string_view separator);

// Text taken from bytes ends at the first zero byte.
inline std::string_view UpToZero(std::string_view bytes) {
    const auto zero = bytes.find('\0');
    return zero == std::string_view::npos ? bytes : bytes.substr(0, zero);
}

} // namespace lilan
