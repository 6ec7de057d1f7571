#include "shell/url_opener.h"

#include <QDesktopServices>
#include <QUrl>

#include "shell/qt_text.h"
#include "text/url_encode.h"

namespace lilan {

void DesktopUrlOpener::Open(std::string_view address) {
    if (address.empty())
        return; // an unconfigured link leads nowhere
    // Tolerant mode keeps the escapes as they are: the search word is meant
    // to travel as code page 936 bytes.
    QDesktopServices::openUrl(QUrl(ToQString(address), QUrl::TolerantMode));
}

std::string BrowserSearchAddress(std::string_view searchHost, std::string_view siteAddress) {
    std::string address = "http://";
    address += searchHost;
    address += "/s?word=";
    address += UrlEncode(siteAddress, false, false, false);
    return address;
}

} // namespace lilan
