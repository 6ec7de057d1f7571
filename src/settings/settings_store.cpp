#include "settings/settings_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "core/event_pump.h"
#include "text/code_page.h"

namespace lilan {
namespace {

const std::string& TrueText() {
    static const std::string text = Cp936("真");
    return text;
}
const std::string& FalseText() {
    static const std::string text = Cp936("假");
    return text;
}
// Stands for a line break inside a value, so a value stays on its line.
const std::string& LineBreakMark() {
    static const std::string text = Cp936("┊*┊");
    return text;
}

// A write whose header or key line has been inserted this many times and is
// still not found (handlers let through by the searches keep changing the
// buffer) gives up with a warning instead of looping on.
constexpr int kMaxInsertions = 11;

// 0, or the errno of the failure.
int ReadAll(const std::string& path, std::string& bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st {};
    int error = fstat(fd, &st) != 0 ? errno : (S_ISDIR(st.st_mode) ? EISDIR : 0);
    std::string data;
    char chunk[65536];
    while (error == 0) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            error = errno;
        if (n <= 0)
            break;
        data.append(chunk, static_cast<std::size_t>(n));
    }
    close(fd);
    if (error == 0)
        bytes = std::move(data);
    return error;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

SettingsStore::SettingsStore(Dialogs* dialogs) : dialogs_(dialogs) {}

SettingsStore::~SettingsStore() {
    Close();
}

bool SettingsStore::OpenFile(const std::string& path) {
    LoadFile(path);
    return writable_;
}

void SettingsStore::LoadFile(const std::string& path) {
    Close();
    std::string native = GbkToUtf8Text(path);
    if (native.empty())
        return;
    // Renaming over a link would replace the link: work on what it names.
    if (char* real = realpath(native.c_str(), nullptr)) {
        native = real;
        std::free(real);
    }
    filePath_ = native;

    const std::string lockPath = native + ".lock";
    lockFd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lockFd_ >= 0 && flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        close(lockFd_);
        lockFd_ = -1;
    }

