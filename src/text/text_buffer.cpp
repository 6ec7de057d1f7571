#include "text/text_buffer.h"

#include <algorithm>

namespace lilan {

void TextBuffer::Clip(Pos pos, Pos length, std::size_t& index, std::size_t& count) const {
    const auto size = static_cast<Pos>(text_.size());
    Pos begin = std::max<Pos>(pos, 1) - 1;
    Pos end = length <= 0 ? begin : pos - 1 + length;
    begin = std::min(begin, size);
    end = std::clamp(end, begin, size);
    index = static_cast<std::size_t>(begin);
    count = static_cast<std::size_t>(end - begin);
}

void TextBuffer::Insert(Pos pos, std::string_view text) {
    const auto size = static_cast<Pos>(text_.size());
    const Pos index = std::clamp<Pos>(pos - 1, 0, size);
    text_.insert(static_cast<std::size_t>(index), text);
}

void TextBuffer::Delete(Pos pos, Pos length) {
    std::size_t index, count;
    Clip(pos, length, index, count);
    text_.erase(index, count);
}

void TextBuffer::Replace(Pos pos, Pos length, std::string_view text) {
    std::size_t index, count;
    Clip(pos, length, index, count);
    text_.replace(index, count, text);
}

int TextBuffer::ReplaceAll(std::string_view what, std::string_view with, bool ignoreCase) {
    if (what.empty())
        return 0;
    int count = 0;
    for (Pos at = Find(what, 1, ignoreCase); at > 0; at = Find(what, at + static_cast<Pos>(what.size()), ignoreCase))
        ++count;
    // Counting first keeps the common no-match case free of copies.
    if (count > 0)
        text_ = ReplaceAllText(text_, what, with, ignoreCase);
    return count;
}

std::string TextBuffer::Get(Pos pos, Pos length) const {
    std::size_t index, count;
    Clip(pos, length, index, count);
    return text_.substr(index, count);
}

} // namespace lilan
