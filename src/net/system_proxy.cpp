#include "net/system_proxy.h"

#include <algorithm>
#include <cstdlib>

#include "text/text_basics.h"

namespace lilan {
namespace {

std::string Environment(const char* lower, const char* upper) {
    for (const char* name : {lower, upper}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return TrimSpaces(value);
    }
    return {};
}

struct HostAndPort {
    std::string scheme, host, port;
};

HostAndPort SplitAddress(std::string_view url) {
    HostAndPort out;
    const auto schemeEnd = url.find("://");
    if (schemeEnd != std::string_view::npos) {
        out.scheme = ToLowerAscii(url.substr(0, schemeEnd));
        url.remove_prefix(schemeEnd + 3);
    }
    url = url.substr(0, url.find_first_of("/?#"));
    const auto at = url.rfind('@');
    if (at != std::string_view::npos)
        url.remove_prefix(at + 1);
    std::string_view host = url;
    if (!host.empty() && host.front() == '[') {
        const auto close = host.find(']');
        host = host.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
        const auto colon = url.find("]:");
        if (colon != std::string_view::npos)
            out.port = url.substr(colon + 2);
    } else if (const auto colon = host.rfind(':'); colon != std::string_view::npos) {
        out.port = host.substr(colon + 1);
        host = host.substr(0, colon);
    }
    out.host = ToLowerAscii(host);
    return out;
}

// no_proxy: names separated by commas or blanks; "*" matches every host, a
// name matches itself and its subdomains, "name:port" only that port.
bool Bypassed(const HostAndPort& address, std::string_view noProxy) {
    std::size_t i = 0;
    while (i < noProxy.size()) {
        const auto end = std::min(noProxy.find_first_of(", \t", i), noProxy.size());
        std::string entry = ToLowerAscii(noProxy.substr(i, end - i));
        i = end + 1;
        if (entry.empty())
            continue;
        if (entry == "*")
            return true;
        std::string port;
        if (const auto colon = entry.rfind(':');
            colon != std::string::npos && entry.find(']') == std::string::npos && entry.find(':') == colon) {
            port = entry.substr(colon + 1);
            entry.resize(colon);
        }
        if (entry.size() > 1 && entry.front() == '[' && entry.back() == ']')
            entry = entry.substr(1, entry.size() - 2);
        while (!entry.empty() && (entry.front() == '.' || entry.front() == '*'))
            entry.erase(0, 1);
        if (entry.empty() || (!port.empty() && port != address.port))
            continue;
        const std::string& host = address.host;
        if (host == entry ||
            (host.size() > entry.size() && host.compare(host.size() - entry.size(), entry.size(), entry) == 0 &&
             host[host.size() - entry.size() - 1] == '.'))
            return true;
    }
    return false;
}

} // namespace

std::string SystemProxyFor(std::string_view url) {
    const HostAndPort address = SplitAddress(url);
    if (address.host.empty() || Bypassed(address, Environment("no_proxy", "NO_PROXY")))
        return {};
    std::string proxy =
        address.scheme == "https" ? Environment("https_proxy", "HTTPS_PROXY") : Environment("http_proxy", "HTTP_PROXY");
    if (proxy.empty())
        proxy = Environment("all_proxy", "ALL_PROXY");
    return proxy;
}

} // namespace lilan
