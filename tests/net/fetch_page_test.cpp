#include <gtest/gtest.h>

#include <chrono>
#include <regex>

#include "net/decode_body.h"
#include "served_test.h"
#include "support/gbk.h"
#include "text/text_helpers.h"

namespace lilan {
namespace {

using test::Gbk;
using test::ServedTest;

constexpr const char* kDefaultAgent =
    "Mozilla/5.0 (Windows NT 6.1) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/30.0.1599.101 Safari/537.36";

using FetchPageTest = ServedTest;

TEST_F(FetchPageTest, DefaultFetchSendsExactlyTheseHeaders) {
    const std::string address = server.HostPort() + "/echo";
    EXPECT_EQ(web.FetchPage(Gbk("　 ") + address + " "), "echo GET");
    const auto seen = server.Last();
    EXPECT_EQ(seen.method, "GET");
    std::map<std::string, std::string> headers(seen.headers.begin(), seen.headers.end());
    const std::map<std::string, std::string> expected = {
        {"Accept", "*/*"},
        {"Content-Type", "application/x-www-form-urlencoded"},
        {"Host", server.HostPort()},
        {"Referer", "http://" + address},
        {"User-Agent", kDefaultAgent},
    };
    EXPECT_EQ(headers, expected);
    EXPECT_EQ(web.Timeouts(), (RequestTimeouts{10000, 10000, 60000, 120000}));
}

TEST_F(FetchPageTest, PostByTextAndByBytes) {
    struct Case {
        std::string postText, postBytes, method, body;
    };
    const Case cases[] = {
        {"", "", "GET", ""},
        {"q=1", "", "POST", "q=1"},
        {"", std::string("b\0y", 3), "POST", std::string("b\0y", 3)},
        {"text", "bytes", "POST", "bytes"},
    };
    for (const Case& c : cases) {
        FetchOptions options;
        options.postText = c.postText;
        options.postBytes = c.postBytes;
        EXPECT_EQ(web.FetchPage(Url("/echo"), options), "echo " + c.method);
        EXPECT_EQ(server.Last().method, c.method);
        EXPECT_EQ(server.Last().body, c.body);
        EXPECT_EQ(server.Last().Header("Content-Type"), "application/x-www-form-urlencoded");
    }
}

TEST_F(FetchPageTest, ExtraHeaderRules) {
    struct Case {
        const char* name;
        FetchOptions options;
        std::vector<std::pair<const char*, const char*>> expected; // nullptr: header absent
    };
    const Case cases[] = {
        {"own user agent line replaces the default", {.extraHeaders = "User-Agent: Own/1"}, {{"User-Agent", "Own/1"}}},
        {"a lower-case line does not stop the default, the later value wins",
         {.extraHeaders = "user-agent: own/2"},
         {{"User-Agent", "own/2"}}},
        {"content type line", {.extraHeaders = "Content-Type: text/plain"}, {{"Content-Type", "text/plain"}}},
        {"given content type and agent",
         {.contentType = "text/xml", .userAgent = "Agent/3"},
         {{"Content-Type", "text/xml"}, {"User-Agent", "Agent/3"}}},
        {"empty lines and lines without value send nothing",
         {.extraHeaders = "\r\nX-Empty: \r\nX-NoSeparator\r\nX-Kept: yes"},
         {{"X-Empty", nullptr}, {"X-NoSeparator", nullptr}, {"X-Kept", "yes"}}},
        {"a value ends at its own first separator", {.extraHeaders = "X-Cut: one: two"}, {{"X-Cut", "one"}}},
        {"referer given", {.referer = "elsewhere.org/p"}, {{"Referer", "http://elsewhere.org/p"}}},
    };
    for (const Case& c : cases) {
        FetchOptions options = c.options;
        EXPECT_EQ(web.FetchPage(Url("/echo"), options), "echo GET") << c.name;
        const auto seen = server.Last();
        for (const auto& [name, value] : c.expected) {
            if (value == nullptr) {
                EXPECT_FALSE(seen.HasHeader(name)) << c.name << ": " << name;
            } else {
                EXPECT_EQ(seen.headers.count(name), 1u) << c.name << ": " << name;
                EXPECT_EQ(seen.Header(name), value) << c.name << ": " << name;
            }
        }
    }
}

TEST_F(FetchPageTest, ForgedClientAddress) {
    const std::string headers = WebClient::MakeForgedAddressHeaders();
    const std::regex form(R"(X-Forward-For: (\d+\.\d+\.\d+\.\d+)\r\nX-Forwarded-For: \1\r\nREMOTE_ADDR: \1)");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(headers, match, form)) << headers;
    for (const std::string& octet : SplitText(match[1].str(), ".")) {
        EXPECT_LE(std::stoi(octet), 255);
        EXPECT_EQ(std::to_string(std::stoi(octet)), octet); // no leading zeros
    }

