#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "settings/settings_store.h"
#include "support/gbk.h"
#include "support/temp_files.h"
#include "text/text_basics.h"

namespace lilan {
namespace {

using test::Gbk;

// Never returns: writes 甲 then 乙 with the number after 乙, round after
// round, until killed. So 甲 is 乙 or, when a kill fell between the two, 乙 + 1.
[[noreturn]] void WriteForever(const std::string& path) {
    SettingsStore store;
    if (!store.OpenFile(path))
        _exit(3);
    store.SetSection(Gbk("基本配置"));
    for (;;) {
        const std::string next = std::to_string(ToInteger(store.ReadText(Gbk("乙"), "0")) + 1);
        store.WriteText(Gbk("甲"), next);
        store.WriteText(Gbk("乙"), next);
    }
}

TEST(SettingsStoreCrash, KilledWriterLeavesTheOldOrTheNewFile) {
    test::TempDir dir;
    const std::string path = dir.File("s.ini");
    const std::string filler(256 * 1024, 'x'); // makes each save long enough to be cut
    {
        SettingsStore store;
        ASSERT_TRUE(store.OpenFile(path));
        store.SetSection(Gbk("基本配置"));
        ASSERT_TRUE(store.WriteText(Gbk("尾"), Gbk("完"))); // first written, so it stays the last line
        ASSERT_TRUE(store.WriteText(Gbk("填充"), filler));
        ASSERT_TRUE(store.WriteText(Gbk("乙"), "0"));
        ASSERT_TRUE(store.WriteText(Gbk("甲"), "0"));
    }
    const std::string head = Gbk("[基本配置]\r\n甲=");
    const std::string tail = Gbk("\r\n填充=") + filler + Gbk("\r\n尾=完");

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayMs(2, 40);
    long long last = 0;
    for (int round = 0; round < 40; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            WriteForever(path);
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer could not open the file";

        const auto bytes = test::ReadFileBytes(path);
        ASSERT_TRUE(bytes);
        ASSERT_EQ(bytes->substr(0, head.size()), head) << "round " << round;
        ASSERT_GT(bytes->size(), tail.size());
        ASSERT_EQ(bytes->substr(bytes->size() - tail.size()), tail) << "round " << round;

        SettingsStore reader;
        ASSERT_TRUE(reader.OpenFile(path));
        reader.SetSection(Gbk("基本配置"));
        const long long first = ToInteger(reader.ReadText(Gbk("甲"), "-1"));
        const long long second = ToInteger(reader.ReadText(Gbk("乙"), "-1"));
        ASSERT_TRUE(first == second || first == second + 1) << first << " " << second;
        ASSERT_GE(first, last) << "a saved value went back";
        last = first;
    }
    EXPECT_GT(last, 0) << "the writer never got a save done";

    // A temporary file left by a kill is taken over by the next save.
    SettingsStore store;
    ASSERT_TRUE(store.OpenFile(path));
    store.SetSection(Gbk("基本配置"));
    EXPECT_TRUE(store.WriteText(Gbk("甲"), "0"));
    EXPECT_FALSE(test::ReadFileBytes(path + ".tmp"));
}

} // namespace
} // namespace lilan
