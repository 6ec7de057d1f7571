#include "text/regex_object.h"

#include <map>

#include <algorithm>
#include <climits>
#include <vector>

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include "text/code_page.h"

namespace lilan {
namespace {

// Backtracking lives on ICU's own heap stack, never on the thread's stack; a
// pattern that needs more than this fails the call instead of eating memory.
constexpr int32_t kStackLimitBytes = 64 << 20;

// ICU counts work in ticks of 10,000 saved backtrack states, summed over all
// finds of one Replace. The system's patterns need at most about one state
// per character even on deeply indented pages; the budget allows 16 per
// character with a floor of 10 million, so only runaway (quadratic or worse)
// matching reaches it, after about two seconds for a 10 MB subject instead
// of hours.
constexpr int64_t kStatesPerTick = 10000;
constexpr int64_t kStatesPerUnit = 16;
constexpr int64_t kMinTicks = 1000;

int32_t TimeLimitFor(std::size_t units) {
    const int64_t ticks = kMinTicks + static_cast<int64_t>(units) * kStatesPerUnit / kStatesPerTick;
    return static_cast<int32_t>(std::min<int64_t>(ticks, INT32_MAX));
}

bool IsHex(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsClassEscape(char16_t c) {
    return c == u'd' || c == u'D' || c == u'w' || c == u'W' || c == u's' || c == u'S';
}

bool HexDigitsAt(std::u16string_view p, std::size_t at, std::size_t count) {
    if (at + count > p.size())
        return false;
    return std::all_of(p.begin() + static_cast<std::ptrdiff_t>(at),
                       p.begin() + static_cast<std::ptrdiff_t>(at + count), IsHex);
}

// Length of a quantifier {n}, {n,} or {n,m} starting at p[at], or 0.
std::size_t QuantifierLength(std::u16string_view p, std::size_t at) {
    std::size_t i = at + 1;
    const std::size_t digitsFrom = i;
    while (i < p.size() && IsDigit(p[i]))
        ++i;
    if (i == digitsFrom)
        return 0;
    if (i < p.size() && p[i] == u',') {
        ++i;
        while (i < p.size() && IsDigit(p[i]))
            ++i;
    }
    return i < p.size() && p[i] == u'}' ? i - at + 1 : 0;
}

constexpr std::u16string_view kWordChars = u"A-Za-z0-9_";
constexpr std::u16string_view kSpaceChars = u"\\s\\u000B\\uFEFF"; // ICU's \s lacks VT and BOM

// ICU reads \d, \w, \s, "." and \b with Unicode meanings, takes "[" and "&&"
// inside a class as set operators and rejects a lone "{". Rewrite the
// ECMAScript pattern so that ICU gives it its ECMAScript meaning.
std::u16string ToIcuPattern(std::u16string_view p, bool multiline) {
    std::u16string out;
    out.reserve(p.size() + 16);
    bool inClass = false;
    bool afterClassEscape = false; // a "-" right after \d inside a class is literal
    for (std::size_t i = 0; i < p.size(); ++i) {
        const char16_t c = p[i];
        const bool justAfterClassEscape = afterClassEscape;
        afterClassEscape = false;
        if (c == u'\\') {
            if (i + 1 == p.size()) {
                out += u'\\'; // a trailing backslash stays an error
                continue;
            }
            const char16_t e = p[++i];
            switch (e) {
            case u'd':
                out += inClass ? u"0-9" : u"[0-9]";
                break;
            case u'D':
                out += u"[^0-9]";
                break;
            case u'w':
                out += inClass ? std::u16string(kWordChars) : u"[" + std::u16string(kWordChars) + u"]";
                break;
            case u'W':
                out += u"[^" + std::u16string(kWordChars) + u"]";
                break;
            case u's':
                out += inClass ? std::u16string(kSpaceChars) : u"[" + std::u16string(kSpaceChars) + u"]";
                break;
            case u'S':
                out += u"[^" + std::u16string(kSpaceChars) + u"]";
                break;
            case u'b':
                out += inClass ? u"\\u0008" : u"(?:(?<=[A-Za-z0-9_])(?![A-Za-z0-9_])|(?<![A-Za-z0-9_])(?=[A-Za-z0-9_]))";
                break;
            case u'B':
                out += inClass ? u"B" : u"(?:(?<=[A-Za-z0-9_])(?=[A-Za-z0-9_])|(?<![A-Za-z0-9_])(?![A-Za-z0-9_]))";
                break;
            case u'v':
                out += u"\\u000B";
                break;
            case u'f':
            case u'n':
            case u'r':
            case u't':
                out += u'\\';
                out += e;
                break;
            case u'0':
                if (i + 1 < p.size() && IsDigit(p[i + 1]))
                    out += u"\\0";
                else
                    out += u"\\u0000";
                break;
            case u'c':
                if (i + 1 < p.size() && IsAsciiLetter(p[i + 1])) {
                    out += u"\\c";
                    out += p[++i];
                } else {
                    out += u"\\\\c";
                }
                break;
            case u'x':
            case u'u':
                if (HexDigitsAt(p, i + 1, e == u'x' ? 2 : 4)) {
                    out += u'\\';
                    out += e;
                } else {
                    out += e;
                }
                break;
            default:
                if (IsDigit(e)) {
                    out += u'\\'; // back reference
                    out += e;
                } else if (IsAsciiLetter(e) || e >= 0x80) {
                    out += e; // identity escape: the character itself
                } else {
                    out += u'\\';
                    out += e;
                }
            }
            afterClassEscape = inClass && IsClassEscape(e);
            continue;
        }
        if (inClass) {
            if (c == u']') {
                inClass = false;
                out += c;
            } else if (c == u'-') {
                const bool beforeClassEscape = i + 2 < p.size() && p[i + 1] == u'\\' && IsClassEscape(p[i + 2]);
                out += justAfterClassEscape || beforeClassEscape ? u"\\-" : u"-";
            } else if (c < 0x80 && c != u'^' && !IsAsciiLetter(c) && !IsDigit(c) && c > u' ') {
                out += u'\\'; // "[", "&", "{", "$" and friends mean something to ICU sets
                out += c;
            } else {
                out += c;
            }
            continue;
        }
        switch (c) {
        case u'[': {
            const bool negated = i + 1 < p.size() && p[i + 1] == u'^';
            const std::size_t first = i + 1 + (negated ? 1 : 0);
            if (first < p.size() && p[first] == u']') {
                out += negated ? u"[\\s\\S]" : u"[^\\s\\S]"; // [^] is any character, [] none
                i = first;
                break;
            }
            out += negated ? u"[^" : u"[";
            i = first - 1;
            inClass = true;
            break;
        }
        case u'.':
            out += u"[^\\n\\r\\u2028\\u2029]";
            break;
        case u'$':
            out += multiline ? u"$" : u"\\z"; // ICU's $ also stops before a final line break
            break;
        case u'{': {
            const std::size_t length = QuantifierLength(p, i);
            if (length == 0) {
                out += u"\\{";
            } else {
                out.append(p.substr(i, length));
                i += length - 1;
            }
            break;
        }
        case u'}':
        case u']':
            out += u'\\';
            out += c;
            break;
        default:
            out += c;
        }
    }
    return out;
}

// A replacement text split once into literal runs and group references.
struct ReplacementPart {
    std::u16string literal;
    int group = 0; // 1..9, or 0 for a literal run
};

std::vector<ReplacementPart> ParseReplacement(std::u16string_view text, int groupCount) {
    std::vector<ReplacementPart> parts;
    std::u16string literal;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'$' && i + 1 < text.size() && text[i + 1] >= u'1' && text[i + 1] <= u'9' &&
            text[i + 1] - u'0' <= groupCount) {
            if (!literal.empty())
                parts.push_back({std::move(literal), 0});
            literal.clear();
            parts.push_back({{}, text[i + 1] - u'0'});
            ++i;
        } else {
            literal += c; // "$" before anything else stays itself
        }
    }
    if (!literal.empty())
        parts.push_back({std::move(literal), 0});
    return parts;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Code page 936 keeps ASCII as it is, so short ASCII texts (the usual
// replacement, a piece of a tag) skip the converter.
std::u16string ToEngineText(std::string_view text) {
    if (!IsAscii(text))
        return GbkToUtf16Text(text);
    return std::u16string(text.begin(), text.end());
}

std::string FromEngineText(std::u16string_view text) {
    if (!std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; }))
        return Utf16ToGbkText(text);
    std::string out(text.size(), '\0');
    std::transform(text.begin(), text.end(), out.begin(), [](char16_t c) { return static_cast<char>(c); });
    return out;
}

const icu::UnicodeString& EmptyInput() {
    static const icu::UnicodeString empty;
    return empty;
}

} // namespace

