#include <climits>
#include <vector>

#include "core/address.h"
#include "core/app_state.h"
#include "core/event_pump.h"
#include "core/result_page_reader.h"
#include "net/web_client.h"
#include "text/code_page.h"
#include "text/text_helpers.h"

namespace lilan {
namespace {

struct RunTexts {
    std::string idle = Cp936("开始查询");
    std::string running = Cp936("停止查询");
    std::string stopping = Cp936("停止中");
    std::string readingTitle = Cp936("百度平台读标题判断..");
    std::string querying = Cp936("正在查询中..");
    std::string checking = Cp936("检测：");
    std::string notIndexed = Cp936("未收录");
    std::string indexed = Cp936("已收录");
    std::string failed = Cp936("查询失败");
    std::string keywordTitle = Cp936("关键词");
    std::string keywordTitlePrefix = Cp936("关键词 >> ");
    std::string addressTitle = Cp936("网址");
    std::string addressTitleChecking = Cp936("网址 >>> 正在判断是否已收录");
    std::string placePrefix = Cp936("第");
    std::string placeSuffix = Cp936("位");
    std::string outOfRange = Cp936("超出范围");
    std::string done = Cp936("查询完毕！");
};

const RunTexts& Texts() {
    static const RunTexts texts;
    return texts;
}

int ReadNumber(const std::string& text) {
    const long long value = ToInteger(text);
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

// The run's own pauses never end early: stop requests wait for the next check.
void Pause(int ms) {
    static const int never = 0;
    PauseWithEvents(ms, never);
}

bool OnOwnDomain(const AppState& app, std::string_view address) {
    const std::string host = HostOfAddress(address);
    const Deployment& d = app.deployment;
    return !d.ownDomain.empty() && FindText(host, d.ownDomain, 1, true) > 0 &&
           (d.experienceSubdomain.empty() || FindText(host, d.experienceSubdomain, 1, true) < 0);
}

// A page on the engine's own domain is matched by its title.
std::string ReadSiteTitle(AppState& app, ResultsList& list, int row, const std::string& address) {
    const RunTexts& t = Texts();
    list.SetCellText(row, kAddressColumn, t.readingTitle + address);
    std::string title;
    for (int attempt = 0; attempt < 3 && title.empty(); ++attempt) {
        const std::string page = app.web ? app.web->FetchPage(address) : std::string();
        title = TextBetween(page, "<title>", "</title>");
    }
    list.SetCellText(row, kAddressColumn, address);
    return TrimSpaces(ToSimplifiedChinese(DecodeEntities(title)));
}

std::string KeywordEntry(const QueryOptions& options, const std::string& keyword, int outcome) {
    const RunTexts& t = Texts();
    if (!options.Descriptive())
        return std::to_string(outcome);
    if (outcome == kPageUnreadable)
        return "(" + keyword + ")" + t.failed;
    if (outcome > 0)
        return "(" + keyword + ")" + t.placePrefix + std::to_string(outcome) + t.placeSuffix;
    return "(" + keyword + ")" + t.outOfRange;
}

// Returns false for a row that is skipped (no address, or nothing to ask).
bool CheckRow(AppState& app, QueryWindow& window, ReaderContext& reader, int row) {
    const RunTexts& t = Texts();
    ResultsList& list = window.list;
    const QueryOptions& options = window.options;

    const std::string keywords = TrimSpaces(list.CellText(row, kKeywordColumn));
    const std::string address = TrimSpaces(list.CellText(row, kAddressColumn));
    std::string siteTitle;
    if (OnOwnDomain(app, address))
        siteTitle = ReadSiteTitle(app, list, row, address);
    if (address.empty())
        return false;
    if (keywords.empty() && !options.InclusionOnly())
        return false;

    list.SetCellText(row, kResultColumn, t.querying);
    list.SelectRow(row);
    list.SetColumnTitle(kKeywordColumn, t.keywordTitle);
    list.SetColumnTitle(kAddressColumn, t.addressTitleChecking);
    LetEventsRun();

    std::string searchWord;
    const int inclusion = ReadResultPage(reader, searchWord, 1, address, siteTitle,
                                         siteTitle.empty() ? kModeAddress : kModeTitleInclusion);
    if (inclusion == kPageUnreadable) {
        list.SetCellText(row, kResultColumn, options.Descriptive() ? t.failed : std::string("-2"));
        Pause(ReadNumber(options.IntervalText()));
        return true;
    }
    if (inclusion == 0) {
        list.SetCellText(row, kResultColumn, options.Descriptive() ? t.notIndexed : std::string("0"));
        Pause(ReadNumber(options.IntervalText()));
        return true;
    }
    if (options.InclusionOnly()) {
        list.SetCellText(row, kResultColumn, options.Descriptive() ? t.indexed : std::string("1"));
        Pause(ReadNumber(options.IntervalText()));
        return true;
    }

    std::vector<std::string> words = SplitText(keywords, " ");
    std::string result;
    list.SetColumnTitle(kAddressColumn, t.addressTitle);
    Pause(ReadNumber(options.IntervalText()));
    for (std::string& word : words) {
        list.SetColumnTitle(kKeywordColumn, t.keywordTitlePrefix + word);
        LetEventsRun();
        list.SetCellText(row, kResultColumn, t.checking + word);
        const int pages = ReadNumber(options.PageLimitText());
        int outcome = 0;
        for (int page = 1; page <= pages; ++page) {
            LetEventsRun();
            outcome = ReadResultPage(reader, word, page, address, siteTitle,
                                     siteTitle.empty() ? kModeAddress : kModeTitleKeyword);
            if (page == 1)
                Pause(ReadNumber(options.IntervalText()));
            // Paging on after an unreadable page would only report "out of
            // range" for pages that were never seen.
            if (outcome > 0 || outcome == kPageUnreadable)
                break;
            Pause(50);
        }
        if (outcome == 0)
            outcome = -1;
        if (!result.empty())
            result += ' ';
        result += KeywordEntry(options, word, outcome);
        LetEventsRun();
        if (app.stopRequested == 1)
            break;
    }
    list.SetCellText(row, kResultColumn, result);
    return true;
}

} // namespace

void RunQuery(AppState& app, QueryWindow& window) {
    const RunTexts& t = Texts();
    if (window.startButton.Text() != t.idle) {
        window.startButton.SetText(t.stopping);
        app.stopRequested = 1;
        return;
    }
    window.startButton.SetText(t.running);
    app.stopRequested = 0;
    window.list.Focus();
    ReaderContext reader{app, window.options, window.startButton};
    const int rows = window.list.RowCount();
    for (int row = 0; row < rows; ++row) {
        if (!CheckRow(app, window, reader, row))
            continue;
        LetEventsRun();
        if (app.stopRequested == 1)
            break;
    }
    window.startButton.SetText(t.idle);
    window.list.SetColumnTitle(kKeywordColumn, t.keywordTitle);
    window.list.SetColumnTitle(kAddressColumn, t.addressTitle);
    window.dialogs.ShowMessage(t.done);
}

} // namespace lilan
