#include <gtest/gtest.h>

#include <QStringList>

#include "shell/shell_dialogs.h"
#include "shell/url_opener.h"
#include "support/gbk.h"

namespace lilan {
namespace {

using test::Gbk;

TEST(BrowserSearchAddress, EscapesTheSiteAddressInCodePage936) {
    struct Case {
        std::string host, site, address;
    };
    const Case cases[] = {
        {"www.baidu.com", "http://abc", "http://www.baidu.com/s?word=http%3A%2F%2Fabc"},
        {"www.baidu.com", Gbk("中"), "http://www.baidu.com/s?word=%D6%D0"},
        {"www.baidu.com", "", "http://www.baidu.com/s?word="},
        {"127.0.0.1:8080", "a.com/?x=1&y=2", "http://127.0.0.1:8080/s?word=a.com%2F%3Fx%3D1%26y%3D2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BrowserSearchAddress(c.host, c.site), c.address) << c.site;
}

TEST(NameFiltersFromPairs, PairsBecomeQtFilters) {
    struct Case {
        QString pairs;
        QStringList filters;
    };
    const Case cases[] = {
        {QStringLiteral(u"txt文件|*.txt|全部文件|*.*"),
         {QStringLiteral(u"txt文件 (*.txt)"), QStringLiteral(u"全部文件 (*.*)")}},
        {QStringLiteral(u"文本文本|*.txt;*.text;*.ini|全部文件|*.*"),
         {QStringLiteral(u"文本文本 (*.txt *.text *.ini)"), QStringLiteral(u"全部文件 (*.*)")}},
        {QStringLiteral("odd|*.a|left"), {QStringLiteral("odd (*.a)")}},
        {QString(), {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NameFiltersFromPairs(c.pairs), c.filters) << c.pairs.toStdString();
}

} // namespace
} // namespace lilan
