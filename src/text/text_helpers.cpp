#include "text/text_helpers.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>

#include "core/event_pump.h"
#include "text/code_page.h"

namespace lilan {
namespace {

const std::string& HeadMarker() {
    static const std::string marker = Cp936("#栎澜头#");
    return marker;
}
const std::string& TailMarker() {
    static const std::string marker = Cp936("#栎澜尾#");
    return marker;
}

std::string WithoutQuotes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != '"')
            out += c;
    }
    return out;
}

struct Entity {
    std::string_view name;
    std::string_view value; // code page 936 bytes
};

// Table order matters: "&amp;" first, "&prime;" before "&Prime;".
constexpr std::array<Entity, 40> kEntities = {{
    {"&amp;", "&"},          {"&ndash;", "\xA8\x43"},  {"&mdash;", "\xA1\xAA"},  {"&ldquo;", "\xA1\xB0"},
    {"&rdquo;", "\xA1\xB1"}, {"&nbsp;", " "},          {"&lt;", "<"},            {"&gt;", ">"},
    {"&quot;", "\""},        {"&times;", "\xA1\xC1"},  {"&divide;", "\xA1\xC2"}, {"&middot;", "\xA1\xA4"},
    {"&hellip;", "\xA1\xAD"}, {"&lsquo;", "\xA1\xAE"}, {"&rsquo;", "\xA1\xAF"},  {"&permil;", "\xA1\xEB"},
    {"&prime;", "\xA1\xE4"}, {"&Prime;", "\xA1\xE5"},  {"&larr;", "\xA1\xFB"},   {"&uarr;", "\xA1\xFC"},
    {"&rarr;", "\xA1\xFA"},  {"&darr;", "\xA1\xFD"},   {"&radic;", "\xA1\xCC"},  {"&prop;", "\xA1\xD8"},
    {"&infin;", "\xA1\xDE"}, {"&ang;", "\xA1\xCF"},    {"&and;", "\xA1\xC4"},    {"&or;", "\xA1\xC5"},
    {"&cap;", "\xA1\xC9"},   {"&cup;", "\xA1\xC8"},    {"&int;", "\xA1\xD2"},    {"&there4;", "\xA1\xE0"},
    {"&sim;", "\xA1\xAB"},   {"&asymp;", "\xA1\xD6"},  {"&ne;", "\xA1\xD9"},     {"&equiv;", "\xA1\xD4"},
    {"&le;", "\xA1\xDC"},    {"&ge;", "\xA1\xDD"},     {"&oplus;", "\xA8\x92"},  {"&perp;", "\xA1\xCD"},
}};

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view what) {
    if (text.size() - at < what.size())
        return false;
    for (std::size_t i = 0; i < what.size(); ++i) {
        if (AsciiLower(text[at + i]) != AsciiLower(what[i]))
            return false;
    }
    return true;
}

// Index of the first entity (from `from` on in table order) whose name,
// without its leading "&", stands at text[at].
int EntityAfterAmpersand(std::string_view text, std::size_t at, std::size_t from) {
    for (std::size_t k = from; k < kEntities.size(); ++k) {
        if (StartsWithNoCase(text, at, kEntities[k].name.substr(1)))
            return static_cast<int>(k);
    }
    return -1;
}

// One scan with the result of replacing the 40 names one after another, as
// separate replace-all passes would: names cannot overlap (each is "&",
// letters, ";"), and the only replacement that can start a new name is the
// "&" of "&amp;", which later names may then complete ("&amp;lt;" -> "<").
std::string DecodeNamedEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t len = CharLengthAt(text, i);
        if (len != 1 || text[i] != '&') {
            out.append(text.substr(i, len));
            i += len;
            continue;
        }
        const int k = EntityAfterAmpersand(text, i + 1, 0);
        if (k < 0) {
            out += '&';
            i += 1;
            continue;
        }
        i += kEntities[static_cast<std::size_t>(k)].name.size();
        if (k == 0) {
            const int next = EntityAfterAmpersand(text, i, 1);
            if (next > 0) {
                out.append(kEntities[static_cast<std::size_t>(next)].value);
                i += kEntities[static_cast<std::size_t>(next)].name.size() - 1;
                continue;
            }
        }
        out.append(kEntities[static_cast<std::size_t>(k)].value);
    }
    return out;
}

// Decimal value of a numeric reference's digits, full-width forms read as
// their ASCII forms; saturates at INT32 limits.
long long ReadReferenceNumber(std::string_view digits) {
    std::string ascii;
    ascii.reserve(digits.size());
    for (std::size_t i = 0; i < digits.size();) {
        const std::size_t len = CharLengthAt(digits, i);
        const auto b0 = static_cast<unsigned char>(digits[i]);
        if (len == 2) {
            const auto b1 = static_cast<unsigned char>(digits[i + 1]);
            if (b0 == 0xA3 && b1 >= 0xA1 && b1 <= 0xFE)
                ascii += static_cast<char>(b1 - 0xA1 + 0x21);
            else if (b0 == 0xA1 && b1 == 0xA1)
                ascii += ' ';
            else
                ascii.append(digits.substr(i, 2));
        } else {
            ascii += static_cast<char>(b0);
        }
        i += len;
    }
    std::size_t i = 0;
    while (i < ascii.size() && (ascii[i] == ' ' || (ascii[i] >= '\t' && ascii[i] <= '\r')))
        ++i;
    return std::clamp<long long>(ToInteger(std::string_view(ascii).substr(i)), INT32_MIN, INT32_MAX);
}

