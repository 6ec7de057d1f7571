#pragma once

#include <string>
#include <string_view>

namespace lilan {

// Where the settings live, as program text (code page 936), ready for
// SettingsStore::OpenFile: beside the executable (executableDir, UTF-8) as
// productName + ".ini", so a portable copy keeps its settings with it. When
// that folder is not writable, or its name cannot be written in code page
// 936, the user's configuration folder ($XDG_CONFIG_HOME, else ~/.config)
// + "/" + productName + "/" + productName + ".ini"; that folder is created.
std::string SettingsPath(const std::string& executableDir, std::string_view productName);

} // namespace lilan
