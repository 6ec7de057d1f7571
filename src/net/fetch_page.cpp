#include <chrono>
#include <climits>
#include <cmath>
#include <random>

#include "net/decode_body.h"
#include "net/request_url.h"
#include "net/system_proxy.h"
#include "net/web_client.h"
#include "text/text_basics.h"
#include "text/text_helpers.h"

namespace lilan {
namespace {

constexpr const char* kDefaultContentType = "application/x-www-form-urlencoded";
constexpr const char* kDefaultUserAgent =
    "Mozilla/5.0 (Windows NT 6.1) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/30.0.1599.101 Safari/537.36";
constexpr RequestTimeouts kFixedTimeouts{10000, 10000, 60000, 120000};
constexpr int kFixedWaitSeconds = 120;
constexpr double kTolerance = 0.0000001;

int ClampToInt(double value) {
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(value);
}

} // namespace

std::string WebClient::FetchPage(std::string_view url) {
    FetchOptions options;
    return FetchPage(url, options);
}

std::string WebClient::FetchPage(std::string_view url, FetchOptions&& options) {
    return FetchPage(url, options);
}

std::string WebClient::FetchPage(std::string_view url, FetchOptions& o) {
    if (component_ && !Usable())
        return {}; // reached from a window event while this client's request runs

    const bool post = !o.postText.empty() || !o.postBytes.empty();
    const std::string address = TrimSpaces(url);
    std::string opened = address;
    Open(post ? "POST" : "GET", opened, !o.synchronous);

    std::string referer = o.referer.empty() ? address : o.referer;
    SetRequestHeader("Referer", referer);
    if (FindText(o.extraHeaders, "Content-Type:") < 0) {
        std::string type = o.contentType.empty() ? kDefaultContentType : o.contentType;
        SetRequestHeader("Content-Type", type);
    }
    if (FindText(o.extraHeaders, "User-Agent:") < 0) {
        std::string agent = o.userAgent.empty() ? kDefaultUserAgent : o.userAgent;
        SetRequestHeader("User-Agent", agent);
    }

    std::string block = o.extraHeaders;
    if (o.forgeClientAddress) {
        if (!block.empty())
            block += "\r\n";
        block += MakeForgedAddressHeaders();
    }
    for (const std::string& line : SplitText(block, "\r\n")) {
        // A value ends at its own first ": ".
        std::vector<std::string> pieces = SplitText(line, ": ");
        pieces.resize(2);
        if (!pieces[0].empty() && !pieces[1].empty())
            SetRequestHeader(pieces[0], pieces[1]);
    }

    if (!storedCookies.empty() && o.cookies.empty())
        o.cookies = storedCookies;
    if (o.cookies == "-1") {
        std::string none;
        SetRequestHeader("Cookie", none);
    } else if (!o.cookies.empty()) {
        std::string cookies = o.cookies;
        SetRequestHeader("Cookie", cookies);
    }

    const double seconds = std::isnan(o.timeoutSeconds) ? 0.0 : static_cast<double>(o.timeoutSeconds);
    const bool fixedLimits = seconds - 1 < -kTolerance;
    if (std::fabs(seconds + 1) > kTolerance) {
        if (fixedLimits) {
            SetTimeouts(kFixedTimeouts.resolve, kFixedTimeouts.connect, kFixedTimeouts.send, kFixedTimeouts.receive);
        } else {
            const int ms = ClampToInt(seconds * 1000);
            SetTimeouts(ms, ms, ms, ms);
        }
    }

    if (o.proxy && *o.proxy != "-1") {
        std::string proxy = *o.proxy == "IE" ? SystemProxyFor(opened) : *o.proxy;
        LetEventsRunWhileBusy();
        SetProxy(proxy.empty() ? 0 : 2, proxy, "");
    }

    Send(o.postText, o.postBytes);
    if (!o.synchronous)
        WaitForResponse(fixedLimits ? kFixedWaitSeconds : ClampToInt(seconds));

    if (o.keepCookies)
        storedCookies = MergeResponseCookies();

    if (o.bodyMode == -2 || o.bodyMode == -1)
        return std::string(UpToZero(ResponseBody()));
    if (o.bodyMode == 0 &&
        MatchWordList(GetAllResponseHeaders(), UnescapeQuotes("charset=utf-8|charset=''utf-8''|charset='utf-8'"), true))
        o.bodyMode = kEncodingUtf8;
    return DecodeBody(ResponseBody(), o.bodyMode);
}

std::string WebClient::MakeForgedAddressHeaders() {
    static std::mt19937 random(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> octet(0, 255);
    std::string address;
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            address += '.';
        address += std::to_string(octet(random));
    }
    return "X-Forward-For: " + address + "\r\nX-Forwarded-For: " + address + "\r\nREMOTE_ADDR: " + address;
}

std::string WebClient::MergeResponseCookies() const {
    const std::string lines = ReplaceAllText(CollectSetCookieLines(), "Set-Cookie: ", "");
    return ReplaceAllText(lines, "\r\n", "; ");
}

} // namespace lilan
