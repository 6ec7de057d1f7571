#include "lists/navigation_page.h"

#include <vector>

#include "core/event_pump.h"
#include "lists/list_file.h"
#include "text/code_page.h"
#include "text/text_basics.h"
#include "text/text_helpers.h"

namespace lilan {
namespace {

const std::string& PageTemplate() {
    static const std::string page =
        Cp936("<html>\r\n<head>\r\n"
              "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" />\r\n"
              "<title>#标题#</title>\r\n</head>\r\n<body>\r\n#正文#\r\n</body>\r\n</html>");
    return page;
}

std::string RowLine(const ResultsList& list, int row, const QueryOptions& options) {
    const std::string address = list.CellText(row, kAddressColumn);
    std::string keywords = list.CellText(row, kKeywordColumn);
    if (keywords.empty() || options.AlwaysAddress())
        keywords = address;
    const std::vector<std::string> anchors = SplitText(keywords, " ");
    std::vector<std::string> entries = SplitText(list.CellText(row, kResultColumn), " ");
    entries.resize(anchors.size()); // the n-th entry belongs to the n-th keyword

    std::string line;
    for (std::size_t i = 0; i < anchors.size(); ++i) {
        if (options.UnrankedOnly() && !IsUnrankedEntry(entries[i]))
            continue;
        if (!line.empty())
            line += "&nbsp;&nbsp;";
        const std::string target = options.NewWindow() ? " target=''_blank''" : "";
        line += UnescapeQuotes("<a href=''" + address + "''" + target + ">" + anchors[i] + "</a>");
    }
    return "<ul>" + line + "</ul>\r\n";
}

} // namespace

std::string BuildNavigationPage(const ResultsList& list, const QueryOptions& options, std::string_view title) {
    static const std::string titleMark = Cp936("#标题#");
    static const std::string bodyMark = Cp936("#正文#");
    std::string body;
    for (int row = 0; row < list.RowCount(); ++row) {
        LetEventsRunSometimes();
        body += RowLine(list, row, options);
    }
    return ReplaceAllText(ReplaceAllText(PageTemplate(), titleMark, title), bodyMark, body);
}

std::string PageTitleFromPath(std::string_view path) {
    // Searched as text: "\" can be the second byte of a double-byte character.
    const Pos slash = std::max(FindTextBackward(path, "/"), FindTextBackward(path, "\\"));
    std::string_view name = slash > 0 ? path.substr(static_cast<std::size_t>(slash)) : path;
    const Pos dot = FindTextBackward(name, ".");
    return std::string(dot > 0 ? name.substr(0, static_cast<std::size_t>(dot - 1)) : name);
}

} // namespace lilan
