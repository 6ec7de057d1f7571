#include "core/result_page_reader.h"

#include <climits>
#include <random>
#include <vector>

#include "core/address.h"
#include "core/event_pump.h"
#include "net/web_client.h"
#include "text/code_page.h"
#include "text/markup_cleaner.h"
#include "text/markup_parser.h"
#include "text/regex_object.h"
#include "text/text_helpers.h"
#include "text/url_encode.h"

namespace lilan {
namespace {

const std::string& EchoTail() {
    static const std::string tail = Cp936("_百度搜索</title>");
    return tail;
}

struct ResultEntry {
    std::string link;
    std::string shownAddress;
    std::string resolvedAddress;
    int position = 0;
    std::string title;
};

int RandomPauseMs() {
    static std::mt19937 generator{std::random_device{}()};
    return std::uniform_int_distribution<int>(1000, 2000)(generator);
}

bool MatchesAddress(std::string_view candidate, std::string_view address) {
    return SameAddress(candidate, address) || SameAddress(candidate, std::string(address) + "/");
}

// The entry's own start tag: attributes of inner elements must not count.
std::string_view StartTag(std::string_view entry) {
    const auto end = entry.find('>');
    return end == std::string_view::npos ? entry : entry.substr(0, end + 1);
}

int ToPosition(std::string_view text) {
    const long long value = ToInteger(text);
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

} // namespace

std::string SearchUrl(std::string_view host, std::string_view word, int page) {
    if (page < 1)
        page = 1;
    return "http://" + std::string(host) + "/s?rn=20&word=" + UrlEncode(word, true) +
           "&pn=" + std::to_string((static_cast<long long>(page) - 1) * 20);
}

std::string ResolveRedirect(std::string_view url) {
    WebClient client; // a component of its own, made by the constructor
    return client.HasComponent() ? client.ProbeLocation(url) : std::string();
}

int ReadResultPage(ReaderContext& context, std::string& keyword, int page, std::string_view address,
                   std::string_view siteTitle, int mode) {
    MarkupParser parser;
    RegexObject tagStripper;
    tagStripper.Create("<[\\s\\S]+?>");
    // Today's shown addresses may hold a style block; its text is no address.
    RegexObject blockStripper;
    blockStripper.Create("<style[\\s\\S]*?</style>|<script[\\s\\S]*?</script>");
    MarkupCleaner cleaner;
    std::vector<ResultEntry> deferred;
    AppState& app = context.app;

    if (page < 1)
        page = 1;
    if (keyword.empty())
        keyword = siteTitle.empty() ? std::string(address) : std::string(siteTitle);

    int count = 0;
    bool readable = false;
    for (int attempt = 0; attempt < 3 && count == 0; ++attempt) {
        const std::string url = SearchUrl(app.deployment.searchHost, keyword, page);
        FetchOptions fetch;
        fetch.proxy = context.options.UseProxy() ? context.options.ProxyText() : std::string("-1");
        if (app.deployment.requestTimeoutSeconds > 0)
            fetch.timeoutSeconds = static_cast<float>(app.deployment.requestTimeoutSeconds);
        const std::string text = app.web ? app.web->FetchPage(url, fetch) : std::string();
        if (mode == kModeTitleInclusion)
            app.echoedTitle = TextBetween(text, "<title>", EchoTail());
        else if (mode != kModeTitleKeyword)
            app.echoedTitle.clear();

        count = parser.FindAll(text, "div", "class", "c-container", "", true);
        if (count == 0)
            count = parser.FindAll(text, "table", "class", "result", "", true);
        // A page that echoes the query is the engine's answer even without
        // entries; anything else (error, verification page, nothing) is not.
        readable = readable || count > 0 || FindText(text, EchoTail(), 1, true) > 0;
        if (count == 0) {
            const int never = 0;
            PauseWithEvents(RandomPauseMs(), never);
        }
    }
    if (count == 0)
        return readable ? 0 : kPageUnreadable;

    static const std::string ellipsis = "...";
    for (int n = 1; n <= count; ++n) {
        LetEventsRun();
        ResultEntry entry;
        const std::string markup = parser.FoundElement(n);
        const std::string_view startTag = StartTag(markup);
        entry.position = ToPosition(parser.Attribute(startTag, "id"));
        const std::string realAddress = DecodeEntities(parser.Attribute(startTag, "mu"));
        const std::string decoded = DecodeEntities(markup);
        entry.title = cleaner.TrimLines(tagStripper.Replace(parser.FindElement(decoded, "h3")));
        entry.link = parser.Attribute(parser.FindElement(decoded, "a"), "href");
        if (entry.position < 1)
            continue;
        if (entry.link.compare(0, 2, "//") == 0)
            entry.link.insert(0, "http:");

        std::string shown;
        for (const auto& [tag, cls] : {std::pair{"span", "g"}, std::pair{"span", "c-showurl"},
                                      std::pair{"div", "c-showurl"}, std::pair{"p", ""},
                                      std::pair{"a", "c-showurl"}}) {
            shown = *cls ? parser.FindElement(decoded, tag, "class", cls) : parser.FindElement(decoded, tag);
            if (!shown.empty())
                break;
        }
        if (shown.find('<', 1) != std::string::npos)
            shown = blockStripper.Replace(shown);
        shown = TrimSpaces(tagStripper.Replace(shown));
        const auto space = shown.find(' ');
        if (space != std::string::npos && space > 0)
            shown.resize(space);
        entry.shownAddress = shown;

        bool truncated = false;
        if (!siteTitle.empty() && entry.title.find(ellipsis) != std::string::npos) {
            entry.title = ReplaceAllText(entry.title, ellipsis, "");
            truncated = true;
        }
        entry.title = TrimSpaces(ToSimplifiedChinese(DecodeEntities(entry.title)));

        context.startButton.SetText(keyword + "(" + std::to_string(entry.position) + ")");

        // An entry without a title matches no title: "" is in every text and
        // equals an echoed title that was never read.
        const bool titleMatch = !siteTitle.empty() && !entry.title.empty() &&
                                (entry.title == siteTitle || entry.title == app.echoedTitle ||
                                 (truncated && FindText(siteTitle, entry.title) > 0));
        // Today's entries carry their real address in "mu": comparing it here
        // saves one request per entry in the second pass.
        if (titleMatch || (!entry.shownAddress.empty() && MatchesAddress(entry.shownAddress, address)) ||
            (!realAddress.empty() && MatchesAddress(realAddress, address)))
            return context.options.InclusionOnly() ? 1 : entry.position;
        deferred.push_back(std::move(entry));
    }
    if (!siteTitle.empty())
        return 0;

    for (ResultEntry& entry : deferred) {
        LetEventsRun();
        context.startButton.SetText(keyword + "(" + std::to_string(entry.position) + ")");
        entry.resolvedAddress = entry.link.empty() ? std::string() : ResolveRedirect(entry.link);
        if (!entry.resolvedAddress.empty() && MatchesAddress(entry.resolvedAddress, address))
            return context.options.InclusionOnly() ? 1 : entry.position;
    }
    return 0;
}

} // namespace lilan
