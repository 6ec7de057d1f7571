#include "support/temp_files.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace lilan::test {
namespace {

bool SetImmutable(const std::string& path, bool on) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
}

bool RefusesWrites(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode)) {
        const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd >= 0)
            close(fd);
        return fd < 0;
    }
    const std::string probe = path + "/.probe";
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    close(fd);
    unlink(probe.c_str());
    return false;
}

} // namespace

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/lilan-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code error;
    MakeWritable(path_);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, error))
        MakeWritable(entry.path().string());
    std::filesystem::remove_all(path_, error);
}

bool WriteFileBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream data;
    data << in.rdbuf();
    return data.str();
}

bool MakeUnwritable(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return false;
    chmod(path.c_str(), st.st_mode & 07555);
    if (geteuid() == 0)
        SetImmutable(path, true);
    if (RefusesWrites(path))
        return true;
    MakeWritable(path);
    return false;
}

void MakeWritable(const std::string& path) {
    SetImmutable(path, false);
    struct stat st {};
    if (stat(path.c_str(), &st) == 0)
        chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR);
}

} // namespace lilan::test
