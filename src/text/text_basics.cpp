#include "text/text_basics.h"

#include <algorithm>
#include <climits>
#include <cstdint>
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

constexpr std::uint64_t kEach = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Answers "does byte i begin a character?" for increasing i, counting
// characters from a known start. Each byte is looked at a bounded number of
// times over all questions, so a forward search stays linear.
class BoundaryTracker {
public:
    BoundaryTracker(std::string_view text, std::size_t knownStart) : text_(text), known_(knownStart) {}

    bool IsStart(std::size_t i) {
        // A byte outside the lead range always ends a character, so only the
        // run of lead-range bytes right before i decides (by its parity).
        std::size_t runBegin = i;
        while (runBegin > known_ && IsLeadByte(static_cast<unsigned char>(text_[runBegin - 1])))
            --runBegin;
        const bool start = (i - runBegin) % 2 == 0;
        known_ = start ? i : i + 1;
        return start;
    }

private:
    std::string_view text_;
    std::size_t known_;
};

} // namespace

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    const std::size_t size = out.size();
    for (std::size_t i = 0; i < size;) {
        // Eight bytes without a high bit are eight single-byte characters:
        // fold them together.
        if (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, out.data() + i, 8);
            if ((word & kHighBits) == 0) {
                const std::uint64_t atLeastA = word + kEach * (0x80 - 'A');
                const std::uint64_t pastZ = word + kEach * (0x80 - 'Z' - 1);
                word |= ((atLeastA & ~pastZ) & kHighBits) >> 2;
                std::memcpy(out.data() + i, &word, 8);
                i += 8;
                continue;
            }
        }
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
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
    const std::size_t last = text.size() - what.size();
    if (from > last)
        return -1;
    // Candidates come from memchr-speed scans for the first byte; only they
    // are checked for a character boundary.
    bool hasLetter = false;
    for (char c : what)
        hasLetter = hasLetter || AsciiLower(c) != AsciiUpper(c);
    ignoreCase = ignoreCase && hasLetter;
    const char lower = AsciiLower(what[0]);
    const char upper = AsciiUpper(what[0]);
    const bool twoFirsts = ignoreCase && lower != upper;
    std::size_t nextLower = text.find(twoFirsts ? lower : what[0], from);
    std::size_t nextUpper = twoFirsts ? text.find(upper, from) : std::string_view::npos;
    BoundaryTracker boundary(text, from);
    for (;;) {
        const std::size_t i = std::min(nextLower, nextUpper);
        if (i == std::string_view::npos || i > last)
            return -1;
        if (SameAt(text, i, what, ignoreCase) && boundary.IsStart(i))
            return static_cast<Pos>(i + 1);
        if (nextLower == i)
            nextLower = text.find(twoFirsts ? lower : what[0], i + 1);
        if (nextUpper == i)
            nextUpper = text.find(upper, i + 1);
    }
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
