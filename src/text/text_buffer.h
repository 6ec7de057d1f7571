#pragma once

#include <string>
#include <string_view>

#include "text/text_basics.h"

namespace lilan {

// Growable text with 1-based byte positions. Out-of-range positions and
// lengths are clipped to the text, never read past it.
class TextBuffer {
public:
    TextBuffer() = default;
    explicit TextBuffer(std::string text) : text_(std::move(text)) {}

    void Set(std::string_view text) { text_.assign(text); }
    void Append(std::string_view text) { text_.append(text); }
    // Inserts before position pos; pos past the end appends.
    void Insert(Pos pos, std::string_view text);
    void Delete(Pos pos, Pos length);
    void Replace(Pos pos, Pos length, std::string_view text);
    // Returns the number of replacements.
    int ReplaceAll(std::string_view what, std::string_view with, bool ignoreCase = false);

    Pos Find(std::string_view what, Pos start = 1, bool ignoreCase = false) const {
        return FindText(text_, what, start, ignoreCase);
    }
    Pos FindBackward(std::string_view what, Pos end = -1, bool ignoreCase = false) const {
        return FindTextBackward(text_, what, end, ignoreCase);
    }

    std::string Get(Pos pos, Pos length) const;
    Pos Length() const { return static_cast<Pos>(text_.size()); }
    void Clear() { text_.clear(); }
    const std::string& Text() const { return text_; }
    std::string TakeText() { return std::move(text_); }

private:
    // Clips a 1-based range to [0, size) indexes.
    void Clip(Pos pos, Pos length, std::size_t& index, std::size_t& count) const;

    std::string text_;
};

} // namespace lilan
