#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// Settings of the local search engine simulator: markup style, encoding,
// fault modes and the rankings that say which site stands where.
namespace lilan::sim {

enum class MarkupStyle {
    Modern,  // the engine's markup of recent years
    Classic, // div.result.c-container with span.g, the markup the reader was written for
    Table,   // the oldest pages: table.result entries
};

enum class PageEncoding { Utf8, Gbk };

enum class GzipMode {
    Off,
    Always,       // gzip every page, as a client that sends no Accept-Encoding may still get
    WhenAccepted, // gzip only when the request's Accept-Encoding names gzip
};

enum class Fault {
    None,
    Verify,       // the verification page: 200, no entries, no echoed title
    Stall,        // accept the request, never answer
    StallBody,    // send the headers and half the body, then stall
    Reset,        // close the connection without a response
    Status500,    // HTTP 500 with a small body
    Empty,        // HTTP 200 with an empty body
    GzipBomb,     // a small gzip body inflating past 64 MiB
    Huge,         // a 50 MiB page, streamed
    RedirectLoop, // /s answers 302 to /s again, endlessly
    // Faults of the result links (/link); the result pages stay normal.
    BadLocation, // 302 with a garbage Location header
    LinkStall,
    LinkReset,
    Link500,
};

// How an entry lets its site's address be seen.
enum class ShowAs {
    Shown,        // shown address under the title (and a redirect link, mu)
    ShownSlash,   // the same, with a trailing slash added to the shown address
    MuOnly,       // only the mu attribute; the link answers without Location
    RedirectOnly, // no shown address, no mu; the link redirects to the address
    TitleOnly,    // only the title; the link answers without Location
};

struct RankedSite {
    int position = 0;    // 1-based rank across pages (the entry's id)
    std::string address; // the site's real address as configured
    ShowAs how = ShowAs::Shown;
    std::string title; // UTF-8; empty: made from the word and the host
};

struct SimConfig {
    std::string host = "127.0.0.1";
    int port = 0; // 0: an ephemeral port
    MarkupStyle style = MarkupStyle::Modern;
    bool withMu = true;
    PageEncoding encoding = PageEncoding::Utf8;
    GzipMode gzip = GzipMode::Off;
    bool charsetInHeader = true; // false: "text/html" only, the charset is left to the meta tag
    bool linkScript = false;     // /link answers 200 with a script page instead of a Location header
    Fault fault = Fault::None;   // for every request unless a word or request chooses another
    int delayMs = 0;
    int sizeKb = 0;       // pad result pages to this many KiB (0: natural size)
    int pagesPerWord = 5; // pages of 20 results each word has
    int stallMs = 30000;  // longest stall before the connection is dropped

    // Keyed by the word as UTF-8 text, exactly as it arrives decoded.
    std::map<std::string, std::vector<RankedSite>> rankings;
    std::set<std::string> emptyWords;
    std::map<std::string, Fault> wordFaults;
    std::map<std::string, int> wordPages;

    // Called with "METHOD path?query" for each request, from server threads.
    std::function<void(const std::string&)> onRequest;
};

std::optional<Fault> ParseFault(std::string_view name);
const char* FaultName(Fault fault);
std::optional<ShowAs> ParseShowAs(std::string_view name);
std::optional<MarkupStyle> ParseStyle(std::string_view name);

// Rankings text, one entry per line, fields separated by tabs, UTF-8:
//   word  position  address  [how  [title]]
//   !empty  word
//   !fault  word  mode
//   !pages  word  count
// Blank lines and lines starting with "#" are skipped. Adds to config;
// on a bad line returns false with "line N: reason" in error.
bool ParseRankings(std::string_view text, SimConfig& config, std::string& error);
bool LoadRankingsFile(const std::string& path, SimConfig& config, std::string& error);

// The fault for requests about word: a "fault-MODE-" prefix of the word
// itself wins, then the word's "!fault" line, then config.fault.
Fault FaultForWord(const SimConfig& config, std::string_view word);

} // namespace lilan::sim
