#pragma once

#include <QString>

#include <string>
#include <string_view>

// The one crossing between program text (code page 936) and Qt's UTF-16.
namespace lilan {

QString ToQString(std::string_view cp936);
std::string FromQString(const QString& text);

// True when every character of text survives the trip to code page 936 and
// back (file names on disk may hold characters the program cannot).
bool FitsCodePage936(const QString& text);

} // namespace lilan
