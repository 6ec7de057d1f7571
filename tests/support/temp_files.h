#pragma once

#include <optional>
#include <string>
#include <string_view>

// Files on disk for tests. Paths are the system's own (UTF-8); the program
// text of an ASCII path is the same bytes.
namespace lilan::test {

// A fresh folder under the temporary folder, removed with all it holds.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

private:
    std::string path_;
};

bool WriteFileBytes(const std::string& path, std::string_view bytes);
std::optional<std::string> ReadFileBytes(const std::string& path);

// Makes a file or folder refuse writes, even to root (through the immutable
// flag, where the file system has one). False when this system cannot; the
// caller then skips.
bool MakeUnwritable(const std::string& path);
void MakeWritable(const std::string& path);

} // namespace lilan::test
