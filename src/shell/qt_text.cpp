#include "shell/qt_text.h"

#include "text/code_page.h"

namespace lilan {

QString ToQString(std::string_view cp936) {
    const std::u16string utf16 = GbkToUtf16Text(cp936);
    return QString(reinterpret_cast<const QChar*>(utf16.data()), static_cast<qsizetype>(utf16.size()));
}

std::string FromQString(const QString& text) {
    return Utf16ToGbkText(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
}

bool FitsCodePage936(const QString& text) {
    return ToQString(FromQString(text)) == text;
}

} // namespace lilan
