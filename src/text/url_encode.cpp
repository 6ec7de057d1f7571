#include "text/url_encode.h"

#include "core/event_pump.h"
#include "text/code_page.h"
#include "text/text_basics.h"

namespace lilan {

std::string GbkToUtf16(std::string_view text) {
    const std::u16string wide = GbkToUtf16Text(UpToZero(text));
    std::string bytes;
    bytes.reserve(wide.size() * 2 + 2);
    for (char16_t unit : wide) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    bytes.append(2, '\0');
    return bytes;
}

std::string Utf16ToUtf8(std::string_view utf16Bytes) {
    std::u16string wide(utf16Bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<char16_t>(static_cast<unsigned char>(utf16Bytes[2 * i]) |
                                        (static_cast<unsigned char>(utf16Bytes[2 * i + 1]) << 8));
    }
    // ICU stops nothing at a zero unit: it converts it to a zero byte, which
    // is what carries the terminator over.
    return Utf16ToUtf8Text(wide);
}

std::string GbkToUtf8(std::string_view text) {
    std::string bytes = GbkToUtf8Text(UpToZero(text));
    bytes += '\0';
    return bytes;
}

std::string UrlEncode(std::string_view text, bool toUtf8, bool keepAmpersandAndEquals, bool escapeEverything) {
    // The terminator that the UTF-8 form carries would only be escaped to
    // "%00" and removed again, so it is left out here.
    const std::string utf8 = toUtf8 ? GbkToUtf8Text(UpToZero(text)) : std::string();
    const std::string_view bytes = toUtf8 ? std::string_view(utf8) : text;
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        // Escaping "." "_" "-" (and "&" "=") only to turn the escape back
        // afterwards gives the same text as keeping them.
        const bool kept = !escapeEverything && (alnum || c == '.' || c == '_' || c == '-');
        if (kept || (keepAmpersandAndEquals && (c == '&' || c == '='))) {
            out += ch;
            continue;
        }
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
        LetEventsRunSometimes();
    }
    return out;
}

} // namespace lilan
