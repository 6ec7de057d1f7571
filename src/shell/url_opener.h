#pragma once

#include <string>
#include <string_view>

namespace lilan {

// Hands an address to the desktop (the default browser for http). Replaced
// in tests to see which address would have been opened.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual void Open(std::string_view address) = 0; // code page 936
};

class DesktopUrlOpener final : public UrlOpener {
public:
    void Open(std::string_view address) override;
};

// "http://" + host + "/s?word=" + the address escaped in code page 936.
std::string BrowserSearchAddress(std::string_view searchHost, std::string_view siteAddress);

} // namespace lilan
