#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "settings/settings_store.h"
#include "support/fake_events.h"
#include "support/fake_window.h"
#include "support/gbk.h"
#include "support/temp_files.h"

namespace lilan {
namespace {

using test::FakeCheckBox;
using test::Gbk;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

// The settings panel as the window saves and loads it.
struct Panel {
    std::string pages = "1", interval = "3000", proxy;
    std::vector<FakeCheckBox> boxes = {
        {Gbk("选择框只查询是否收录"), false}, {Gbk("选择框只未收录"), true}, {Gbk("选择框锚文本新页面打开"), true},
        {Gbk("选择框使用网址"), false},       {Gbk("选择框显示文字"), true}, {Gbk("选择框代理"), false},
    };
};

void SaveSettings(SettingsStore& store, const Panel& panel) {
    store.SetSection(Gbk("基本配置"));
    store.WriteText(Gbk("查询页数"), panel.pages);
    store.WriteText(Gbk("访问间隔"), panel.interval);
    for (const FakeCheckBox& box : panel.boxes)
        store.WriteCheckBox(box);
    store.WriteText("ip", panel.proxy);
}

void LoadSettings(SettingsStore& store, Panel& panel) {
    store.SetSection(Gbk("基本配置"));
    panel.pages = store.ReadText(Gbk("查询页数"), panel.pages);
    panel.interval = store.ReadText(Gbk("访问间隔"), panel.interval);
    for (FakeCheckBox& box : panel.boxes)
        store.ReadCheckBox(box);
    panel.proxy = store.ReadText("ip", panel.proxy);
}

// Sleeps past the pump's throttle so that the next long search pumps.
void LetThrottleExpire() {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

TEST(SettingsStore, FirstSaveOfAFreshInstallation) {
    TempDir dir;
    const std::string path = dir.File("settings.ini");
    SettingsStore store;
    ASSERT_TRUE(store.OpenFile(path));
    EXPECT_EQ(ReadFileBytes(path), "") << "an absent file is created empty";

    SaveSettings(store, Panel{});
    const std::string expected = Gbk("[基本配置]\r\nip=\r\n选择框代理=假\r\n选择框显示文字=真\r\n选择框使用网址=假\r\n"
                                     "选择框锚文本新页面打开=真\r\n选择框只未收录=真\r\n选择框只查询是否收录=假\r\n"
                                     "访问间隔=3000\r\n查询页数=1");
    EXPECT_EQ(ReadFileBytes(path), expected);
    EXPECT_EQ(store.Text(), expected);
    EXPECT_FALSE(store.HadWriteError());
    store.Close();

    // The next start shows what was saved, whatever the boxes held before.
    SettingsStore again;
    ASSERT_TRUE(again.OpenFile(path));
    Panel loaded;
    loaded.pages = "9";
    for (FakeCheckBox& box : loaded.boxes)
        box.checked = !box.checked;
    LoadSettings(again, loaded);
    EXPECT_EQ(loaded.pages, "1");
    EXPECT_EQ(loaded.interval, "3000");
    EXPECT_EQ(loaded.proxy, "");
    const Panel initial;
    for (std::size_t i = 0; i < initial.boxes.size(); ++i)
        EXPECT_EQ(loaded.boxes[i].checked, initial.boxes[i].checked) << i;
}

TEST(SettingsStore, ExistingFileKeepsItsOrderAndOnlyValuesChange) {
    TempDir dir;
    const std::string path = dir.File("settings.ini");
    const std::string before = Gbk("[其他]\r\nip=9\r\n[基本配置]\r\n查询页数=1\r\n;备注\r\nip=\r\n访问间隔=3000\r\n"
                                   "选择框只查询是否收录=假\r\n选择框只未收录=真\r\n选择框锚文本新页面打开=真\r\n"
                                   "选择框使用网址=假\r\n选择框显示文字=真\r\n选择框代理=假\r\n[末尾]\r\nx=1");
    ASSERT_TRUE(WriteFileBytes(path, before));
    SettingsStore store;
    ASSERT_TRUE(store.OpenFile(path));
    Panel panel;
    panel.pages = "abc";
    panel.interval = "500";
    panel.proxy = "127.0.0.1:8080";
    panel.boxes[0].checked = true;
    panel.boxes[5].checked = true;
    SaveSettings(store, panel);
    const std::string after = Gbk("[其他]\r\nip=9\r\n[基本配置]\r\n查询页数=abc\r\n;备注\r\nip=127.0.0.1:8080\r\n"
                                  "访问间隔=500\r\n选择框只查询是否收录=真\r\n选择框只未收录=真\r\n"
                                  "选择框锚文本新页面打开=真\r\n选择框使用网址=假\r\n选择框显示文字=真\r\n"
                                  "选择框代理=真\r\n[末尾]\r\nx=1");
    EXPECT_EQ(ReadFileBytes(path), after);
    EXPECT_EQ(store.Text(), after);
}

TEST(SettingsStore, WritesEditTheTextInPlace) {
    struct Case {
        const char* name;
        const char* before; // UTF-8, turned into program text
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    };
    const Case cases[] = {
        {"new section in an empty file", "", "S", "k", "1", "[S]\r\nk=1"},
        {"new section after others", "[A]\r\nx=1", "B", "k", "1", "[A]\r\nx=1\r\n[B]\r\nk=1"},
        {"new section after a final line break", "[A]\r\nx=1\r\n", "B", "k", "1", "[A]\r\nx=1\r\n\r\n[B]\r\nk=1"},
        {"header alone at the end", "[S]", "S", "k", "1", "[S]\r\nk=1"},
        {"new key right after the header", "[S]\r\na=1\r\nb=2", "S", "c", "3", "[S]\r\nc=3\r\na=1\r\nb=2"},
        {"value at the end of the file", "[S]\r\nk=abc", "S", "k", "xy", "[S]\r\nk=xy"},
        {"value in the middle", "[S]\r\nk=abc\r\nj=1", "S", "k", "", "[S]\r\nk=\r\nj=1"},
        {"key of a later section", "[A]\r\nx=1\r\n[B]\r\nk=2", "A", "k", "3", "[A]\r\nk=3\r\nx=1\r\n[B]\r\nk=2"},
        {"key of the later section itself", "[A]\r\nx=1\r\n[B]\r\nk=2", "B", "k", "3", "[A]\r\nx=1\r\n[B]\r\nk=3"},
        {"header not at a line start", "x[基本配置]\r\nk=1", "基本配置", "k", "2",
         "x[基本配置]\r\nk=1\r\n[基本配置]\r\nk=2"},
        {"header inside a value", "[A]\r\nv=[基本配置]\r\nk=1", "基本配置", "k", "2",
         "[A]\r\nv=[基本配置]\r\nk=1\r\n[基本配置]\r\nk=2"},
        {"two headers: the first is written", "[S]\r\na=1\r\n[S]\r\nb=2", "S", "b", "3",
         "[S]\r\nb=3\r\na=1\r\n[S]\r\nb=2"},
        {"line breaks stored as marks", "[S]\r\nk=1", "S", "k", "a\r\nb\r\n", "[S]\r\nk=a┊*┊b┊*┊"},
        {"a bracketed text over two lines is no header", "[S]\r\n[x\r\ny]\r\nk=1", "S", "k", "2",
         "[S]\r\n[x\r\ny]\r\nk=2"},
        {"key prefix is another key", "[S]\r\nipx=1", "S", "ip", "2", "[S]\r\nip=2\r\nipx=1"},
        {"first line is not a key line", "k=1\r\n[S]", "S", "k", "2", "k=1\r\n[S]\r\nk=2"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir.File("s.ini");
        ASSERT_TRUE(WriteFileBytes(path, Gbk(c.before)));
        SettingsStore store;
        ASSERT_TRUE(store.OpenFile(path)) << c.name;
        store.SetSection(Gbk(c.section));
        EXPECT_TRUE(store.WriteText(Gbk(c.key), Gbk(c.value))) << c.name;
        EXPECT_EQ(test::Utf8(store.Text()), c.after) << c.name;
        EXPECT_EQ(ReadFileBytes(path), store.Text()) << c.name;
        EXPECT_EQ(store.ReadText(Gbk(c.key), "default"), Gbk(c.value)) << c.name;
    }
}

TEST(SettingsStore, ReadsFindOnlyKeysOfTheFirstLineStartHeader) {
    struct Case {
        const char* name;
        const char* file;
        const char* section;
        const char* key;
        const char* fallback;
        const char* expected;
    };
    const Case cases[] = {
        {"plain", "[S]\r\nk=v", "S", "k", "d", "v"},
        {"empty file", "", "S", "k", "d", "d"},
        {"missing section", "[A]\r\nk=v", "S", "k", "d", "d"},
        {"missing key", "[S]\r\nj=v", "S", "k", "d", "d"},
        {"empty value is no default", "[S]\r\nk=", "S", "k", "d", ""},
        {"empty value before another line", "[S]\r\nk=\r\nj=1", "S", "k", "d", ""},
        {"key only in a later section", "[A]\r\nx=1\r\n[B]\r\nk=2", "A", "k", "d", "d"},
        {"header not at a line start", "x[S]\r\nk=1", "S", "k", "d", "d"},
        {"second header of the section is never read", "[S]\r\na=1\r\n[S]\r\nk=2", "S", "k", "d", "d"},
        {"value runs to the line end", "[S]\r\nk=a=b c\r\nj=1", "S", "k", "d", "a=b c"},
        {"marks become line breaks", "[S]\r\nk=a┊*┊b", "S", "k", "d", "a\r\nb"},
        {"default with a line break", "[S]", "S", "k", "x\r\ny", "x\r\ny"},
        {"a bracketed text over two lines is no header", "[S]\r\n[x\r\ny]\r\nk=1", "S", "k", "d", "1"},
        {"lone LF does not end a line", "[S]\nk=1", "S", "k", "d", "d"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir.File("s.ini");
        ASSERT_TRUE(WriteFileBytes(path, Gbk(c.file)));
        SettingsStore store;
        store.OpenFile(path);
        store.SetSection(Gbk(c.section));
        EXPECT_EQ(test::Utf8(store.ReadText(Gbk(c.key), Gbk(c.fallback))), c.expected) << c.name;
    }
}

TEST(SettingsStore, BooleansAndCheckBoxes) {
    TempDir dir;
    const std::string path = dir.File("s.ini");
    ASSERT_TRUE(WriteFileBytes(path, Gbk("[S]\r\n甲=真\r\n乙=假\r\n丙=1\r\n丁=")));
    SettingsStore store;
    ASSERT_TRUE(store.OpenFile(path));
    store.SetSection("S");
    struct Case {
        const char* key;
        bool fallback, expected;
    };
    for (const Case& c : {Case{"甲", false, true}, Case{"乙", true, false}, Case{"丙", true, false},
                          Case{"丁", true, false}, Case{"戊", true, true}, Case{"戊", false, false}}) {
        EXPECT_EQ(store.ReadBool(Gbk(c.key), c.fallback), c.expected) << c.key;
        FakeCheckBox box(Gbk(c.key), c.fallback);
        EXPECT_EQ(store.ReadCheckBox(box), c.expected) << c.key;
        EXPECT_EQ(box.checked, c.expected) << c.key;
    }
    EXPECT_TRUE(store.WriteBool(Gbk("丙"), true));
    EXPECT_TRUE(store.WriteCheckBox(FakeCheckBox(Gbk("丁"), false)));
    EXPECT_EQ(store.Text(), Gbk("[S]\r\n甲=真\r\n乙=假\r\n丙=真\r\n丁=假"));
}

TEST(SettingsStore, FindSectionBoundary) {
    TempDir dir;
    const std::string path = dir.File("s.ini");
    const std::string text = "[A]\r\nk=1\r\n[x\r\ny]\r\n[B]\r\nj=2";
    ASSERT_TRUE(WriteFileBytes(path, text));
    SettingsStore store;
    ASSERT_TRUE(store.OpenFile(path));
    const Pos headerB = static_cast<Pos>(text.find("[B]")) + 1;
    const Pos keyJ = static_cast<Pos>(text.find("\r\nj=")) + 1;
    const Pos keyK = static_cast<Pos>(text.find("\r\nk=")) + 1;
    EXPECT_EQ(store.FindSectionBoundary(4, keyJ), headerB);
    EXPECT_EQ(store.FindSectionBoundary(4, keyK), -1);
    EXPECT_EQ(store.FindSectionBoundary(4, headerB - 2), -1) << "the two-line bracket is no header";
}

// Files with this many "x[S]" texts make a search take more steps than the
// pump's throttle lets through without pumping.
std::string FalseHeaders(int count) {
    std::string text = "[A]\r\n";
    for (int i = 0; i < count; ++i)
        text += "v" + std::to_string(i) + "=x[S]\r\n";
    return text;
}

TEST(SettingsStore, WritesArrivingDuringASearchWaitInTheQueue) {
    TempDir dir;
    const std::string path = dir.File("s.ini");
    ASSERT_TRUE(WriteFileBytes(path, FalseHeaders(600) + "[S]\r\na=0"));
    SettingsStore store;
    ASSERT_TRUE(store.OpenFile(path));
    store.SetSection("S");

    test::CountingEventPump pump;
    std::vector<bool> innerResults;
    pump.onPump = [&](int) {
        if (innerResults.empty()) {
            store.SetSection("T"); // the queued edit keeps the section it was given
            innerResults.push_back(store.WriteText("b", "2"));
            innerResults.push_back(store.WriteText("c", "3"));
        }
    };
    LetThrottleExpire();
    EXPECT_TRUE(store.WriteText("a", "1"));
    ASSERT_EQ(innerResults, (std::vector<bool>{false, false})) << "queued behind the write in progress";
    EXPECT_FALSE(store.HadWriteError());
    const std::string tail = "\r\n[S]\r\na=1\r\n[T]\r\nc=3\r\nb=2";
    ASSERT_GT(store.Text().size(), tail.size());
    EXPECT_EQ(store.Text().substr(store.Text().size() - tail.size()), tail) << "run after it, in the order they came";
    EXPECT_EQ(ReadFileBytes(path), store.Text());
}

TEST(SettingsStore, WarnsWhenTheSectionCannotBeCreated) {
    // A handler let through by the searches reloads the file each time, so
    // the appended header never stays: the write gives up with the boxes.
    TempDir dir;
    const std::string path = dir.File("s.ini");
    const std::string file = FalseHeaders(600);
    ASSERT_TRUE(WriteFileBytes(path, file));
    test::FakeDialogs dialogs;
    SettingsStore store(&dialogs);
    ASSERT_TRUE(store.OpenFile(path));
    store.SetSection("S");
    test::CountingEventPump pump;
    pump.onPump = [&](int) {
        store.LoadFile(path);
        LetThrottleExpire();
    };
    LetThrottleExpire();
    EXPECT_FALSE(store.WriteText("k", "1"));
    EXPECT_TRUE(store.HadWriteError());
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].title, Gbk("栎澜："));
    EXPECT_EQ(dialogs.messages[0].text, Gbk("配置模块出现意外，可能导致无法正常保存！详情请咨询栎澜。"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(dialogs.messages[1].title, "");
    EXPECT_EQ(dialogs.messages[1].text.substr(0, file.size()), file) << "the whole settings text";
    pump.onPump = nullptr;
    EXPECT_EQ(ReadFileBytes(path), store.Text()) << "the disk still follows the buffer";
    store.ClearWriteError();
    EXPECT_TRUE(store.WriteText("k", "1"));
    EXPECT_FALSE(store.HadWriteError());
}

TEST(SettingsStore, ASecondCopyOpensReadOnly) {
    TempDir dir;
    const std::string path = dir.File("s.ini");
    ASSERT_TRUE(WriteFileBytes(path, "[S]\r\nk=1"));
    SettingsStore first;
    ASSERT_TRUE(first.OpenFile(path));
    SettingsStore second;
    EXPECT_FALSE(second.OpenFile(path));
    second.SetSection("S");
    EXPECT_EQ(second.ReadText("k", "d"), "1");
    EXPECT_FALSE(second.WriteText("k", "2"));
    EXPECT_TRUE(second.HadWriteError());
    EXPECT_EQ(second.Text(), "[S]\r\nk=2") << "the buffer takes the write";
    EXPECT_EQ(ReadFileBytes(path), "[S]\r\nk=1") << "the disk does not";

    first.SetSection("S");
    EXPECT_TRUE(first.WriteText("k", "3"));
    first.Close();
    SettingsStore third;
    EXPECT_TRUE(third.OpenFile(path)) << "the lock goes with Close";
    third.SetSection("S");
    EXPECT_EQ(third.ReadText("k", "d"), "3");
}

TEST(SettingsStore, UnwritableFolderKeepsTheFileAndReportsWrites) {
    TempDir dir;
    const std::string folder = dir.File("installed");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string path = folder + "/s.ini";
    ASSERT_TRUE(WriteFileBytes(path, "[S]\r\nk=1"));
    if (!test::MakeUnwritable(folder))
        GTEST_SKIP() << "cannot make a folder unwritable here";
    SettingsStore store;
    EXPECT_FALSE(store.OpenFile(path));
    store.SetSection("S");
    EXPECT_EQ(store.ReadText("k", "d"), "1");
    EXPECT_FALSE(store.WriteText("k", "2"));
    EXPECT_TRUE(store.HadWriteError());
    EXPECT_EQ(ReadFileBytes(path), "[S]\r\nk=1");
}

TEST(SettingsStore, MissingOrVanishedFolderGivesDefaultsAndReportedWrites) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.File("plain"), "x"));
    {
        SettingsStore store;
        EXPECT_FALSE(store.OpenFile(dir.File("plain/s.ini")));
        EXPECT_FALSE(store.OpenFile(""));
        store.SetSection("S");
        EXPECT_EQ(store.ReadText("k", "d"), "d");
        EXPECT_FALSE(store.WriteText("k", "v"));
        EXPECT_TRUE(store.HadWriteError());
        EXPECT_EQ(store.Text(), "[S]\r\nk=v");
    }
    {
        const std::string folder = dir.File("gone");
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
        SettingsStore store;
        ASSERT_TRUE(store.OpenFile(folder + "/s.ini"));
        store.SetSection("S");
        EXPECT_TRUE(store.WriteText("k", "1"));
        std::filesystem::remove_all(folder);
        EXPECT_FALSE(store.WriteText("k", "2"));
        EXPECT_TRUE(store.HadWriteError());
        store.ClearWriteError();
        EXPECT_FALSE(store.HadWriteError());
    }
}

TEST(SettingsStore, UnreadableFileIsNeverOverwritten) {
    TempDir dir;
    const std::string path = dir.File("s.ini");
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0); // a folder in the file's place
    SettingsStore store;
    EXPECT_FALSE(store.OpenFile(path));
    store.SetSection("S");
    EXPECT_FALSE(store.WriteText("k", "1"));
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST(SettingsStore, WriteKeepsALinkAndTheFileMode) {
    TempDir dir;
    const std::string real = dir.File("real.ini"), link = dir.File("s.ini");
    ASSERT_TRUE(WriteFileBytes(real, "[S]\r\nk=1"));
    ASSERT_EQ(chmod(real.c_str(), 0600), 0);
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    SettingsStore store;
    ASSERT_TRUE(store.OpenFile(link));
    store.SetSection("S");
    EXPECT_TRUE(store.WriteText("k", "2"));
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(ReadFileBytes(real), "[S]\r\nk=2");
}

TEST(SettingsStore, HugeFileAndHeaderTextsInsideValues) {
    TempDir dir;
    const std::string path = dir.File("s.ini");
    std::string big = Gbk("[大]");
    const std::string line = "\r\n" + Gbk("键") + "=" + std::string(90, 'x') + Gbk("[基本配置]");
    while (big.size() < 10u * 1024 * 1024)
        big += line;
    big += Gbk("\r\n[基本配置]\r\nip=[基本配置]");
    ASSERT_TRUE(WriteFileBytes(path, big));
    SettingsStore store;
    ASSERT_TRUE(store.OpenFile(path));
    store.SetSection(Gbk("基本配置"));
    EXPECT_EQ(store.ReadText("ip", "d"), Gbk("[基本配置]"));
    const std::string value = Gbk("a\r\n[基本配置]\r\nip=b");
    EXPECT_TRUE(store.WriteText("ip", value));
    EXPECT_EQ(store.ReadText("ip", "d"), value) << "a value cannot fake a header";
    const auto onDisk = ReadFileBytes(path);
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(onDisk->size(), store.Text().size());
    EXPECT_TRUE(*onDisk == store.Text());
    EXPECT_EQ(onDisk->substr(0, big.size() - 12), big.substr(0, big.size() - 12)) << "nothing else changed";
}

} // namespace
} // namespace lilan
