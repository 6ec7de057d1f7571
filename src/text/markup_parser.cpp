#include "text/markup_parser.h"

#include <algorithm>
#include <map>
#include <memory>
#include <unordered_map>

#include "core/event_pump.h"
#include "text/code_page.h"
#include "text/text_helpers.h"

namespace lilan {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The next needle after position, skipping matches that only start a longer
// tag name ("<a" in "<abbr" or "<a1"). -1 when there is none.
Pos FindTagOpen(std::string_view search, std::string_view needle, Pos position) {
    for (;;) {
        LetEventsRunSometimes();
        position = FindText(search, needle, position + 1);
        if (position < 0 || needle.size() == 1)
            return position;
        const std::size_t after = static_cast<std::size_t>(position - 1) + needle.size();
        if (after >= search.size())
            return position;
        const char c = search[after];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')))
            return position;
    }
}

// The end of an element is the first closing tag after its start with as
// many opening needles as closing tags between the two. Counting that afresh
// for every element is quadratic in the nesting depth (10,000 nested divs
// each counted to the end of the page), so the needles and closing tags are
// read once, in order, keeping for every closing tag the balance of needles
// minus closing tags before it. An element starting at p then ends at the
// first closing tag after p whose balance equals the balance just after p.
class TagCounters {
public:
    // Only elements starting at from or later may be asked for.
    TagCounters(std::string_view search, std::string needle, std::string closing, Pos from)
        : search_(search), needle_(std::move(needle)), closing_(std::move(closing)) {
        nextNeedle_ = FindTagOpen(search_, needle_, from - 1);
        nextClosing_ = FindClosing(from);
    }

    // Position of the closing tag that ends the element starting at p, or -1.
    Pos ClosingFor(Pos p) {
        while (HasMore() && NextPosition() <= p)
            ReadNext();
        const auto opened = std::upper_bound(needles_.begin(), needles_.end(), p) - needles_.begin();
        const auto closed = std::upper_bound(closings_.begin(), closings_.end(), p) - closings_.begin();
        const long target = static_cast<long>(opened - closed);
        if (const auto it = byBalance_.find(target); it != byBalance_.end()) {
            const auto q = std::upper_bound(it->second.begin(), it->second.end(), p);
            if (q != it->second.end())
                return *q;
        }
        while (HasMore()) {
            const Pos at = NextPosition();
            const long before = balance_;
            if (ReadNext() && before == target)
                return at;
        }
        return -1;
    }

private:
    Pos FindClosing(Pos from) {
        LetEventsRunSometimes();
        return FindText(search_, closing_, from);
    }

    bool HasMore() const { return nextNeedle_ > 0 || nextClosing_ > 0; }

    // On a tie the closing tag goes first: a needle at the same place is not
    // before it.
    bool ClosingIsNext() const { return nextClosing_ > 0 && (nextNeedle_ < 0 || nextClosing_ <= nextNeedle_); }

    Pos NextPosition() const { return ClosingIsNext() ? nextClosing_ : nextNeedle_; }

    // Takes the next needle or closing tag; true for a closing tag.
    bool ReadNext() {
        if (ClosingIsNext()) {
            closings_.push_back(nextClosing_);
            byBalance_[balance_].push_back(nextClosing_);
            --balance_;
            nextClosing_ = FindClosing(nextClosing_ + 1);
            return true;
        }
        needles_.push_back(nextNeedle_);
        ++balance_;
        nextNeedle_ = FindTagOpen(search_, needle_, nextNeedle_);
        return false;
    }

