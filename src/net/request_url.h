#pragma once

#include <string>
#include <string_view>

// Address handling shared by the request object and the page fetch.
namespace lilan {

// True when url begins with "http://" or "https://" in any letter case.
bool HasHttpScheme(std::string_view url);

// "http://" in front unless the address has an http or https scheme.
std::string WithHttpScheme(std::string_view url);

// WithHttpScheme, then cut at the first "#". Empty stays empty.
std::string NormalizeRequestUrl(std::string_view url);

// The address as it goes on the wire: program text turned into UTF-8, and
// bytes that may not stand in a URL (non-ASCII, blanks, controls) escaped.
std::string WireUrl(std::string_view url);

// Redirects stay on http and https, and never lead from https to http.
bool RedirectAllowed(std::string_view fromUrl, std::string_view toUrl);

} // namespace lilan
