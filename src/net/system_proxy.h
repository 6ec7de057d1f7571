#pragma once

#include <string>
#include <string_view>

namespace lilan {

// The user's proxy for url, from the proxy environment variables (either
// case): https_proxy for https addresses, http_proxy for the others, all_proxy
// when that one is unset; empty when none is set or no_proxy names the host.
std::string SystemProxyFor(std::string_view url);

} // namespace lilan