// A reference's character: the code point itself where it is one (values
// past U+FFFF included), nothing where code page 936 cannot hold it.
std::string ReferenceCharacter(long long value) {
    if (value <= 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return {};
    std::u16string unit;
    if (value > 0xFFFF) {
        const auto v = static_cast<char32_t>(value - 0x10000);
        unit += static_cast<char16_t>(0xD800 + (v >> 10));
        unit += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
    } else {
        unit += static_cast<char16_t>(value);
    }
    return Utf16ToGbkUntilUnmappable(unit);
}

// The numeric pass, from the last reference to the first, on a text kept as
// an unprocessed prefix and a processed suffix (stored reversed, so that
// editing at the meeting point is cheap). Searching and rewriting happen at
// that meeting point only, which keeps the pass linear.
class NumericPass {
public:
    explicit NumericPass(std::string text) : head_(std::move(text)) {}

    std::string Run() {
        for (;;) {
            LetEventsRunSometimes();
            const Pos amp = FindLastReference();
            if (amp < 0)
                break;
            const auto c = static_cast<std::size_t>(amp);
            std::size_t semi;
            if (!FindSemicolonInHead(c, semi) && semis_.empty()) {
                MoveToTail(c); // no ";" anywhere behind: look before this one
                continue;
            }
            std::string digits;
            if (FindSemicolonInHead(c, semi)) {
                digits = head_.substr(c + 2, semi - c - 2);
                MoveToTail(semi + 1);
            } else {
                // A "#" that a decoded reference put right behind this "&"
                // is already in the processed part.
                if (c + 1 == head_.size())
                    tail_.pop_back();
                digits = head_.substr(std::min(c + 2, head_.size()));
                const std::size_t stop = semis_.back();
                semis_.pop_back();
                while (tail_.size() > stop + 1) {
                    digits += tail_.back();
                    tail_.pop_back();
                }
                tail_.pop_back(); // the ";"
            }
            head_.resize(c);
            long long value = ReadReferenceNumber(digits);
            if (value == 0)
                value = HexToNumber(std::string_view(digits).substr(digits.empty() ? 0 : 1));
            PushFront(ReferenceCharacter(value));
        }
        std::string out = std::move(head_);
        out.append(tail_.rbegin(), tail_.rend());
        return out;
    }

private:
    // Index of the last "&#" on a character boundary that ends at or before
    // the first byte of the processed part; -1 when there is none.
    Pos FindLastReference() {
        if (!head_.empty() && head_.back() == '&' && !tail_.empty() && tail_.back() == '#' &&
            IsCharStart(head_, head_.size() - 1))
            return static_cast<Pos>(head_.size() - 1);
        for (std::size_t i = head_.size() < 2 ? 0 : head_.size() - 1; i-- > 0;) {
            if (head_[i] == '&' && head_[i + 1] == '#' && IsCharStart(head_, i))
                return static_cast<Pos>(i);
        }
        return -1;
    }

    bool FindSemicolonInHead(std::size_t amp, std::size_t& at) const {
        for (std::size_t i = amp; i < head_.size(); i += CharLengthAt(head_, i)) {
            if (head_[i] == ';') {
                at = i;
                return true;
            }
        }
        return false;
    }

    // Moves head_[from..] to the front of the processed part.
    void MoveToTail(std::size_t from) {
        PushFront(std::string_view(head_).substr(from));
        head_.resize(from);
    }

    // Puts whole characters in front of the processed part, noting the
    // boundary ";" among them.
    void PushFront(std::string_view text) {
        std::vector<std::size_t> found;
        for (std::size_t i = 0; i < text.size(); i += CharLengthAt(text, i)) {
            if (text[i] == ';')
                found.push_back(tail_.size() + text.size() - 1 - i);
        }
        tail_.append(text.rbegin(), text.rend());
        semis_.insert(semis_.end(), found.rbegin(), found.rend());
    }

    std::string head_;
    std::string tail_;                // processed part, last byte first
    std::vector<std::size_t> semis_;  // tail_ indexes of its ";", frontmost last
};

} // namespace

std::string UnescapeQuotes(std::string_view text) { return ReplaceAllText(text, "''", "\""); }

