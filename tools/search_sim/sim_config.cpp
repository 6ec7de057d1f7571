#include "sim_config.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

namespace lilan::sim {
namespace {

struct FaultNameEntry {
    const char* name;
    Fault fault;
};

// "stall-body" comes before "stall" so that the word prefix "fault-stall-body-" finds the longer name.
constexpr FaultNameEntry kFaultNames[] = {
    {"redirect-loop", Fault::RedirectLoop},
    {"bad-location", Fault::BadLocation},
    {"stall-body", Fault::StallBody},
    {"link-stall", Fault::LinkStall},
    {"link-reset", Fault::LinkReset},
    {"gzip-bomb", Fault::GzipBomb},
    {"link-500", Fault::Link500},
    {"verify", Fault::Verify},
    {"stall", Fault::Stall},
    {"reset", Fault::Reset},
    {"empty", Fault::Empty},
    {"huge", Fault::Huge},
    {"none", Fault::None},
    {"500", Fault::Status500},
};

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (true) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

std::optional<int> ParsePositive(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1)
        return std::nullopt;
    return value;
}

std::string LineError(size_t lineNo, const std::string& reason) {
    return "line " + std::to_string(lineNo) + ": " + reason;
}

} // namespace

std::optional<Fault> ParseFault(std::string_view name) {
    for (const auto& entry : kFaultNames) {
        if (name == entry.name)
            return entry.fault;
    }
    return std::nullopt;
}

const char* FaultName(Fault fault) {
    for (const auto& entry : kFaultNames) {
        if (entry.fault == fault)
            return entry.name;
    }
    return "none";
}

std::optional<ShowAs> ParseShowAs(std::string_view name) {
    if (name.empty() || name == "shown")
        return ShowAs::Shown;
    if (name == "slash")
        return ShowAs::ShownSlash;
    if (name == "mu")
        return ShowAs::MuOnly;
    if (name == "redirect")
        return ShowAs::RedirectOnly;
    if (name == "title")
        return ShowAs::TitleOnly;
    return std::nullopt;
}

std::optional<MarkupStyle> ParseStyle(std::string_view name) {
    if (name == "modern")
        return MarkupStyle::Modern;
    if (name == "classic")
        return MarkupStyle::Classic;
    if (name == "table")
        return MarkupStyle::Table;
    return std::nullopt;
}

bool ParseRankings(std::string_view text, SimConfig& config, std::string& error) {
    size_t lineNo = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (lineNo == 1 && line.starts_with("\xEF\xBB\xBF"))
            line.remove_prefix(3);
        if (line.find_first_not_of(" \t") == std::string_view::npos || line.front() == '#')
            continue;

        const std::vector<std::string_view> f = SplitTabs(line);
        const auto needFields = [&](size_t low, size_t high, const char* form) {
            if (f.size() >= low && f.size() <= high)
                return true;
            error = LineError(lineNo, std::string("expected ") + form);
            return false;
        };
        if (f[0].empty()) {
            error = LineError(lineNo, "empty word");
            return false;
        }
        if (f[0] == "!empty") {
            if (!needFields(2, 2, "!empty<TAB>word"))
                return false;
            config.emptyWords.insert(std::string(f[1]));
        } else if (f[0] == "!fault") {
            if (!needFields(3, 3, "!fault<TAB>word<TAB>mode"))
                return false;
            const auto fault = ParseFault(f[2]);
            if (!fault) {
                error = LineError(lineNo, "unknown fault mode \"" + std::string(f[2]) + "\"");
                return false;
            }
            config.wordFaults[std::string(f[1])] = *fault;
        } else if (f[0] == "!pages") {
            if (!needFields(3, 3, "!pages<TAB>word<TAB>count"))
                return false;
            const auto pages = ParsePositive(f[2]);
            if (!pages) {
                error = LineError(lineNo, "page count must be a positive number");
                return false;
            }
            config.wordPages[std::string(f[1])] = *pages;
        } else if (f[0].front() == '!') {
            error = LineError(lineNo, "unknown directive \"" + std::string(f[0]) + "\"");
            return false;
        } else {
            if (!needFields(3, 5, "word<TAB>position<TAB>address[<TAB>how[<TAB>title]]"))
                return false;
            RankedSite site;
            const auto position = ParsePositive(f[1]);
            if (!position) {
                error = LineError(lineNo, "position must be a positive number");
                return false;
            }
            site.position = *position;
            site.address = std::string(f[2]);
            if (site.address.empty() || site.address.find_first_of(" <>\"") != std::string::npos) {
                error = LineError(lineNo, "address must be non-empty, without blanks, quotes or angle brackets");
                return false;
            }
            const auto how = ParseShowAs(f.size() > 3 ? f[3] : std::string_view());
            if (!how) {
                error = LineError(lineNo, "how must be shown, slash, mu, redirect or title");
                return false;
            }
            site.how = *how;
            if (f.size() > 4)
                site.title = std::string(f[4]);
            auto& sites = config.rankings[std::string(f[0])];
            const bool taken = std::any_of(sites.begin(), sites.end(),
                                           [&](const RankedSite& other) { return other.position == site.position; });
            if (taken) {
                error = LineError(lineNo, "position " + std::to_string(site.position) + " of this word given twice");
                return false;
            }
            sites.push_back(std::move(site));
        }
    }
    return true;
}

bool LoadRankingsFile(const std::string& path, SimConfig& config, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream data;
    data << in.rdbuf();
    if (!ParseRankings(data.str(), config, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

Fault FaultForWord(const SimConfig& config, std::string_view word) {
    constexpr std::string_view prefix = "fault-";
    if (word.starts_with(prefix)) {
        const std::string_view rest = word.substr(prefix.size());
        for (const auto& entry : kFaultNames) {
            const std::string_view name = entry.name;
            if (rest.starts_with(name) && (rest.size() == name.size() || rest[name.size()] == '-'))
                return entry.fault;
        }
    }
    if (const auto it = config.wordFaults.find(std::string(word)); it != config.wordFaults.end())
        return it->second;
    return config.fault;
}

} // namespace lilan::sim
