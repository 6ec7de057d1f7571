#pragma once

#include <string>
#include <string_view>

#include "core/app_state.h"

namespace lilan {

// ReadResultPage's answer when no attempt gave a readable result page (a
// failed fetch, an error or verification page): distinct from 0, "the site
// is not on this page".
constexpr int kPageUnreadable = -2;

enum ReaderMode : int { kModeAddress = 0, kModeTitleInclusion = 1, kModeTitleKeyword = 2 };

struct ReaderContext {
    AppState& app;
    const QueryOptions& options;
    Caption& startButton;
};

// Searches keyword (the site title, else the address, when empty: keyword is
// then set to it) on result page `page` and returns the matching entry's
// position, 1 for a match when inclusion only is ticked, 0 when the site is
// not on the page, or kPageUnreadable.
int ReadResultPage(ReaderContext& context, std::string& keyword, int page, std::string_view address,
                   std::string_view siteTitle, int mode);

// The Location header of one GET of url that does not follow redirects, on a
// client of its own; empty when there is none or the request fails.
std::string ResolveRedirect(std::string_view url);

// "http://" + host + "/s?rn=20&word=" + UTF-8 escaped word + "&pn=" + offset.
std::string SearchUrl(std::string_view host, std::string_view word, int page);

} // namespace lilan