struct RegexObject::Compiled {
    std::string pattern;
    bool global = true;
    std::unique_ptr<icu::RegexPattern> regex;
    std::unique_ptr<icu::RegexMatcher> matcher; // reused by every Replace
};

RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;
RegexObject::RegexObject(const RegexObject&) = default;
RegexObject& RegexObject::operator=(const RegexObject&) = default;

bool RegexObject::Create(std::string_view pattern, bool ignoreCase, bool multiline, bool global) {
    compiled_.reset();
    // Compiling costs far more than a page's worth of matching (a
    // case-insensitive [\s\S] closes over all of Unicode), and the program
    // builds the same few patterns for every result page and title: keep the
    // compiled ones. Replace never lets events run, so sharing a matcher
    // between objects on one thread is safe.
    thread_local std::map<std::string, std::shared_ptr<Compiled>> cache;
    std::string key(pattern);
    key += static_cast<char>('0' + (ignoreCase ? 1 : 0) + (multiline ? 2 : 0) + (global ? 4 : 0));
    if (const auto it = cache.find(key); it != cache.end()) {
        compiled_ = it->second;
        return true;
    }
    if (cache.size() >= 64)
        cache.clear();
    auto compiled = std::make_shared<Compiled>();
    compiled->pattern.assign(pattern);
    compiled->global = global;

    const std::u16string icuPattern = ToIcuPattern(GbkToUtf16Text(pattern), multiline);
    uint32_t flags = 0;
    if (ignoreCase)
        flags |= UREGEX_CASE_INSENSITIVE;
    if (multiline)
        flags |= UREGEX_MULTILINE;
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError;
    const icu::UnicodeString source(false, icuPattern.data(), static_cast<int32_t>(icuPattern.size()));
    compiled->regex.reset(icu::RegexPattern::compile(source, flags, parseError, status));
    if (U_FAILURE(status) || !compiled->regex)
        return false;
    compiled->matcher.reset(compiled->regex->matcher(status));
    if (U_FAILURE(status) || !compiled->matcher)
        return false;
    compiled->matcher->setStackLimit(kStackLimitBytes, status);
    if (U_FAILURE(status))
        return false;
    cache.emplace(std::move(key), compiled);
    compiled_ = std::move(compiled);
    return true;
}