    std::string bytes;
    const int error = ReadAll(native, bytes);
    if (error == 0) {
        buffer_.Set(bytes);
        writable_ = lockFd_ >= 0;
    } else if (error == ENOENT && lockFd_ >= 0) {
        writable_ = true;
        writable_ = SaveBuffer(); // an absent file is created empty
    }
    // A file that exists but cannot be read must never be overwritten.
    if (!writable_ && lockFd_ >= 0) {
        close(lockFd_);
        lockFd_ = -1;
    }
}

void SettingsStore::Close() {
    if (lockFd_ >= 0)
        close(lockFd_); // releases the lock
    lockFd_ = -1;
    writable_ = false;
    filePath_.clear();
    buffer_.Clear();
}

void SettingsStore::SetSection(std::string_view name) {
    section_.assign(name);
}

bool SettingsStore::WriteText(std::string_view key, std::string_view value) {
    return WriteValue(section_, key, ReplaceAllText(value, "\r\n", LineBreakMark())) == 0;
}

std::string SettingsStore::ReadText(std::string_view key, std::string_view defaultValue) {
    const std::string value = ReadValue(section_, key, ReplaceAllText(defaultValue, "\r\n", LineBreakMark()));
    return ReplaceAllText(value, LineBreakMark(), "\r\n");
}

bool SettingsStore::WriteBool(std::string_view key, bool value) {
    return WriteValue(section_, key, value ? TrueText() : FalseText()) == 0;
}

bool SettingsStore::ReadBool(std::string_view key, bool defaultValue) {
    return ReadValue(section_, key, defaultValue ? TrueText() : FalseText()) == TrueText();
}

bool SettingsStore::WriteCheckBox(const CheckBox& box) {
    return WriteBool(box.Name(), box.IsChecked());
}

bool SettingsStore::ReadCheckBox(CheckBox& box) {
    const bool checked = ReadBool(box.Name(), box.IsChecked());
    box.SetChecked(checked);
    return checked;
}

int SettingsStore::WriteValue(std::string_view section, std::string_view key, std::string_view value) {
    pendingEdits_.push_back({std::string(section), std::string(key), std::string(value)});
    if (busy_)
        return 3; // a handler let through by a search: runs after the write in progress
    return ProcessQueue();
}

int SettingsStore::ProcessQueue() {
    int first = -1;
    for (bool isFirst = true; !pendingEdits_.empty(); isFirst = false) {
        const Edit edit = std::move(pendingEdits_.front());
        pendingEdits_.pop_front();
        busy_ = true;
        const int result = WriteValueNow(edit);
        busy_ = false;
        if (isFirst)
            first = result;
    }
    return first;
}

int SettingsStore::WriteValueNow(const Edit& edit) {
    const int edited = EditBuffer(edit);
    const bool saved = SaveBuffer(); // also after a failed edit: the disk follows the buffer
    if (edited != 0 || !saved) {
        writeError_ = true;
        return -1;
    }
    return 0;
}

int SettingsStore::EditBuffer(const Edit& edit) {
    const std::string header = "[" + edit.section + "]";
    const std::string keyLine = "\r\n" + edit.key + "=";
    for (int insertions = 0;; ++insertions) {
        const Pos at = FindSectionHeader(header);
        Pos headerEnd = -1;
        if (at > 0) {
            headerEnd = at + static_cast<Pos>(header.size());
            LetEventsRunSometimes();
            const Pos keyAt = buffer_.Find(keyLine, headerEnd);
            if (keyAt > 0 && FindSectionBoundary(headerEnd, keyAt) < 0) {
                const Pos valueStart = keyAt + static_cast<Pos>(keyLine.size());
                LetEventsRunSometimes();
                Pos valueEnd = buffer_.Find("\r\n", valueStart);
                if (valueEnd < 0)
                    valueEnd = buffer_.Length() + 1;
                buffer_.Replace(valueStart, valueEnd - valueStart, edit.value);
                return 0;
            }
        }
        if (insertions == kMaxInsertions) {
            ShowSectionWarning();
            return -1;
        }
        if (at < 0) // new sections go at the end, on a line of their own
            buffer_.Append(buffer_.Length() == 0 ? header : "\r\n" + header);
        else // new keys go right after their header; the next round sets the value
            buffer_.Insert(headerEnd, keyLine);
    }
}

std::string SettingsStore::ReadValue(std::string_view section, std::string_view key, std::string_view defaultValue) {
    // Copies first: a handler let through by a search may change what the
    // views point at.
    const std::string header = "[" + std::string(section) + "]";
    const std::string keyLine = "\r\n" + std::string(key) + "=";
    std::string fallback(defaultValue);
    const Pos at = FindSectionHeader(header);
    if (at < 0)
        return fallback;
    const Pos headerEnd = at + static_cast<Pos>(header.size());
    LetEventsRunSometimes();
    const Pos keyAt = buffer_.Find(keyLine, headerEnd);
    if (keyAt < 0 || FindSectionBoundary(headerEnd, keyAt) >= 0)
        return fallback;
    const Pos valueStart = keyAt + static_cast<Pos>(keyLine.size());
    LetEventsRunSometimes();
    Pos valueEnd = buffer_.Find("\r\n", valueStart);
    if (valueEnd < 0)
        valueEnd = buffer_.Length() + 1;
    return buffer_.Get(valueStart, valueEnd - valueStart);
}

Pos SettingsStore::FindSectionHeader(std::string_view header) {
    // Only a header at the start of the file or right after CR LF counts.
    for (Pos from = 1;;) {
        LetEventsRunSometimes();
        const Pos at = buffer_.Find(header, from);
        if (at < 0)
            return -1;
        const std::string& text = buffer_.Text();
        if (at == 1 || (at >= 3 && text[at - 3] == '\r' && text[at - 2] == '\n'))
            return at;
        from = at + 1;
    }
}

Pos SettingsStore::FindSectionBoundary(Pos from, Pos to) {
    Pos close = 0; // the "]" CR LF last found; later candidates before it share it
    for (Pos p = from;;) {
        LetEventsRunSometimes();
        const Pos open = buffer_.Find("\r\n[", p);
        if (open < 0 || open >= to)
            return -1;
        const Pos name = open + 3;
        if (close < name) {
            LetEventsRunSometimes();
            close = buffer_.Find("]\r\n", name);
            if (close < 0)
                return -1;
        }
        if (close > to)
            return -1;
        // A header has no line break between its brackets.
        const Pos lineEnd = buffer_.Find("\r\n", name);
        if (lineEnd > close)
            return open + 2;
        p = open + 2;
    }
}

void SettingsStore::ShowSectionWarning() {
    if (dialogs_ == nullptr)
        return;
    static const std::string title = Cp936("栎澜：");
    static const std::string text = Cp936("配置模块出现意外，可能导致无法正常保存！详情请咨询栎澜。");
    dialogs_->ShowMessage(text, title, MessageIcon::Warning);
    dialogs_->ShowMessage(buffer_.Text());
}

bool SettingsStore::SaveBuffer() {
    if (!writable_ || filePath_.empty())
        return false;
    // Written beside the file and renamed over it: a crash at any moment
    // leaves the old or the new complete file. The lock makes the fixed
    // temporary name ours alone.
    const std::string temporary = filePath_ + ".tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    struct stat st {};
    if (stat(filePath_.c_str(), &st) == 0)
        fchmod(fd, st.st_mode & 07777);
    bool ok = WriteAll(fd, buffer_.Text()) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temporary.c_str(), filePath_.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    // The rename itself must reach the disk too.
    const int folder = open(FolderOf(filePath_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}

} // namespace lilan