    std::string_view search_;
    std::string needle_;
    std::string closing_;
    Pos nextNeedle_ = -1;
    Pos nextClosing_ = -1;
    long balance_ = 0; // needles minus closing tags read so far
    std::vector<Pos> needles_;
    std::vector<Pos> closings_;
    std::unordered_map<long, std::vector<Pos>> byBalance_; // closing tags by the balance before them
};

// Text between the first head and the next tail after it, markers found
// ignoring case; what TextBetween gives for markers without quote marks.
std::string_view Between(std::string_view text, std::string_view head, std::string_view tail) {
    const Pos h = FindText(text, head, 1, true);
    if (h < 0)
        return {};
    const Pos begin = h + static_cast<Pos>(head.size());
    const Pos t = FindText(text, tail, begin, true);
    if (t < 0 || t <= begin)
        return {};
    return text.substr(static_cast<std::size_t>(begin - 1), static_cast<std::size_t>(t - begin));
}

// One attribute key (" name=" or "name=") and how to cut values after it.
struct AttributeKey {
    std::string key;
    std::string quoted;     // key and a double quote
    std::string apostrophe; // key and an apostrophe
    bool plain; // no quote marks in the name: the cheap search gives TextBetween's answer

    std::string Value(std::string_view text, std::string_view head, std::string_view tail) const {
        return plain ? std::string(Between(text, head, tail)) : TextBetween(text, head, tail);
    }
};

AttributeKey MakeKey(std::string_view prefix, std::string_view name) {
    AttributeKey k;
    k.key.append(prefix).append(name).append("=");
    k.quoted = k.key + "\"";
    k.apostrophe = k.key + "'";
    k.plain = name.find('"') == std::string_view::npos && name.find('\'') == std::string_view::npos;
    return k;
}

// Equal once both are lower-cased (ASCII letters of single-byte characters).
bool SameTextNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t len = CharLengthAt(a, i);
        if (len == 1 ? AsciiLower(a[i]) != AsciiLower(b[i]) : a.compare(i, 2, b, i, 2) != 0)
            return false;
        i += len;
    }
    return true;
}

bool ValueMatches(std::string_view wanted, std::string_view c1, std::string_view c2, std::string_view c3,
                  std::string_view c4, bool contains) {
    for (std::string_view candidate : {c1, c2, c3, c4}) {
        if (contains ? FindText(candidate, wanted, 1, true) > 0 : SameTextNoCase(wanted, TrimSpaces(candidate)))
            return true;
    }
    return false;
}

bool IsBlank(std::string_view text, std::size_t i, std::size_t len) {
    if (len == 2)
        return text[i] == '\xA1' && text[i + 1] == '\xA1';
    return text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r');
}

// Start of the run of blank characters that ends right before the character
// start end; known is a character start at or before the run.
std::size_t BlankRunBefore(std::string_view text, std::size_t known, std::size_t end) {
    // Bytes that may belong to blanks: ASCII blanks (never second bytes) and A1.
    std::size_t s = end;
    while (s > known && (text[s - 1] == '\xA1' || IsBlank(text, s - 1, 1)))
        --s;
    // s begins a character unless it is the second byte of the double-byte
    // character before it: decided by the parity of the lead-range run.
    if (s > known && IsLeadByte(static_cast<unsigned char>(text[s - 1]))) {
        std::size_t r = s - 1;
        while (r > known && IsLeadByte(static_cast<unsigned char>(text[r - 1])))
            --r;
        if ((s - r) % 2 == 1)
            s = std::min(s + 1, end);
    }
    std::size_t run = end;
    for (std::size_t i = s, len; i < end; i += len) {
        len = CharLengthAt(text, i);
        if (!IsBlank(text, i, len))
            run = end;
        else if (run == end)
            run = i;
    }
    return run;
}

} // namespace

struct MarkupParser::Filters {
    std::vector<AttributeKey> keys; // " name=" per name
    std::vector<std::string> values;
    std::vector<std::string> words;
    bool hasWords = false;
    bool contains = false;
    bool allAttributes = false;

    Filters(std::string_view names, std::string_view valueList, std::string_view wordList, bool contains_,
            bool allAttributes_)
        : hasWords(!wordList.empty()), contains(contains_), allAttributes(allAttributes_) {
        for (const std::string& name : SplitText(names, "|"))
            keys.push_back(MakeKey(" ", name));
        values = SplitText(valueList, "|");
        values.resize(keys.size());
        words = SplitText(wordList, "|");
    }

