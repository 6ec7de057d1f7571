#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim_config.h"

// The simulator's pages: result pages in three markup styles, the pages of
// the fault modes and the result-link answers. Everything is a pure function
// of its arguments, so the same request always gives the same bytes.
namespace lilan::sim {

struct PageRequest {
    std::string word;                        // UTF-8, percent-decoding already undone
    int pn = 0;                              // offset of the first result
    int rn = 20;                             // results a page
    std::string origin = "http://127.0.0.1"; // scheme and host:port that result links point to
    MarkupStyle style = MarkupStyle::Modern;
    bool withMu = true;
    PageEncoding encoding = PageEncoding::Utf8;
    size_t padTo = 0; // total size to pad the page to, in bytes of its encoding (0: natural size)
};

// One result entry as the simulator decides it, before markup.
struct SimEntry {
    int id = 0;
    std::string address; // absolute real address (Location of its link, mu)
    ShowAs how = ShowAs::Shown;
    std::string title; // UTF-8 plain text
};

// The entries of one page: ids pn + 1 ... in order; none beyond the word's page
// limit, none for an empty word or one of config.emptyWords.
std::vector<SimEntry> PageEntries(const SimConfig& config, std::string_view word, int pn, int rn);

// The entry behind result position id for word (configured or filler).
SimEntry EntryAt(const SimConfig& config, std::string_view word, int id);

// Result link tokens carry the word and the position, so /link needs no state.
std::string MakeLinkToken(std::string_view word, int id);
struct LinkTarget {
    std::string word;
    int id = 0;
};
std::optional<LinkTarget> ReadLinkToken(std::string_view token);

// A page body of known size, produced piece by piece so that very large
// pages never sit in memory whole.
class PageStream {
public:
    size_t Size() const { return size_; }
    // The next bytes, at most max; empty at the end.
    std::string Next(size_t max);

private:
    friend PageStream MakeResultPageStream(const SimConfig&, const PageRequest&);
    struct Piece {
        std::string text;
        size_t padding = 0; // when non-zero, a padding run of that many bytes instead of text
    };
    std::vector<Piece> pieces_;
    PageEncoding encoding_ = PageEncoding::Utf8;
    size_t size_ = 0;
    size_t piece_ = 0;
    size_t offset_ = 0;    // within the current text piece, or bytes of padding produced
    std::string pending_;  // padding bytes made but not yet handed out
    uint32_t blockNo_ = 0; // next padding block
};

PageStream MakeResultPageStream(const SimConfig& config, const PageRequest& request);
std::string ResultPage(const SimConfig& config, const PageRequest& request);

// The verification page: HTTP 200, no entries, no echoed title.
std::string VerifyPage(PageEncoding encoding);
// The page the engine answers a result link with when it sends no Location.
std::string ScriptRedirectPage(std::string_view address);
// A link answer that gives nothing away: no Location, no address.
std::string NoRedirectPage();
std::string SmallErrorPage(int status, std::string_view reason);

std::string ContentType(PageEncoding encoding, bool charsetInHeader);

std::string Gzip(std::string_view bytes);
// A gzip body (a few dozen KiB) that inflates to inflatedBytes of markup.
std::string GzipBomb(size_t inflatedBytes);

std::string HtmlEscape(std::string_view text);

} // namespace lilan::sim
