#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "settings/settings_path.h"
#include "support/gbk.h"
#include "support/temp_files.h"

namespace lilan {
namespace {

using test::Gbk;

// Sets (or with nullopt unsets) an environment value for the test's span.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

bool IsFolder(const std::string& path) {
    return std::filesystem::is_directory(path);
}

TEST(SettingsPath, BesideAWritableExecutable) {
    test::TempDir dir;
    const std::string product = Gbk("栎澜排名通");
    EXPECT_EQ(SettingsPath(dir.Path(), product), Gbk(dir.Path() + "/栎澜排名通.ini"));
    EXPECT_EQ(SettingsPath(dir.Path() + "//", product), Gbk(dir.Path() + "/栎澜排名通.ini"));
    const std::string chinese = dir.File("工具");
    ASSERT_EQ(mkdir(chinese.c_str(), 0755), 0);
    EXPECT_EQ(SettingsPath(chinese, product), Gbk(chinese + "/栎澜排名通.ini")) << "returned as program text";
}

TEST(SettingsPath, ConfigFolderWhenTheExecutableFolderIsNoPlaceForIt) {
    test::TempDir dir;
    const std::string product = Gbk("栎澜排名通");
    const std::string config = dir.File("config");
    const std::string expected = Gbk(config + "/栎澜排名通/栎澜排名通.ini");
    ScopedEnv xdg("XDG_CONFIG_HOME", config);

    EXPECT_EQ(SettingsPath(dir.File("missing"), product), expected);
    EXPECT_TRUE(IsFolder(config + "/栎澜排名通")) << "the folder is created";

    // Not representable in code page 936: the store could not open it.
    const std::string foreign = dir.File("\xED\x95\x9C"); // a Hangul syllable
    ASSERT_EQ(mkdir(foreign.c_str(), 0755), 0);
    EXPECT_EQ(SettingsPath(foreign, product), expected);

    const std::string installed = dir.File("installed");
    ASSERT_EQ(mkdir(installed.c_str(), 0755), 0);
    if (test::MakeUnwritable(installed)) {
        EXPECT_EQ(SettingsPath(installed, product), expected);
    }
}

TEST(SettingsPath, HomeConfigWithoutAnAbsoluteXdgValue) {
    test::TempDir dir;
    const std::string product = Gbk("栎澜排名通");
    ScopedEnv home("HOME", dir.Path());
    const std::string expected = Gbk(dir.Path() + "/.config/栎澜排名通/栎澜排名通.ini");
    for (const std::optional<std::string>& xdg : {std::optional<std::string>(), std::optional<std::string>(""),
                                                  std::optional<std::string>("relative/config")}) {
        ScopedEnv value("XDG_CONFIG_HOME", xdg);
        EXPECT_EQ(SettingsPath(dir.File("missing"), product), expected) << xdg.value_or("(unset)");
    }
    EXPECT_TRUE(IsFolder(dir.Path() + "/.config/栎澜排名通"));
}

} // namespace
} // namespace lilan
