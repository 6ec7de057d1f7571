#include "settings/settings_path.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "text/code_page.h"

namespace lilan {
namespace {

// The store takes program text: a folder whose name does not survive the
// trip through code page 936 could not be opened again.
bool FitsProgramText(const std::string& utf8) {
    return GbkToUtf8Text(Utf8ToGbkText(utf8)) == utf8;
}

bool UsableFolder(const std::string& dir) {
    return !dir.empty() && access(dir.c_str(), W_OK | X_OK) == 0 && FitsProgramText(dir);
}

std::string ConfigHome() {
    // Relative values are to be ignored.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.config";
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir && entry->pw_dir[0] == '/')
        return std::string(entry->pw_dir) + "/.config";
    return {};
}

} // namespace

std::string SettingsPath(const std::string& executableDir, std::string_view productName) {
    const std::string product = GbkToUtf8Text(productName);
    std::string dir = executableDir;
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    const std::string beside = (dir == "/" ? "" : dir) + "/" + product + ".ini";
    if (UsableFolder(dir))
        return Utf8ToGbkText(beside);
    const std::string config = ConfigHome();
    if (config.empty() || !FitsProgramText(config))
        return Utf8ToGbkText(beside); // nowhere better: the store then reports its writes as failed
    const std::string folder = config + "/" + product;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return Utf8ToGbkText(folder + "/" + product + ".ini");
}

} // namespace lilan
