#include "text/markup_cleaner.h"

#include "text/code_page.h"
#include "text/regex_object.h"

namespace lilan {

std::string MarkupCleaner::CleanWithPattern(std::string_view text, std::string_view pattern, bool apply) {
    RegexObject regex;
    regex.Create(pattern);
    return apply ? regex.Replace(text) : regex.GetPattern();
}

std::string MarkupCleaner::TrimLines(std::string_view text, bool apply) const {
    static const std::string pattern = Cp936("^[　 \\t]*$(\\r\\n)|^[ 　\\t]+|[ 　\\t]+$");
    return CleanWithPattern(text, pattern, apply);
}

} // namespace lilan
