#include "lists/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "text/code_page.h"

namespace lilan {

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    const std::string native = GbkToUtf8Text(path);
    if (native.empty())
        return false;
    const int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    std::string data;
    if (ok && st.st_size > 0)
        data.reserve(static_cast<std::size_t>(st.st_size));
    char chunk[65536];
    while (ok) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        data.append(chunk, static_cast<std::size_t>(n));
    }
    close(fd);
    if (ok)
        bytes = std::move(data);
    return ok;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
    const std::string native = GbkToUtf8Text(path);
    if (native.empty())
        return false;
    const int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = true;
    while (ok && !bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return close(fd) == 0 && ok;
}

} // namespace lilan
