#include "core/address.h"

#include "text/code_page.h"

namespace lilan {
namespace {

std::string ReduceAddress(std::string_view address) {
    std::string reduced = ToLowerAscii(address);
    for (const char* scheme : {"http://", "https://", "//"})
        reduced = ReplaceAllText(reduced, scheme, "");
    return reduced;
}

std::string UnquoteMarker(std::string_view marker) {
    static const std::string quoteWord = Cp936("#引号");
    return ReplaceAllText(marker, quoteWord, "\"");
}

} // namespace

std::string HostOfAddress(std::string_view address, bool keepPort) {
    std::string text = ToLowerAscii(address);
    if (text.empty() || text.back() != '/')
        text += '/';
    std::string_view scheme = "https://";
    if (text.compare(0, scheme.size(), scheme) != 0) {
        scheme = "http://";
        if (FindText(text, scheme) < 0)
            text.insert(0, scheme);
    }
    std::string host = TextBetweenFirst(text, scheme, "/");
    if (!keepPort) {
        const Pos colon = FindText(host, ":");
        if (colon > 0)
            host.resize(static_cast<std::size_t>(colon - 1));
    }
    return host;
}

bool SameAddress(std::string_view a, std::string_view b) { return ReduceAddress(a) == ReduceAddress(b); }

std::string TextBetweenFirst(std::string_view text, std::string_view head, std::string_view tail, Pos start,
                             bool ignoreCase) {
    const std::string h = UnquoteMarker(head);
    const std::string t = UnquoteMarker(tail);
    const Pos hp = FindText(text, h, start < 1 ? 1 : start, ignoreCase);
    if (hp < 0)
        return {};
    const Pos begin = hp + static_cast<Pos>(h.size());
    const Pos tp = FindText(text, t, begin, ignoreCase);
    if (tp < 0)
        return {};
    return std::string(text.substr(static_cast<std::size_t>(begin - 1), static_cast<std::size_t>(tp - begin)));
}

} // namespace lilan
