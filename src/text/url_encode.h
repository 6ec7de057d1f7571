#pragma once

#include <string>
#include <string_view>

namespace lilan {

// Percent-escapes text for a query string: letters, digits, ".", "_" and "-"
// stay, every other byte becomes "%XX" (capital hex digits). toUtf8 escapes
// the text's UTF-8 form instead of its code page 936 bytes. Pumps window
// events while it works.
std::string UrlEncode(std::string_view text, bool toUtf8 = false, bool keepAmpersandAndEquals = false,
                      bool escapeEverything = false);

// Byte arrays with their terminator: GbkToUtf16 ends in two zero bytes,
// GbkToUtf8 and Utf16ToUtf8 (of a terminated input) in one. The text ends at
// its first zero byte.
std::string GbkToUtf16(std::string_view text);
std::string GbkToUtf8(std::string_view text);
std::string Utf16ToUtf8(std::string_view utf16Bytes);

} // namespace lilan
