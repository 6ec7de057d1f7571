#include "text/text_basics.h"

#include <climits>
#include <cstring>

namespace lilan {
namespace {

bool SameAt(std::string_view text, std::size_t index, std::string_view what, bool ignoreCase) {
    if (!ignoreCase)
        return std::memcmp(text.data() + index, what.data(), what.size()) == 0;
    for (std::size_t i = 0; i < what.size(); ++i) {
        if (AsciiLower(text[index + i]) != AsciiLower(what[i]))
            return false;
    }
    return true;
}

} // namespace

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size();) {
        const std::size_t len = CharLengthAt(out, i);
        if (len == 1)
            out[i] = AsciiLower(out[i]);
        i += len;
    }
    return out;
}

std::string ToUpperAscii(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size();) {
        const std::size_t len = CharLengthAt(out, i);
        if (len == 1)
            out[i] = AsciiUpper(out[i]);
        i += len;
    }
    return out;
}

bool IsCharStart(std::string_view text, std::size_t index) {
    if (index == 0 || index >= text.size())
        return index == 0 || index == text.size();
    // Count the lead-range bytes right before index; the byte before them ends
    // a character, so they pair off from there.
    std::size_t run = 0;
    while (run < index && IsLeadByte(static_cast<unsigned char>(text[index - 1 - run])))
        ++run;
    return run % 2 == 0;
}

Pos FindText(std::string_view text, std::string_view what, Pos start, bool ignoreCase) {
    if (what.empty() || what.size() > text.size())
        return -1;
    std::size_t i = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
    const std::size_t last = text.size() - what.size();
    const char first = what[0];
    const char firstLower = AsciiLower(first);
    while (i <= last) {
        const char c = text[i];
        if ((c == first || (ignoreCase && AsciiLower(c) == firstLower)) && SameAt(text, i, what, ignoreCase))
            return static_cast<Pos>(i + 1);
        i += CharLengthAt(text, i);
    }
    return -1;
}

Pos FindTextBackward(std::string_view text, std::string_view what, Pos end, bool ignoreCase) {
    if (what.empty() || what.size() > text.size())
        return -1;
    std::size_t limit = text.size(); // one past the last byte the match may use
    if (end >= 0)
        limit = std::min<std::size_t>(text.size(), static_cast<std::size_t>(end));
    if (limit < what.size())
        return -1;
    // Known stretch [runBegin, runEnd) of lead-range bytes with runBegin on a
    // boundary: positions inside it are boundaries at even distance. Caching it
    // keeps a walk through a long run of double-byte text linear.
    std::size_t runBegin = 1, runEnd = 0;
    for (std::size_t i = limit - what.size() + 1; i-- > 0;) {
        if (!SameAt(text, i, what, ignoreCase))
            continue;
        bool boundary;
        if (i >= runBegin && i <= runEnd) {
            boundary = (i - runBegin) % 2 == 0;
        } else {
            std::size_t b = i;
            while (b > 0 && IsLeadByte(static_cast<unsigned char>(text[b - 1])))
                --b;
            runBegin = b;
            runEnd = i;
            boundary = (i - b) % 2 == 0;
        }
        if (boundary)
            return static_cast<Pos>(i + 1);
    }
    return -1;
}

std::string ReplaceAllText(std::string_view text, std::string_view what, std::string_view with, bool ignoreCase,
                           int count) {
    if (what.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t copied = 0;
    int done = 0;
    Pos at = FindText(text, what, 1, ignoreCase);
    while (at > 0 && (count < 1 || done < count)) {
        const auto index = static_cast<std::size_t>(at - 1);
        out.append(text.substr(copied, index - copied));
        out.append(with);
        copied = index + what.size();
        ++done;
        at = FindText(text, what, static_cast<Pos>(copied + 1), ignoreCase);
    }
    out.append(text.substr(copied));
    return out;
}

std::string TrimSpaces(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    for (;;) {
        if (begin < end && text[begin] == ' ')
            ++begin;
        else if (begin + 1 < end && text[begin] == '\xA1' && text[begin + 1] == '\xA1')
            begin += 2;
        else
            break;
    }
    for (;;) {
        if (end > begin && text[end - 1] == ' ')
            --end;
        // A1 A1 at the end is a full-width space only when it starts on a
        // character boundary (A1 is also a valid second byte).
        else if (end >= begin + 2 && text[end - 1] == '\xA1' && text[end - 2] == '\xA1' &&
                 IsCharStart(text.substr(begin, end - begin), end - 2 - begin))
            end -= 2;
        else
            break;
    }
    return std::string(text.substr(begin, end - begin));
}

long long ToInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value > (LLONG_MAX - digit) / 10)
            return negative ? LLONG_MIN : LLONG_MAX;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

std::vector<std::string> SplitText(std::string_view text, std::string_view separator) {
    std::vector<std::string> pieces;
    if (text.empty())
        return pieces;
    if (separator.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    std::size_t from = 0;
    for (;;) {
        const Pos at = FindText(text, separator, static_cast<Pos>(from + 1));
        if (at < 0) {
            if (from < text.size())
                pieces.emplace_back(text.substr(from));
            break;
        }
        const auto index = static_cast<std::size_t>(at - 1);
        pieces.emplace_back(text.substr(from, index - from));
        from = index + separator.size();
    }
    return pieces;
}

} // namespace lilan
