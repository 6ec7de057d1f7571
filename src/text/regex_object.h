#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace lilan {

// Regular expressions with ECMAScript syntax and meaning on program text.
// Pattern, subject and replacement cross into the engine (ICU) as UTF-16,
// so patterns speak of Unicode characters ("[^\u4e00-\u9fa5]"), not bytes.
// Copies share the compiled pattern; use an object on one thread only.
class RegexObject {
public:
    RegexObject();
    ~RegexObject();
    RegexObject(const RegexObject&);
    RegexObject& operator=(const RegexObject&);

    // Compiles the pattern, replacing any earlier one. False when it does not
    // compile; the object is then empty.
    bool Create(std::string_view pattern, bool ignoreCase = true, bool multiline = true, bool global = true);

    // Every match (with global false: the first one) replaced; $1 to $9 in
    // the replacement stand for the groups. Empty text when the object is
    // empty or the engine gives up (see the limits in the source).
    std::string Replace(std::string_view subject, std::string_view replacement = {}) const;

    // The pattern as given to Create; empty when the object is empty.
    std::string GetPattern() const;

private:
    struct Compiled;
    std::shared_ptr<Compiled> compiled_;
};

} // namespace lilan
