#pragma once

#include <string>
#include <string_view>

namespace lilan::test {

// Tests are written in plain Chinese: Gbk turns a UTF-8 literal into program
// text, Utf8 turns program text back for readable failure messages.
std::string Gbk(std::string_view utf8);
std::string Utf8(std::string_view gbk);

// Raw bytes of a shared fixture file (the real result page is UTF-8), or empty
// when it is absent.
std::string ReadSharedFixture(const char* name);

} // namespace lilan::test