    bool Pass(std::string_view openTag) const {
        bool r = true;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const AttributeKey& k = keys[i];
            const bool hasKey = FindText(openTag, k.key, 1, true) > 0;
            if (values[i].empty() || !hasKey) {
                // Without the key every candidate value is empty, and an
                // empty candidate never matches a wanted value.
                r = values[i].empty() && hasKey;
            } else {
                r = ValueMatches(values[i], k.Value(openTag, k.quoted, "\""), k.Value(openTag, k.apostrophe, "'"),
                                 k.Value(openTag, k.key, " "), k.Value(openTag, k.key, ">"), contains);
            }
            if (r != allAttributes)
                break;
        }
        if (!r)
            return false;
        return !hasWords || MatchWordList(openTag, {}, !allAttributes, "|", nullptr, nullptr, false, &words, true);
    }
};

namespace {

struct Element {
    Pos start = 0;         // the "<" of the opening tag
    Pos openLength = 0;    // bytes of the opening tag
    Pos end = 0;           // exclusive
    Pos closingLength = 0; // bytes of the closing tag that was sought
    bool selfClosing = false;
};

// Walks the opening tags of markup (searched in search, the same text
// lower-cased or not). take(element) returns false to stop, or true to go on
// from the position it leaves in next.
template <typename Take>
void WalkElements(std::string_view markup, std::string_view search, std::string_view tag, const auto& filters,
                  int index, bool ignoreCase, bool letterTagsOnly, Take take) {
    const std::string needle = "<" + std::string(tag);
    const std::string closing = "</" + std::string(tag) + ">";
    std::unique_ptr<TagCounters> tagCounters;
    std::map<std::string, TagCounters> counterByName; // for a search without a tag
    int passed = 0;
    Pos gt = 0; // the first ">" after the last candidate
    for (Pos p = 0;;) {
        p = FindTagOpen(search, needle, p);
        if (p < 0)
            return;
        // No ">" in (last candidate, gt) means none in (p, gt) either.
        if (gt <= p)
            gt = FindText(search, ">", p + 1);
        if (gt < 0)
            return; // no later candidate has a ">" either
        const std::string_view open = markup.substr(static_cast<std::size_t>(p - 1), static_cast<std::size_t>(gt - p + 1));
        if (open.starts_with("</") || !filters.Pass(open))
            continue;
        if (index >= 1 && ++passed != index)
            continue;

        TagCounters* counters;
        Pos closingLength;
        if (tag.empty()) {
            if (letterTagsOnly && !(open.size() > 1 && IsAsciiLetter(open[1]))) {
                if (index >= 1)
                    return; // the index-th candidate is gone
                continue;
            }
            const std::string_view inside = open.substr(1, open.size() - 2);
            Pos cut = FindText(inside, " ");
            if (cut < 0)
                cut = FindText(inside, "\r\n");
            std::string name(inside.substr(0, cut < 0 ? inside.size() : static_cast<std::size_t>(cut - 1)));
            if (ignoreCase)
                name = ToLowerAscii(name);
            auto it = counterByName.find(name);
            if (it == counterByName.end())
                it = counterByName.try_emplace(name, search, "<" + name, "</" + name + ">", p).first;
            counters = &it->second;
            closingLength = static_cast<Pos>(name.size() + 3);
        } else {
            if (!tagCounters)
                tagCounters = std::make_unique<TagCounters>(search, needle, closing, p);
            counters = tagCounters.get();
            closingLength = static_cast<Pos>(closing.size());
        }

        Element e;
        e.start = p;
        e.openLength = static_cast<Pos>(open.size());
        e.closingLength = closingLength;
        e.selfClosing = open.ends_with("/>");
        e.end = gt + 1;
        if (!e.selfClosing) {
            const Pos q = counters->ClosingFor(p);
            if (q > 0)
                e.end = q + closingLength;
        }
        Pos next = p;
        if (!take(e, next))
            return;
        p = next;
    }
}

} // namespace

