#pragma once

#include <string>
#include <string_view>

#include "text/text_basics.h"

namespace lilan {

// Lower-case host of a site address as users type it (with or without a
// scheme, path or port).
std::string HostOfAddress(std::string_view address, bool keepPort = false);

// Same address once both are lower-cased and stripped of every "http://",
// "https://" and "//". A trailing "/" still counts.
bool SameAddress(std::string_view a, std::string_view b);

// Text between the first head at or after start and the first tail after it;
// "#引号" in a marker stands for a double quote.
std::string TextBetweenFirst(std::string_view text, std::string_view head, std::string_view tail, Pos start = 1,
                             bool ignoreCase = false);

} // namespace lilan