std::string RegexObject::Replace(std::string_view subject, std::string_view replacement) const {
    if (!compiled_)
        return {};
    const std::u16string text = ToEngineText(subject);
    if (text.size() > static_cast<std::size_t>(INT32_MAX))
        return {};
    icu::RegexMatcher& matcher = *compiled_->matcher;
    const std::vector<ReplacementPart> parts =
        ParseReplacement(ToEngineText(replacement), matcher.groupCount());

    // The input aliases text; it is detached again before text goes away.
    const icu::UnicodeString input(false, text.data(), static_cast<int32_t>(text.size()));
    matcher.reset(input);
    UErrorCode status = U_ZERO_ERROR;
    matcher.setTimeLimit(TimeLimitFor(text.size()), status);

    std::u16string out;
    out.reserve(text.size());
    std::size_t copied = 0;
    while (U_SUCCESS(status) && matcher.find(status)) {
        const auto start = static_cast<std::size_t>(matcher.start(status));
        const auto end = static_cast<std::size_t>(matcher.end(status));
        out.append(text, copied, start - copied);
        for (const ReplacementPart& part : parts) {
            if (part.group == 0) {
                out += part.literal;
                continue;
            }
            const int32_t groupStart = matcher.start(part.group, status);
            const int32_t groupEnd = matcher.end(part.group, status);
            if (groupStart >= 0 && groupEnd > groupStart)
                out.append(text, static_cast<std::size_t>(groupStart), static_cast<std::size_t>(groupEnd - groupStart));
        }
        copied = end;
        if (!compiled_->global)
            break;
    }
    matcher.reset(EmptyInput());
    // A time-out or a full backtrack stack fails the whole call: empty text,
    // like any failed engine call, rather than a half-replaced subject.
    if (U_FAILURE(status))
        return {};
    out.append(text, copied);
    return FromEngineText(out);
}

std::string RegexObject::GetPattern() const { return compiled_ ? compiled_->pattern : std::string(); }

} // namespace lilan