MarkupParser::MarkupParser() {
    static const std::string pattern = Cp936("[\\s　]{0,10}=[\\s　]{0,10}");
    normaliserReady_ = equalsNormaliser_.Create(pattern);
}

void MarkupParser::LoadMarkup(std::string_view markup, bool ignoreCase) {
    markup_.assign(markup);
    if (ignoreCase)
        search_ = ToLowerAscii(markup_);
    else
        search_ = markup_;
    LetEventsRunSometimes();
}

int MarkupParser::CollectTag(std::string_view tag, const Filters& filters, bool ignoreCase, bool innerOnly,
                             bool letterTagsOnly) {
    const std::string wanted = ignoreCase ? ToLowerAscii(tag) : std::string(tag);
    WalkElements(markup_, search_, wanted, filters, -1, ignoreCase, letterTagsOnly, [&](const Element& e, Pos& next) {
        if (!innerOnly) {
            foundStarts_.push_back(e.start);
            foundEnds_.push_back(e.end);
            return true;
        }
        const Pos start = e.start + e.openLength;
        foundStarts_.push_back(start);
        foundEnds_.push_back(e.selfClosing ? start : e.end - e.closingLength);
        // Go on from the first byte of the content, so that an element
        // standing right at its start is found as well.
        next = start - 1;
        return true;
    });
    return FoundCount();
}

int MarkupParser::FindAll(std::string_view markup, std::string_view tags, std::string_view names,
                          std::string_view values, std::string_view wordList, bool contains, bool allAttributes,
                          bool ignoreCase, bool innerOnly, bool letterTagsOnly) {
    foundStarts_.clear();
    foundEnds_.clear();
    const Filters filters(names, values, wordList, contains, allAttributes);
    LoadMarkup(markup, ignoreCase);
    if (tags.empty()) {
        CollectTag({}, filters, ignoreCase, innerOnly, letterTagsOnly);
    } else {
        for (const std::string& tag : SplitText(tags, "|"))
            CollectTag(tag, filters, ignoreCase, innerOnly, letterTagsOnly);
    }
    search_.clear();
    return FoundCount();
}

std::string MarkupParser::FoundElement(int n, bool raw) const {
    if (n < 1 || n > FoundCount())
        return {};
    const Pos start = foundStarts_[static_cast<std::size_t>(n - 1)];
    const Pos end = foundEnds_[static_cast<std::size_t>(n - 1)];
    if (end <= start)
        return {};
    const std::string_view text = std::string_view(markup_).substr(static_cast<std::size_t>(start - 1),
                                                                   static_cast<std::size_t>(end - start));
    return raw ? std::string(text) : NormalizeEquals(text);
}

int MarkupParser::FoundCount() const { return static_cast<int>(foundStarts_.size()); }

std::string MarkupParser::FindElement(std::string_view markup, std::string_view tag, std::string_view names,
                                      std::string_view values, std::string_view wordList, bool contains,
                                      bool allAttributes, int index, bool ignoreCase, bool innerOnly,
                                      bool letterTagsOnly, bool raw, bool append) {
    const Filters filters(names, values, wordList, contains, allAttributes);
    if (index == -1) {
        if (!append) {
            foundStarts_.clear();
            foundEnds_.clear();
        }
        LoadMarkup(markup, ignoreCase);
        CollectTag(tag, filters, ignoreCase, innerOnly, letterTagsOnly);
        search_.clear();
        return std::to_string(FoundCount());
    }

    // One element: the found elements and their markup stay as they are.
    const std::string lowered = ignoreCase ? ToLowerAscii(markup) : std::string();
    const std::string_view search = ignoreCase ? std::string_view(lowered) : markup;
    const std::string wanted = ignoreCase ? ToLowerAscii(tag) : std::string(tag);
    LetEventsRunSometimes();
    std::string result;
    bool found = false;
    WalkElements(markup, search, wanted, filters, index, ignoreCase, letterTagsOnly, [&](const Element& e, Pos&) {
        const std::string_view open =
            markup.substr(static_cast<std::size_t>(e.start - 1), static_cast<std::size_t>(e.openLength));
        result.assign(markup.substr(static_cast<std::size_t>(e.start - 1), static_cast<std::size_t>(e.end - e.start)));
        if (innerOnly) {
            if (e.selfClosing) {
                result.clear();
            } else {
                const Pos at = FindText(result, open, 1, true);
                if (at > 0)
                    result.erase(static_cast<std::size_t>(at - 1), open.size());
                result = LeftChars(result, -e.closingLength);
            }
        }
        found = true;
        return false;
    });
    if (!found)
        return {};
    return raw ? result : NormalizeEquals(result);
}

