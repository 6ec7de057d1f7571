// Response bodies as a server may send them: any bytes, gzip or not, with any
// encoding hint. The first byte is the hint (out-of-range codes included),
// the rest the body.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "net/decode_body.h"

using lilan::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lilan::fuzz::FuzzInput input(data, size);
    const int hint = static_cast<int>(input.Byte() % 9) - 1; // -1 .. 7
    const std::string_view body = input.Rest();

    int detected = -100;
    lilan::DecodeBody(body, hint, &detected);
    Require(detected >= lilan::kEncodingGbk && detected <= lilan::kEncodingBig5Hkscs);

    if (const auto inflated = lilan::DecompressGzip(body))
        Require(inflated->size() <= lilan::kMaxInflatedBody);
    int code = 0;
    lilan::DetectMetaCharset(body, code);
    lilan::LooksLikeUtf8(body);
    return 0;
}
