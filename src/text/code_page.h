#pragma once

#include <string>
#include <string_view>

// Conversions between program text (code page 936) and the encodings met at
// the boundaries. All go through ICU.
//
// Replacement policy: a byte sequence that is not valid in the source charset
// becomes U+FFFD on the way in; a character that the target charset cannot
// hold becomes "?" on the way out. No conversion stops early or fails.
namespace lilan {

std::u16string GbkToUtf16Text(std::string_view gbk);
std::string Utf16ToGbkText(std::u16string_view text);
std::string GbkToUtf8Text(std::string_view gbk);
std::string Utf8ToGbkText(std::string_view utf8);
std::u16string Utf8ToUtf16Text(std::string_view utf8);
std::string Utf16ToUtf8Text(std::u16string_view text);

// charset is an ICU converter name or alias: "windows-936", "GB18030",
// "UTF-8", "UTF-16LE", "UTF-16BE", "Big5", "Big5-HKSCS", ...
// Returns false (and leaves out untouched) when ICU has no such converter.
bool ConvertCharset(std::string_view bytes, const char* fromCharset, const char* toCharset, std::string& out);

// Like Utf16ToGbkText, but stops at the first character that code page 936
// cannot hold (the system converter's zero default character did that).
std::string Utf16ToGbkUntilUnmappable(std::u16string_view text);

// Simplified <-> traditional Chinese, through ICU's Hant-Hans / Hans-Hant
// transliterators. Characters without a counterpart stay as they are.
std::string ToSimplifiedChinese(std::string_view text);
std::string ToTraditionalChinese(std::string_view text);

} // namespace lilan

namespace lilan {
// The program's own Chinese literals are written in UTF-8 source and turned
// into program text once, where they are defined.
inline std::string Cp936(std::string_view utf8) { return Utf8ToGbkText(utf8); }
} // namespace lilan
