// The settings store on an arbitrary settings file: the reads and writes of
// the main window's start and close, plus one section named by the input.
// The first byte holds the lengths of that section's name (low four bits)
// and of the value written (high four bits), which follow; the rest is the
// file.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "fuzz_input.h"
#include "settings/settings_store.h"
#include "text/code_page.h"

using lilan::fuzz::Require;

namespace {

// One folder for the whole run, on tmpfs where there is one: the store syncs
// every write, which on a disk would slow each input down a hundredfold.
class ScratchFolder {
public:
    ScratchFolder() {
        std::error_code error;
        std::string base = std::filesystem::is_directory("/dev/shm", error) && access("/dev/shm", W_OK) == 0
                               ? "/dev/shm"
                               : std::filesystem::temp_directory_path(error).string();
        std::string pattern = base + "/lilan-fuzz-settings-XXXXXX";
        Require(mkdtemp(pattern.data()) != nullptr);
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    std::string File() const { return path_ + "/settings.ini"; }

private:
    std::string path_;
};

void WriteWholeFile(const std::string& path, std::string_view bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    Require(fd >= 0);
    Require(write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()));
    close(fd);
}

std::string ReadWholeFile(const std::string& path) {
    std::string bytes;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    Require(fd >= 0);
    char chunk[4096];
    for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0;)
        bytes.append(chunk, static_cast<std::size_t>(n));
    close(fd);
    return bytes;
}

// Printable ASCII cannot be taken for a line break or a double-byte
// character, so such a value must read back as written.
bool IsPlainValue(std::string_view value) {
    for (char c : value) {
        if (c < ' ' || c > '~')
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ScratchFolder folder;
    static const std::string mainSection = lilan::Cp936("基本配置");
    static const std::string pagesKey = lilan::Cp936("查询页数");
    static const std::string intervalKey = lilan::Cp936("访问间隔");
    static const std::string proxyBox = lilan::Cp936("选择框代理");

    lilan::fuzz::FuzzInput input(data, size);
    const std::uint8_t lengths = input.Byte();
    const std::string_view section = input.Take(lengths & 15);
    const std::string_view value = input.Take(lengths >> 4);
    const std::string path = folder.File();
    WriteWholeFile(path, input.Rest());

    lilan::SettingsStore store;
    Require(store.OpenFile(path));
    const auto writeAndReadBack = [&](std::string_view key) {
        const bool written = store.WriteText(key, value);
        if (written && IsPlainValue(value))
            Require(store.ReadText(key, "?") == value);
    };

    store.SetSection(mainSection);
    store.ReadText(pagesKey, "1");
    store.ReadText(intervalKey, "3000");
    store.ReadBool(proxyBox, false);
    writeAndReadBack(pagesKey);

    store.SetSection(section);
    store.ReadText("ip", "");
    store.ReadBool(proxyBox, true);
    writeAndReadBack("ip");

    // Every write rewrites the whole file: the disk holds the buffer.
    if (!store.HadWriteError())
        Require(ReadWholeFile(path) == store.Text());
    store.Close();
    return 0;
}
