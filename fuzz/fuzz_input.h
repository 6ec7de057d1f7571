#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Splits a fuzzer's input into the pieces a target needs: single bytes for
// flags and lengths first, then parts of chosen length, then the rest. Past
// the end every read gives zero or empty, so any input is a valid one.
namespace lilan::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t Byte() {
        if (rest_.empty())
            return 0;
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }

    std::string_view Take(std::size_t n) {
        const std::string_view part = rest_.substr(0, n);
        rest_.remove_prefix(part.size());
        return part;
    }

    std::string_view Rest() const { return rest_; }

private:
    std::string_view rest_;
};

// Stops the run as a crash, so the fuzzer keeps the input that broke a rule.
inline void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

} // namespace lilan::fuzz
