// Site addresses as users type them and as result pages give them. The first
// byte is the length of the first address, the second the lengths of head
// and tail (four bits each), the third the start; the rest follows in that
// order: first address, head, tail, and the second address, which is also
// the text searched.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/address.h"
#include "fuzz_input.h"

using lilan::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lilan::fuzz::FuzzInput input(data, size);
    const std::size_t firstLength = input.Byte();
    const std::uint8_t lengths = input.Byte();
    const auto start = static_cast<lilan::Pos>(static_cast<std::int8_t>(input.Byte()));
    const std::string_view a = input.Take(firstLength);
    const std::string_view head = input.Take(lengths & 15);
    const std::string_view tail = input.Take(lengths >> 4);
    const std::string_view b = input.Rest();

    for (std::string_view address : {a, b}) {
        const std::string host = lilan::HostOfAddress(address);
        const std::string hostAndPort = lilan::HostOfAddress(address, true);
        Require(hostAndPort.compare(0, host.size(), host) == 0);
    }

    const bool same = lilan::SameAddress(a, b);
    Require(same == lilan::SameAddress(b, a));
    Require(lilan::SameAddress(a, a));

    for (bool ignoreCase : {false, true}) {
        const std::string part = lilan::TextBetweenFirst(b, head, tail, start, ignoreCase);
        Require(part.size() <= b.size());
    }
    return 0;
}
