#include "support/gbk.h"

#include <fstream>
#include <sstream>

#include "text/code_page.h"

namespace lilan::test {

std::string Gbk(std::string_view utf8) { return Utf8ToGbkText(utf8); }
std::string Utf8(std::string_view gbk) { return GbkToUtf8Text(gbk); }

std::string ReadSharedFixture(const char* name) {
#ifdef LILAN_SHARED_FIXTURES
    std::ifstream in(std::string(LILAN_SHARED_FIXTURES) + "/" + name, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream data;
    data << in.rdbuf();
    return data.str();
#else
    (void)name;
    return {};
#endif
}

} // namespace lilan::test
