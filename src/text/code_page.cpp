#include "text/code_page.h"

#include <iterator>
#include <map>
#include <memory>
#include <mutex>

#include <unicode/translit.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/unistr.h>

namespace lilan {
namespace {

constexpr const char* kGbk = "windows-936";

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// Opening a converter costs far more than a short conversion: keep one per
// charset and thread.
UConverter* CachedConverter(const char* name) {
    thread_local std::map<std::string, ConverterPtr> cache;
    auto it = cache.find(name);
    if (it == cache.end()) {
        UErrorCode status = U_ZERO_ERROR;
        ConverterPtr converter(ucnv_open(name, &status));
        if (U_FAILURE(status))
            converter.reset();
        if (converter) {
            UErrorCode s2 = U_ZERO_ERROR;
            ucnv_setSubstChars(converter.get(), "?", 1, &s2);
        }
        it = cache.emplace(name, std::move(converter)).first;
    }
    if (it->second)
        ucnv_reset(it->second.get());
    return it->second.get();
}

std::u16string ToUtf16(UConverter* converter, std::string_view bytes) {
    std::u16string out;
    if (bytes.empty() || converter == nullptr)
        return out;
    out.resize(bytes.size() * 2 + 4);
    UErrorCode status = U_ZERO_ERROR;
    auto n = ucnv_toUChars(converter, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                           bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        out.resize(static_cast<std::size_t>(n) + 1);
        status = U_ZERO_ERROR;
        ucnv_reset(converter);
        n = ucnv_toUChars(converter, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                          bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    }
    out.resize(U_SUCCESS(status) || status == U_STRING_NOT_TERMINATED_WARNING ? static_cast<std::size_t>(n) : 0);
    return out;
}

std::string FromUtf16(UConverter* converter, std::u16string_view text) {
    std::string out;
    if (text.empty() || converter == nullptr)
        return out;
    out.resize(text.size() * 4 + 4);
    UErrorCode status = U_ZERO_ERROR;
    auto n = ucnv_fromUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                             reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        out.resize(static_cast<std::size_t>(n) + 1);
        status = U_ZERO_ERROR;
        ucnv_reset(converter);
        n = ucnv_fromUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                            reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()), &status);
    }
    out.resize(U_SUCCESS(status) || status == U_STRING_NOT_TERMINATED_WARNING ? static_cast<std::size_t>(n) : 0);
    return out;
}

std::string Transliterate(std::string_view text, const char* id) {
    if (text.empty())
        return {};
    // Transliterators are costly to build and not safe to share between
    // threads while transliterating: one per id, used under a lock.
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<icu::Transliterator>> cache;
    std::u16string wide = GbkToUtf16Text(text);
    icu::UnicodeString value(false, reinterpret_cast<const UChar*>(wide.data()), static_cast<int32_t>(wide.size()));
    {
        std::lock_guard lock(mutex);
        auto it = cache.find(id);
        if (it == cache.end()) {
            UErrorCode status = U_ZERO_ERROR;
            std::unique_ptr<icu::Transliterator> t(
                icu::Transliterator::createInstance(icu::UnicodeString::fromUTF8(id), UTRANS_FORWARD, status));
            if (U_FAILURE(status))
                t.reset();
            it = cache.emplace(id, std::move(t)).first;
        }
        if (!it->second)
            return std::string(text);
        it->second->transliterate(value);
    }
    return Utf16ToGbkText(std::u16string_view(reinterpret_cast<const char16_t*>(value.getBuffer()),
                                              static_cast<std::size_t>(value.length())));
}

} // namespace

std::u16string GbkToUtf16Text(std::string_view gbk) { return ToUtf16(CachedConverter(kGbk), gbk); }
std::string Utf16ToGbkText(std::u16string_view text) { return FromUtf16(CachedConverter(kGbk), text); }
std::u16string Utf8ToUtf16Text(std::string_view utf8) { return ToUtf16(CachedConverter("UTF-8"), utf8); }
std::string Utf16ToUtf8Text(std::u16string_view text) { return FromUtf16(CachedConverter("UTF-8"), text); }
std::string GbkToUtf8Text(std::string_view gbk) { return Utf16ToUtf8Text(GbkToUtf16Text(gbk)); }
std::string Utf8ToGbkText(std::string_view utf8) { return Utf16ToGbkText(Utf8ToUtf16Text(utf8)); }

namespace {

// UTF-8 and code page 936 agree on ASCII, and no byte of a UTF-8 multi-byte
// sequence is ASCII: copying the ASCII runs and converting only the rest
// keeps a mostly-markup page off the converters.
std::string Utf8ToGbkByRuns(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::size_t j = i;
        while (j < bytes.size() && static_cast<unsigned char>(bytes[j]) < 0x80)
            ++j;
        out.append(bytes.substr(i, j - i));
        i = j;
        while (j < bytes.size() && static_cast<unsigned char>(bytes[j]) >= 0x80)
            ++j;
        if (j > i)
            out += Utf8ToGbkText(bytes.substr(i, j - i));
        i = j;
    }
    return out;
}

} // namespace

bool ConvertCharset(std::string_view bytes, const char* fromCharset, const char* toCharset, std::string& out) {
    if (std::string_view(fromCharset) == "UTF-8" && std::string_view(toCharset) == kGbk) {
        out = Utf8ToGbkByRuns(bytes);
        return true;
    }
    UConverter* from = CachedConverter(fromCharset);
    if (from == nullptr)
        return false;
    UConverter* to = CachedConverter(toCharset);
    if (to == nullptr)
        return false;
    if (from == to) { // one cached converter cannot be both ends
        out = FromUtf16(to, ToUtf16(from, bytes));
        return true;
    }
    // Streamed through a small pivot and output block: whole-page conversions
    // would otherwise spend most of their time zero-filling and faulting in
    // buffers sized for the worst case.
    std::string result;
    result.reserve(bytes.size() + bytes.size() / 4 + 16);
    UChar pivot[4096];
    UChar* pivotSource = pivot;
    UChar* pivotTarget = pivot;
    char block[64 * 1024];
    const char* source = bytes.data();
    const char* sourceEnd = source + bytes.size();
    bool first = true;
    for (;;) {
        char* target = block;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_convertEx(to, from, &target, block + sizeof block, &source, sourceEnd, pivot, &pivotSource, &pivotTarget,
                       pivot + std::size(pivot), first, true, &status);
        first = false;
        result.append(block, static_cast<std::size_t>(target - block));
        if (status != U_BUFFER_OVERFLOW_ERROR)
            break;
    }
    out = std::move(result);
    return true;
}

std::string Utf16ToGbkUntilUnmappable(std::u16string_view text) {
    std::string out;
    UConverter* converter = CachedConverter(kGbk);
    if (text.empty() || converter == nullptr)
        return out;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    out.resize(text.size() * 4 + 4);
    char* target = out.data();
    const UChar* source = reinterpret_cast<const UChar*>(text.data());
    status = U_ZERO_ERROR;
    ucnv_fromUnicode(converter, &target, out.data() + out.size(), &source, source + text.size(), nullptr, true,
                     &status);
    out.resize(static_cast<std::size_t>(target - out.data()));
    UErrorCode s2 = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_SUBSTITUTE, nullptr, nullptr, nullptr, &s2);
    return out;
}

std::string ToSimplifiedChinese(std::string_view text) { return Transliterate(text, "Hant-Hans"); }
std::string ToTraditionalChinese(std::string_view text) { return Transliterate(text, "Hans-Hant"); }

} // namespace lilan
