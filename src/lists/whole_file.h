#pragma once

#include <string>
#include <string_view>

// Whole-file reads and writes for the list commands and the batch command.
// Paths are program text (code page 936), turned to UTF-8 for the system.
namespace lilan {

// Opens read-only, so a list the user may not change still imports. False
// (bytes untouched) when the file cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Creates the file or replaces its content. False when any byte failed to
// reach it.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

} // namespace lilan
