#include "net/request_url.h"

#include "text/code_page.h"
#include "text/text_basics.h"

namespace lilan {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && ToLowerAscii(text.substr(0, prefix.size())) == prefix;
}

std::string SchemeOf(std::string_view url) {
    const auto end = url.find("://");
    return end == std::string_view::npos ? std::string() : ToLowerAscii(url.substr(0, end));
}

void AppendEscaped(std::string& out, unsigned char c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 15];
}

} // namespace

bool HasHttpScheme(std::string_view url) {
    return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://");
}

std::string WithHttpScheme(std::string_view url) {
    return HasHttpScheme(url) ? std::string(url) : "http://" + std::string(url);
}

std::string NormalizeRequestUrl(std::string_view url) {
    if (url.empty())
        return {};
    std::string out = WithHttpScheme(url);
    const auto hash = out.find('#');
    if (hash != std::string::npos)
        out.resize(hash);
    return out;
}

std::string WireUrl(std::string_view url) {
    url = UpToZero(url);
    std::string utf8;
    bool ascii = true;
    for (char c : url)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (!ascii) {
        utf8 = GbkToUtf8Text(url);
        url = utf8;
    }
    // The host keeps its UTF-8 form (the client turns it into punycode); the
    // rest is escaped the way browsers send it.
    std::size_t authorityEnd = 0;
    const auto schemeEnd = url.find("://");
    if (schemeEnd != std::string_view::npos) {
        authorityEnd = url.find_first_of("/?#", schemeEnd + 3);
        if (authorityEnd == std::string_view::npos)
            authorityEnd = url.size();
    }
    std::string out;
    out.reserve(url.size() + 16);
    for (std::size_t i = 0; i < url.size(); ++i) {
        const auto c = static_cast<unsigned char>(url[i]);
        if (c <= 0x20 || c == 0x7F || (c >= 0x80 && i >= authorityEnd))
            AppendEscaped(out, c);
        else
            out += static_cast<char>(c);
    }
    return out;
}

bool RedirectAllowed(std::string_view fromUrl, std::string_view toUrl) {
    const std::string to = SchemeOf(toUrl);
    if (to != "http" && to != "https")
        return false;
    return !(SchemeOf(fromUrl) == "https" && to == "http");
}

} // namespace lilan
