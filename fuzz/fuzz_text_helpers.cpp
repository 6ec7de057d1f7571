// Entity decoding, the head...tail walk, list replacing and query escaping on
// arbitrary program text. The first byte holds the flags, the second the
// lengths of head (low four bits) and tail (high four bits) that follow;
// the rest is the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "text/text_helpers.h"
#include "text/url_encode.h"

using lilan::Pos;
using lilan::fuzz::Require;

namespace {

void WalkPairs(std::string_view text, std::string_view head, std::string_view tail, std::uint8_t flags) {
    const bool backward = flags & 1;
    const bool literal = flags & 2;
    const Pos headOffset = (flags >> 2) & 3;
    const Pos tailOffset = (flags >> 4) & 3;
    Pos start = 1, lastTail = 0;
    // Every found pair moves start on by at least one byte, so a walk that
    // takes more rounds than the text has bytes has stopped moving.
    const auto maxRounds = static_cast<Pos>(text.size()) + 16;
    for (Pos round = 0; start != -2; ++round) {
        Require(round <= maxRounds);
        const Pos before = start;
        const std::string part =
            lilan::TextBetween(text, head, tail, &start, backward, headOffset, tailOffset, literal, &lastTail);
        Require(part.size() <= text.size() + 1);
        Require(start == -2 || start > before);
    }
    Require(lilan::TextBetween(text, head, tail, &start).empty() && start == -2);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lilan::fuzz::FuzzInput input(data, size);
    const std::uint8_t flags = input.Byte();
    const std::uint8_t lengths = input.Byte();
    const std::string_view head = input.Take(lengths & 15);
    const std::string_view tail = input.Take(lengths >> 4);
    const std::string_view text = input.Rest();

    lilan::DecodeEntities(text);
    lilan::DecodeEntities(text, true);

    WalkPairs(text, head, tail, flags);

    // Head and tail as the find and replace lists; the count limits each entry.
    lilan::BatchReplace(text, head, tail, flags & 1, flags & 2, (flags & 4) ? "," : "|", (flags >> 4) & 3);

    const std::string encoded = lilan::UrlEncode(text);
    Require(encoded.size() >= text.size());
    lilan::UrlEncode(text, true, flags & 1, flags & 2);
    return 0;
}
