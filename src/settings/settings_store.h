#pragma once

#include <deque>
#include <string>
#include <string_view>

#include "core/window.h"
#include "text/text_buffer.h"

namespace lilan {

// The settings file in the INI manner, kept whole in a text buffer; values
// are found by searching for the section header and the key line, never by
// parsing the file into a table. Every write that changes the buffer rewrites
// the file (a temporary file in the same folder, synced, renamed over the old
// one), so the disk always holds either the previous or the new complete text.
//
// One running copy owns the file: the store holds an exclusive lock on a
// companion file "<settings>.lock" for its life. A store that cannot take the
// lock (another copy has it) or cannot read the file works read-only: reads
// answer from the buffer, writes change only the buffer and are reported.
class SettingsStore {
public:
    explicit SettingsStore(Dialogs* dialogs = nullptr); // for the warning boxes; nullptr = no boxes
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // path is program text (code page 936). True when the file is open for
    // writing; an absent file is created empty.
    bool OpenFile(const std::string& path);
    // Close, then load the whole file and take the lock.
    void LoadFile(const std::string& path);
    // Releases the lock and empties the buffer.
    void Close();

    void SetSection(std::string_view name);
    // Line breaks of a value are stored as "┊*┊". True when the write ran at
    // once and reached the disk; false when it failed or had to wait behind
    // a write in progress (it then runs when that one is done).
    bool WriteText(std::string_view key, std::string_view value);
    // A missing key gives the default; a key with an empty value gives "".
    std::string ReadText(std::string_view key, std::string_view defaultValue);
    bool WriteBool(std::string_view key, bool value);
    bool ReadBool(std::string_view key, bool defaultValue); // true only for "真"
    bool WriteCheckBox(const CheckBox& box);
    bool ReadCheckBox(CheckBox& box); // the box's state is the default; sets the box

    // Queues the edit; runs the queue unless a write is in progress. Answers
    // 0 done, -1 failed, 3 waiting in the queue.
    int WriteValue(std::string_view section, std::string_view key, std::string_view value);
    std::string ReadValue(std::string_view section, std::string_view key, std::string_view defaultValue);
    // Position of the "[" of a section header between from and to, or -1.
    Pos FindSectionBoundary(Pos from, Pos to);

    // A write that could not reach the disk since the last clear, queued
    // writes included.
    bool HadWriteError() const { return writeError_; }
    void ClearWriteError() { writeError_ = false; }
    const std::string& Text() const { return buffer_.Text(); }

private:
    struct Edit {
        std::string section, key, value;
    };

    int ProcessQueue();
    int WriteValueNow(const Edit& edit);
    int EditBuffer(const Edit& edit);
    Pos FindSectionHeader(std::string_view header);
    void ShowSectionWarning();
    bool SaveBuffer();

    TextBuffer buffer_;
    std::string filePath_; // the file on disk, UTF-8, links resolved; empty when closed
    int lockFd_ = -1;
    bool writable_ = false;
    bool busy_ = false;
    std::deque<Edit> pendingEdits_;
    std::string section_;
    bool writeError_ = false;
    Dialogs* dialogs_;
};

} // namespace lilan
