#include "net/decode_body.h"

#include <zlib.h>

#include "core/event_pump.h"
#include "text/code_page.h"
#include "text/text_basics.h"
#include "text/text_helpers.h"

namespace lilan {
namespace {

bool StartsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

const char* CharsetName(int code) {
    switch (code) {
    case kEncodingUtf8:
        return "UTF-8";
    case kEncodingUtf16Le:
        return "UTF-16LE";
    case kEncodingUtf16Be:
        return "UTF-16BE";
    case kEncodingBig5:
        return "Big5";
    case kEncodingBig5Hkscs:
        return "Big5-HKSCS";
    default:
        return nullptr;
    }
}

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

std::optional<std::string> DecompressGzip(std::string_view compressed) {
    z_stream stream{};
    if (inflateInit2(&stream, 15 + 16) != Z_OK)
        return std::string();
    std::string out;
    char block[64 * 1024];
    std::size_t used = 0; // input bytes handed to zlib so far
    bool tooBig = false;
    for (;;) {
        if (stream.avail_in == 0 && used < compressed.size()) {
            const std::size_t chunk = std::min<std::size_t>(compressed.size() - used, 1 << 20);
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data() + used));
            stream.avail_in = static_cast<uInt>(chunk);
            used += chunk;
        }
        stream.next_out = reinterpret_cast<Bytef*>(block);
        stream.avail_out = sizeof block;
        const uInt inBefore = stream.avail_in;
        const int result = inflate(&stream, Z_NO_FLUSH);
        const std::size_t produced = sizeof block - stream.avail_out;
        if (out.size() + produced > kMaxInflatedBody) {
            tooBig = true;
            break;
        }
        out.append(block, produced);
        if (result == Z_STREAM_END) {
            // Another member may follow; anything else after the end is ignored.
            const std::size_t rest = stream.avail_in + (compressed.size() - used);
            const std::size_t next = compressed.size() - rest;
            if (rest < 2 || !StartsWith(compressed.substr(next), "\x1F\x8B") || inflateReset(&stream) != Z_OK)
                break;
            continue;
        }
        if (result != Z_OK && result != Z_BUF_ERROR)
            break; // corrupt: keep what came before
        // An input that ended early leaves zlib asking for more: stop once
        // nothing moves any more.
        if (produced == 0 && stream.avail_in == inBefore && used == compressed.size())
            break;
    }
    inflateEnd(&stream);
    if (tooBig)
        return std::nullopt;
    return out;
}

bool DetectMetaCharset(std::string_view page, int& code) {
    code = 0;
    std::string head = TextBetween(page, "<head>", "</head>");
    const std::string_view search = head.empty() ? page : std::string_view(head);
    // The lists as written in the original form, with '' for a double quote.
    static const std::string lists[] = {
        UnescapeQuotes("charset=UTF-8[fg]charset=''UTF-8''[fg]charset='UTF-8'"),
        UnescapeQuotes("charset=Big5[fg]charset=''Big5''[fg]charset='Big5'"),
        UnescapeQuotes("charset=Big5-HKSCS[fg]charset=''Big5-HKSCS''[fg]charset='Big5-HKSCS'"),
    };
    Pos at = 0;
    for (;;) {
        const std::string inside = TextBetween(search, "<meta", ">", &at);
        if (inside.empty())
            return false;
        for (int i = 0; i < 3; ++i) {
            if (MatchAlternatives(inside, lists[i])) {
                code = i + 1;
                return true;
            }
        }
    }
}

bool LooksLikeUtf8(std::string_view bytes) {
    const std::size_t n = bytes.size();
    std::size_t ascii = 0;
    for (std::size_t i = 0; i < n;) {
        LetEventsRunSometimes();
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++ascii;
            ++i;
        } else if (n - i >= 2 && (c & 0xE0) == 0xC0 && IsContinuation(bytes[i + 1])) {
            i += 2;
        } else if (n - i >= 3 && (c & 0xF0) == 0xE0 && IsContinuation(bytes[i + 1]) && IsContinuation(bytes[i + 2])) {
            i += 3;
        } else {
            return false;
        }
    }
    return ascii != n;
}

bool MatchAlternatives(std::string_view text, std::string_view alternatives, MatchMode mode) {
    return MatchWordList(text, alternatives, mode == MatchMode::Any, "[fg]");
}

std::string DecodeBody(std::string_view bytes, int hint, int* detected) {
    int code = hint;
    auto finish = [&](std::string text) {
        if (detected)
            *detected = code;
        return text;
    };

    std::string inflated;
    std::string_view buffer = bytes;
    if (StartsWith(buffer, "\x1F\x8B")) {
        std::optional<std::string> out = DecompressGzip(buffer);
        if (!out) {
            code = kEncodingGbk;
            return finish({});
        }
        inflated = std::move(*out);
        buffer = inflated;
    }

    std::size_t start = 0;
    switch (hint) {
    case kEncodingUtf16Le:
    case kEncodingUtf16Be:
        // Only a mark of the named order is skipped: a body without one keeps
        // its first character.
        if (StartsWith(buffer, hint == kEncodingUtf16Le ? kUtf16LeMark : kUtf16BeMark))
            start = 2;
        break;
    case kEncodingUtf8:
        if (StartsWith(buffer, kUtf8Mark))
            start = 3;
        break;
    case kEncodingDetect:
        if (StartsWith(buffer, kUtf8Mark)) {
            code = kEncodingUtf8;
            start = 3;
        } else if (StartsWith(buffer, kUtf16LeMark)) {
            code = kEncodingUtf16Le;
            start = 2;
        } else if (StartsWith(buffer, kUtf16BeMark)) {
            code = kEncodingUtf16Be;
            start = 2;
        } else if (int meta = 0; DetectMetaCharset(UpToZero(buffer), meta)) {
            code = meta == 1 ? kEncodingUtf8 : meta == 2 ? kEncodingBig5 : kEncodingBig5Hkscs;
        }
        break;
    default:
        break;
    }

    const std::string_view body = buffer.substr(start);
    if (code == kEncodingDetect && LooksLikeUtf8(body))
        code = kEncodingUtf8;

    std::string text;
    if (const char* charset = CharsetName(code); charset != nullptr && !body.empty()) {
        // Straight into code page 936: characters it cannot hold become "?",
        // as they did on the way through the program's own text.
        std::string converted;
        if (ConvertCharset(body, charset, "windows-936", converted))
            text = UpToZero(converted);
    }
    if (text.empty()) {
        text = UpToZero(buffer);
        code = kEncodingGbk;
    }
    return finish(std::move(text));
}

} // namespace lilan
