#include <gtest/gtest.h>

#include "net/request_url.h"
#include "net/system_proxy.h"
#include "support/gbk.h"
#include "test_server.h"

namespace lilan {
namespace {

TEST(RequestUrl, Normalisation) {
    struct Case {
        std::string url, normalised, withScheme;
    };
    const Case cases[] = {
        {"example.com/a", "http://example.com/a", "http://example.com/a"},
        {"HTTPS://Example.com/", "HTTPS://Example.com/", "HTTPS://Example.com/"},
        {"Http://x/p#frag#more", "Http://x/p", "Http://x/p#frag#more"},
        {"x#", "http://x", "http://x#"},
        {"", "", "http://"},
        {"ftp://x", "http://ftp://x", "http://ftp://x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NormalizeRequestUrl(c.url), c.normalised) << c.url;
        EXPECT_EQ(WithHttpScheme(c.url), c.withScheme) << c.url;
    }
}

TEST(RequestUrl, WireFormEscapesWhatMayNotStandInAUrl) {
    struct Case {
        std::string url, wire;
    };
    const Case cases[] = {
        {"http://h/a b?q=1", "http://h/a%20b?q=1"},
        {test::Gbk("http://h/中?w=文"), "http://h/%E4%B8%AD?w=%E6%96%87"},
        {test::Gbk("http://中文.cn/"), "http://中文.cn/"}, // the host stays UTF-8 for IDN
        {"http://h/\r\nX: y", "http://h/%0D%0AX:%20y"},
        {std::string("http://h/a\0b", 12), "http://h/a"},
        {"http://h/%41", "http://h/%41"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WireUrl(c.url), c.wire) << c.wire;
}

// https to http cannot be shown against the test servers, which speak plain
// http only; the rule that the transfer applies on every hop is this one.
TEST(RequestUrl, RedirectRule) {
    struct Case {
        const char* from;
        const char* to;
        bool allowed;
    };
    const Case cases[] = {
        {"http://a/", "http://b/", true},           {"http://a/", "https://b/", true},
        {"https://a/", "https://b/", true},         {"https://a/", "http://b/", false},
        {"HTTPS://a/", "HTTP://b/", false},         {"http://a/", "ftp://b/", false},
        {"http://a/", "file:///etc/passwd", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RedirectAllowed(c.from, c.to), c.allowed) << c.from << " -> " << c.to;
}

TEST(SystemProxy, FromTheEnvironment) {
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> env;
        const char* url;
        std::string proxy;
    };
    const Case cases[] = {
        {"none set", {}, "http://a.com/", ""},
        {"http_proxy", {{"http_proxy", "http://p:1"}}, "http://a.com/", "http://p:1"},
        {"upper case", {{"HTTP_PROXY", "p:2"}}, "http://a.com/", "p:2"},
        {"https uses https_proxy", {{"http_proxy", "p:1"}, {"https_proxy", "s:3"}}, "https://a.com/", "s:3"},
        {"all_proxy fills in", {{"ALL_PROXY", "all:4"}}, "https://a.com/", "all:4"},
        {"no_proxy exact", {{"http_proxy", "p:1"}, {"no_proxy", "a.com"}}, "http://a.com/", ""},
        {"no_proxy subdomain", {{"http_proxy", "p:1"}, {"NO_PROXY", "other, .a.com"}}, "http://www.a.com/", ""},
        {"no_proxy no partial name", {{"http_proxy", "p:1"}, {"no_proxy", "a.com"}}, "http://ba.com/", "p:1"},
        {"no_proxy star", {{"http_proxy", "p:1"}, {"no_proxy", "*"}}, "http://x/", ""},
        {"no_proxy with port", {{"http_proxy", "p:1"}, {"no_proxy", "a.com:8080"}}, "http://a.com:8080/", ""},
        {"no_proxy other port", {{"http_proxy", "p:1"}, {"no_proxy", "a.com:8080"}}, "http://a.com/", "p:1"},
        {"no_proxy loopback", {{"http_proxy", "p:1"}, {"no_proxy", "127.0.0.1"}}, "http://user@127.0.0.1:9/x", ""},
    };
    for (const Case& c : cases) {
        test::NoProxyEnvironment clean;
        std::vector<std::unique_ptr<test::ScopedEnv>> set;
        for (const auto& [name, value] : c.env)
            set.push_back(std::make_unique<test::ScopedEnv>(name, value));
        EXPECT_EQ(SystemProxyFor(c.url), c.proxy) << c.name;
    }
}

} // namespace
} // namespace lilan