std::string TextBetween(std::string_view text, std::string_view head, std::string_view tail, Pos* start, bool backward,
                        Pos headOffset, Pos tailOffset, bool literalMarkers, Pos* lastTail) {
    Pos localStart = 0, localLastTail = 0;
    Pos& from = start ? *start : localStart;
    Pos& previousTail = lastTail ? *lastTail : localLastTail;
    if (from == -2)
        return {};

    std::string h = literalMarkers ? std::string(head) : UnescapeQuotes(head);
    std::string t = literalMarkers ? std::string(tail) : UnescapeQuotes(tail);
    std::string padded;
    std::string_view s = text;
    if (h.empty() || t.empty()) {
        if (h.empty()) {
            h = HeadMarker();
            padded = h;
        }
        padded.append(text);
        if (t.empty()) {
            t = TailMarker();
            padded.append(t);
        }
        s = padded;
    }

    const Pos s0 = from;
    Pos hp = -1, tp = -1;
    bool found = false;
    for (int attempt = 0; attempt < 2 && !found; ++attempt) {
        if (attempt == 1) {
            if (h.find('"') == std::string::npos && t.find('"') == std::string::npos)
                break; // the same search again could not succeed
            from = s0;
            h = WithoutQuotes(h);
            t = WithoutQuotes(t);
        }
        if (!backward) {
            hp = FindText(s, h, from < 1 ? 1 : from, true);
            if (hp < 0)
                continue;
            tp = FindText(s, t, hp + static_cast<Pos>(h.size()), true);
            found = tp > 0;
        } else {
            tp = FindText(s, t, from < 1 ? 1 : from, true);
            if (tp < 0)
                continue;
            hp = tp - static_cast<Pos>(h.size()) >= 1 ? FindTextBackward(s, h, tp - 1, true) : -1;
            if (hp < 0)
                continue;
            found = hp > previousTail;
            previousTail = tp;
        }
    }
    if (!found) {
        from = -2;
        return {};
    }
    from = tp + static_cast<Pos>(t.size());
    const Pos begin = hp + static_cast<Pos>(h.size()) + headOffset;
    const Pos end = tp - tailOffset;
    const auto size = static_cast<Pos>(s.size());
    if (begin < 1 || begin > size || end - begin <= 0)
        return {};
    return std::string(s.substr(static_cast<std::size_t>(begin - 1),
                                static_cast<std::size_t>(std::min(end, size + 1) - begin)));
}

std::string BatchReplace(std::string_view text, std::string_view findList, std::string_view replaceList,
                         bool caseSensitive, bool fillFromFirst, std::string_view separator, int count) {
    if (separator.empty())
        separator = "|";
    const std::vector<std::string> finds = SplitText(findList, separator);
    std::vector<std::string> replaces = SplitText(replaceList, separator);
    replaces.resize(finds.size());
    std::string out(text);
    for (std::size_t i = 0; i < finds.size(); ++i) {
        if (fillFromFirst && replaces[i].empty())
            replaces[i] = replaces[0];
        if (!finds[i].empty())
            out = ReplaceAllText(out, finds[i], replaces[i], !caseSensitive, count);
    }
    return out;
}

std::string DecodeEntities(std::string_view text, bool namedOnly) {
    std::string named = DecodeNamedEntities(text);
    if (namedOnly)
        return named;
    return NumericPass(std::move(named)).Run();
}

std::int32_t HexToNumber(std::string_view text) {
    std::uint32_t value = 0;
    for (char c : text) {
        const char u = AsciiUpper(c);
        int digit;
        if (u >= '0' && u <= '9')
            digit = u - '0';
        else if (u >= 'A' && u <= 'F')
            digit = u - 'A' + 10;
        else
            break;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return static_cast<std::int32_t>(value);
}

std::string Utf16BytesToText(std::string_view bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    const auto zero = units.find(u'\0');
    if (zero != std::u16string::npos)
        units.resize(zero);
    return Utf16ToGbkUntilUnmappable(units);
}

bool MatchWordList(std::string_view text, std::string_view wordList, bool anyWord, std::string_view separator,
                   std::string* matchedWord, Pos* position, bool tryTraditional, const std::vector<std::string>* words,
                   bool ignoreCase, bool wholeText) {
    std::vector<std::string> own;
    if (words == nullptr) {
        own = SplitText(wordList, separator.empty() ? std::string_view("|") : separator);
        words = &own;
    }
    auto test = [&](std::string_view word) -> Pos {
        if (wholeText) {
            const bool equal = ignoreCase ? ToLowerAscii(text) == ToLowerAscii(word) : text == word;
            return equal ? 1 : -1;
        }
        return FindText(text, word, 1, ignoreCase);
    };
    int tested = 0, found = 0;
    for (const std::string& word : *words) {
        if (word.empty())
            continue;
        ++tested;
        Pos r = test(word);
        if (r == -1 && tryTraditional)
            r = test(ToTraditionalChinese(word));
        if (position)
            *position = r;
        if (r != -1) {
            ++found;
            if (anyWord || matchedWord) {
                if (matchedWord)
                    *matchedWord = word;
                return true;
            }
        } else if (!anyWord) {
            return false;
        }
    }
    return tested > 0 && found == tested;
}

} // namespace lilan