std::string MarkupParser::Attribute(std::string_view markup, std::string_view name) const {
    std::string v;
    for (std::string_view prefix : {std::string_view(" "), std::string_view()}) {
        const AttributeKey k = MakeKey(prefix, name);
        v = k.Value(markup, k.quoted, "\"");
        if (v.empty()) {
            if (FindText(markup, k.key + "\"\"", 1, true) > 0)
                return {}; // present and empty
            v = k.Value(markup, k.apostrophe, "'");
            if (v.empty()) {
                if (FindText(markup, k.key + "''", 1, true) > 0)
                    return {};
                const std::string upToSpace = k.Value(markup, k.key, " ");
                const std::string upToBracket = k.Value(markup, k.key, ">");
                v = !upToBracket.empty() && (upToSpace.empty() || upToSpace.size() > upToBracket.size()) ? upToBracket
                                                                                                          : upToSpace;
            }
        }
        if (!v.empty())
            break;
    }
    return TrimSpaces(v);
}

std::string MarkupParser::NormalizeEquals(std::string_view text) const {
    if (!normaliserReady_)
        return {};
    // A match of the normaliser holds nothing but blanks and "=", and in code
    // page 936 the blanks it knows are the ASCII ones and A1 A1. So only runs
    // of such characters that hold an "=" and a blank can change: the
    // normaliser runs on those alone instead of on the whole text, which
    // keeps it from trying a match at every blank of the page's indentation.
    std::string out;
    std::size_t copied = 0; // text before this is in out, or unchanged
    std::size_t known = 0;  // a character start at or before the next "="
    for (Pos at = FindText(text, "="); at > 0;) {
        const auto equals = static_cast<std::size_t>(at - 1);
        const std::size_t begin = BlankRunBefore(text, known, equals);
        std::size_t end = equals + 1;
        bool blank = begin < equals;
        for (std::size_t len; end < text.size(); end += len) {
            len = CharLengthAt(text, end);
            const bool isBlank = IsBlank(text, end, len);
            if (!isBlank && !(len == 1 && text[end] == '='))
                break;
            blank = blank || isBlank;
        }
        if (blank) {
            out.append(text.substr(copied, begin - copied));
            out.append(equalsNormaliser_.Replace(text.substr(begin, end - begin), "="));
            copied = end;
        }
        known = end;
        at = FindText(text, "=", static_cast<Pos>(end + 1));
    }
    if (copied == 0)
        return std::string(text);
    out.append(text.substr(copied));
    return out;
}

Pos CharCount(std::string_view text) {
    Pos count = 0;
    for (std::size_t i = 0; i < text.size(); ++count)
        i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : CharLengthAt(text, i);
    return count;
}

std::string LeftChars(std::string_view text, Pos n) {
    if (n == 0)
        return {};
    const Pos total = CharCount(text);
    const Pos keep = n > 0 ? std::min(n, total) : total + n;
    std::size_t i = 0;
    for (Pos c = 0; c < keep; ++c)
        i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : CharLengthAt(text, i);
    return std::string(text.substr(0, i));
}

} // namespace lilan
