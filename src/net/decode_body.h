#pragma once

#include <optional>
#include <string>
#include <string_view>

// Response bodies into program text (code page 936).
namespace lilan {

// Encoding codes of DecodeBody's hint and result.
enum BodyEncoding : int {
    kEncodingDetect = 0, // hint only
    kEncodingGbk = 1,    // the bytes are taken as program text unchanged
    kEncodingUtf8 = 2,
    kEncodingUtf16Le = 3,
    kEncodingUtf16Be = 4,
    kEncodingBig5 = 5,
    kEncodingBig5Hkscs = 6,
};

// Largest body that is decompressed; a stream that would inflate past it is
// refused.
inline constexpr std::size_t kMaxInflatedBody = std::size_t{64} << 20;

// Undoes gzip (a body starting 1F 8B), finds the encoding from a byte-order
// mark, a <meta> charset or a UTF-8 test unless hint names one, and converts
// UTF-8, UTF-16 and Big5 bodies. detected receives the code used; a body that
// converts to nothing is taken unchanged (code 1). A body inflating past
// kMaxInflatedBody gives empty text.
std::string DecodeBody(std::string_view bytes, int hint = kEncodingDetect, int* detected = nullptr);

// The inflated bytes of one or more gzip members; a stream that ends early or
// is corrupt gives what inflated before that point. nullopt past
// kMaxInflatedBody.
std::optional<std::string> DecompressGzip(std::string_view compressed);

// Whether a <meta> tag in the page's head (or in the whole page without one)
// declares UTF-8 (code 1), Big5 (2) or Big5-HKSCS (3). The walk stops at the
// first empty tag.
bool DetectMetaCharset(std::string_view page, int& code);

// At least one non-ASCII byte, and every one of them inside a well-formed
// two- or three-byte UTF-8 sequence. Lets window events run as it goes.
bool LooksLikeUtf8(std::string_view bytes);

// Alternatives are joined by "[fg]" and found ignoring ASCII case: Any wants
// one of them in text, All every one.
enum class MatchMode { Any, All };
bool MatchAlternatives(std::string_view text, std::string_view alternatives, MatchMode mode = MatchMode::Any);

} // namespace lilan