    EXPECT_EQ(web.FetchPage(Url("/echo"), {.extraHeaders = "X-First: 1", .forgeClientAddress = true}), "echo GET");
    const auto seen = server.Last();
    EXPECT_EQ(seen.Header("X-First"), "1");
    EXPECT_FALSE(seen.Header("X-Forward-For").empty());
    EXPECT_EQ(seen.Header("X-Forwarded-For"), seen.Header("X-Forward-For"));
    EXPECT_EQ(seen.Header("REMOTE_ADDR"), seen.Header("X-Forward-For"));
}

TEST_F(FetchPageTest, TimeoutSettings) {
    struct Case {
        float seconds;
        RequestTimeouts expected;
    };
    const Case cases[] = {
        {-1, {1234, 1234, 1234, 1234}}, // left as they were
        {0, {10000, 10000, 60000, 120000}}, {0.5f, {10000, 10000, 60000, 120000}},
        {2.5f, {2500, 2500, 2500, 2500}},   {1, {1000, 1000, 1000, 1000}},
    };
    for (const Case& c : cases) {
        web.SetTimeouts(1234);
        EXPECT_EQ(web.FetchPage(Url("/echo"), {.timeoutSeconds = c.seconds}), "echo GET") << c.seconds;
        EXPECT_EQ(web.Timeouts(), c.expected) << c.seconds;
    }
}

TEST_F(FetchPageTest, SessionCookiesGoBackToTheServer) {
    EXPECT_EQ(web.FetchPage(Url("/set-cookies")), "cookies set");
    EXPECT_EQ(web.storedCookies, "");
    web.FetchPage(Url("/echo"));
    const std::string sent = server.Last().Header("Cookie");
    EXPECT_NE(sent.find("a=1"), std::string::npos) << sent;
    EXPECT_NE(sent.find("b=2"), std::string::npos) << sent;
}

TEST_F(FetchPageTest, KeptCookiesAreStoredAndSentAsTheCookieHeader) {
    FetchOptions keep{.keepCookies = true};
    EXPECT_EQ(web.FetchPage(Url("/set-cookies"), keep), "cookies set");
    EXPECT_EQ(web.storedCookies, "a=1; Path=/; b=2; ");

    FetchOptions next;
    web.FetchPage(Url("/echo"), next);
    EXPECT_EQ(next.cookies, web.storedCookies); // written back to the caller
    EXPECT_EQ(TrimSpaces(server.Last().Header("Cookie")), "a=1; Path=/; b=2;");

    // A fetch that keeps cookies from a response without any empties the store.
    web.FetchPage(Url("/echo"), {.keepCookies = true});
    EXPECT_EQ(web.storedCookies, "");
}

TEST_F(FetchPageTest, CookiesMinusOneSendsAnEmptyCookieHeader) {
    web.FetchPage(Url("/set-cookies"));
    web.storedCookies = "stored=1";
    test::RawRequestCatcher catcher;
    FetchOptions none{.cookies = "-1"};
    EXPECT_EQ(web.FetchPage(catcher.Url(), none), "raw");
    const std::string head = catcher.Head();
    EXPECT_NE(head.find("\r\nCookie:\r\n"), std::string::npos) << head;
    EXPECT_EQ(head.find("Cookie: "), std::string::npos) << head;

    web.FetchPage(Url("/echo"));
    EXPECT_EQ(server.Last().Header("Cookie"), "stored=1");

    // The session's own cookies were only set aside.
    web.storedCookies.clear();
    web.FetchPage(Url("/echo"));
    EXPECT_NE(server.Last().Header("Cookie").find("a=1"), std::string::npos);
}

TEST_F(FetchPageTest, FailuresGiveEmptyResultsWithinTheLimits) {
    test::SilentListener silent;
    const std::string silentUrl = "http://127.0.0.1:" + std::to_string(silent.Port()) + "/";
    struct Case {
        const char* name;
        std::string url;
        FetchOptions options;
    };
    const Case cases[] = {
        {"server accepts and never answers", silentUrl, {.timeoutSeconds = 1}},
        {"same, synchronous", silentUrl, {.timeoutSeconds = 1, .synchronous = true}},
        {"stall in the middle of the body", Url("/stall"), {.timeoutSeconds = 1}},
        {"stall, synchronous", Url("/stall"), {.timeoutSeconds = 1, .synchronous = true}},
        {"body still coming when the wait ends", Url("/trickle"), {.timeoutSeconds = 1}},
        {"nothing listening", "http://127.0.0.1:" + std::to_string(test::ClosedPort()) + "/", {}},
        {"not an http address", "ftp://127.0.0.1/", {}},
        {"empty address", "", {}},
    };
    for (const Case& c : cases) {
        FetchOptions options = c.options;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(web.FetchPage(c.url, options), "") << c.name;
        EXPECT_EQ(web.LastStatus(), 0) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.name;
    }
    EXPECT_EQ(web.FetchPage(Url("/echo")), "echo GET"); // the client is fine afterwards
}

TEST_F(FetchPageTest, Redirects) {
    struct Case {
        const char* name;
        std::string url;
        FetchOptions options;
        std::string page;
        std::string lastMethod;
    };
    const Case cases[] = {
        {"ten redirects are followed", Url("/hop/10"), {}, "arrived", "GET"},
        {"the eleventh fails the fetch", Url("/hop/11"), {}, "", "GET"},
        {"303 turns a POST into a GET", Url("/post-303"), {.postText = "x=1"}, "echo GET", "GET"},
        {"307 repeats the POST", Url("/post-307"), {.postText = "x=1"}, "echo POST", "POST"},
    };
    for (const Case& c : cases) {
        FetchOptions options = c.options;
        EXPECT_EQ(web.FetchPage(c.url, options), c.page) << c.name;
        EXPECT_EQ(server.Last().method, c.lastMethod) << c.name;
    }
    EXPECT_EQ(server.Last().body, "x=1");
}

TEST_F(FetchPageTest, CharsetInTheHeaderDecidesUtf8) {
    FetchOptions declared;
    EXPECT_EQ(test::Utf8(web.FetchPage(Url("/utf8-declared"), declared)), "中文?");
    EXPECT_EQ(declared.bodyMode, 2);

    // Without it the four-byte character fails the UTF-8 test: bytes unchanged.
    FetchOptions undeclared;
    EXPECT_EQ(web.FetchPage(Url("/utf8-undeclared"), undeclared), "中文😀");
    EXPECT_EQ(undeclared.bodyMode, 0);

    FetchOptions raw{.bodyMode = -1};
    EXPECT_EQ(web.FetchPage(Url("/utf8-declared"), raw), "中文😀");
}

TEST_F(FetchPageTest, GzipBodiesAndSizeLimits) {
    EXPECT_EQ(web.FetchPage(Url("/gzip")), Gbk("<html><title>中文</title></html>"));
    EXPECT_EQ(web.FetchPage(Url("/bomb")), "");
    EXPECT_EQ(web.FetchPage(Url("/huge")), "");
    EXPECT_EQ(web.FetchPage(Url("/huge-length")), "");
    EXPECT_EQ(web.FetchPage(Url("/echo")), "echo GET");
}

TEST_F(FetchPageTest, ProgramTextInTheAddress) {
    EXPECT_EQ(web.FetchPage(Url("/path/") + Gbk("中文") + "?w=" + Gbk("词")), "path");
    EXPECT_EQ(server.Last().path, "/path/中文");
    EXPECT_EQ(server.Last().target, "/path/%E4%B8%AD%E6%96%87?w=%E8%AF%8D");
}

TEST_F(FetchPageTest, SharedResultPageOverLoopback) {
    if (test::ReadSharedFixture("result-page-python.html").empty())
        GTEST_SKIP() << "shared result page not present";
    const std::string page = web.FetchPage(Url("/page"));
    EXPECT_EQ(TextBetween(page, "<title>", "</title>"), Gbk("Python_百度搜索"));
}

// A proxy on loopback that answers every request itself; with credentials
// set it asks for them first.
class ProxyTest : public ServedTest {
protected:
    ProxyTest() {
        auto answer = [this](const httplib::Request& request, httplib::Response& response) {
            proxy.Record(request);
            if (requireAuth && !request.has_header("Proxy-Authorization")) {
                response.status = 407;
                response.set_header("Proxy-Authenticate", "Basic realm=\"test\"");
                response.set_content("proxy wants credentials", "text/plain");
                return;
            }
            response.set_content("via proxy", "text/plain");
        };
        proxy.http.Get(".*", answer);
        proxy.http.Post(".*", answer);
        proxy.Start();
    }
    bool requireAuth = false;
    test::TestServer proxy;
    WebClient client; // destroyed before the proxy
};

TEST_F(ProxyTest, GivenProxyGetsTheAbsoluteRequestLine) {
    EXPECT_EQ(client.FetchPage("http://example.invalid/page?q=1", {.proxy = proxy.HostPort()}), "via proxy");
    EXPECT_EQ(proxy.Last().target, "http://example.invalid/page?q=1");
    EXPECT_EQ(proxy.Last().Header("Host"), "example.invalid");
}

TEST_F(ProxyTest, ProxyCredentialsFromThreePieces) {
    requireAuth = true;
    struct Case {
        std::string proxy, page, authorization;
    };
    const Case cases[] = {
        {proxy.HostPort() + ",user,secret", "via proxy", "Basic dXNlcjpzZWNyZXQ="},
        {proxy.HostPort() + ",user,secret,ignored", "via proxy", "Basic dXNlcjpzZWNyZXQ="},
        {proxy.HostPort() + ",user", "proxy wants credentials", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(client.FetchPage("http://example.invalid/", {.proxy = c.proxy}), c.page) << c.proxy;
        EXPECT_EQ(proxy.Last().Header("Proxy-Authorization"), c.authorization) << c.proxy;
    }
}

TEST_F(ProxyTest, ProxyChoice) {
    test::ScopedEnv variable("http_proxy", proxy.Url("").c_str());
    struct Case {
        const char* name;
        std::optional<std::string> proxy;
        bool viaProxy;
    };
    const Case cases[] = {
        {"not given: the environment is not used", std::nullopt, false},
        {"-1: no proxy call", "-1", false},
        {"empty: the default configuration, direct", "", false},
        {"IE: the user's proxy from http_proxy", "IE", true},
    };
    for (const Case& c : cases) {
        const std::size_t before = proxy.Requests().size();
        EXPECT_EQ(client.FetchPage(Url("/echo"), {.proxy = c.proxy}), c.viaProxy ? "via proxy" : "echo GET") << c.name;
        EXPECT_EQ(proxy.Requests().size(), before + (c.viaProxy ? 1 : 0)) << c.name;
    }
    EXPECT_EQ(proxy.Last().target, Url("/echo"));

    // A proxy given for one fetch does not stay for the next.
    client.FetchPage(Url("/echo"), {.proxy = "IE"});
    EXPECT_EQ(client.FetchPage(Url("/echo"), {.proxy = "-1"}), "echo GET");

    test::ScopedEnv bypass("no_proxy", "127.0.0.1");
    EXPECT_EQ(client.FetchPage(Url("/echo"), {.proxy = "IE"}), "echo GET");
}

TEST_F(ProxyTest, IeWithoutASystemProxyGoesDirect) {
    EXPECT_EQ(client.FetchPage(Url("/echo"), {.proxy = "IE"}), "echo GET");
    EXPECT_TRUE(proxy.Requests().empty());
}

} // namespace
} // namespace lilan
