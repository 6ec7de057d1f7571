#include <gtest/gtest.h>

#include <chrono>

#include "net/web_client.h"
#include "support/fake_events.h"
#include "support/gbk.h"
#include "test_server.h"

namespace lilan {
namespace {

using test::Gbk;

constexpr const char* kDefaultAgent =
    "Mozilla/5.0 (Windows NT 6.1) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/30.0.1599.101 Safari/537.36";

class FetchPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.http.Get("/page", [this](const httplib::Request& req, httplib::Response& res) {
            server.Record(req);
            res.set_content("<title>中文</title>", "text/html; charset=utf-8");
        });
        server.http.Post("/page", [this](const httplib::Request& req, httplib::Response& res) {
            server.Record(req);
            res.set_content("posted", "text/plain");
        });
        server.http.Get("/gbk", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(Gbk("国标"), "text/html; charset=gbk");
        });
        server.http.Get("/set", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Set-Cookie", "sid=abc; Path=/");
            res.set_content("set", "text/plain");
        });
        server.http.Get("/redirect", [](const httplib::Request&, httplib::Response& res) {
            res.status = 302;
            res.set_header("Location", "/page");
        });
        server.http.Get("/gzip", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Content-Encoding", "gzip");
            res.set_content(test::Gzip("packed text"), "text/plain");
        });
        server.http.Get("/bomb", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Content-Encoding", "gzip");
            res.set_content(test::GzipRepeated('a', std::size_t{70} << 20), "text/plain");
        });
        server.Start();
    }

    test::NoProxyEnvironment noProxy;
    test::TestServer server;
    WebClient web;
};

TEST_F(FetchPageTest, DefaultGetSendsTheFixedHeadersAndDecodes) {
    EXPECT_EQ(web.FetchPage(server.Url("/page")), Gbk("<title>中文</title>"));
    const auto seen = server.Last();
    EXPECT_EQ(seen.method, "GET");
    EXPECT_EQ(seen.Header("Referer"), server.Url("/page"));
    EXPECT_EQ(seen.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(seen.Header("User-Agent"), kDefaultAgent);
    EXPECT_EQ(web.LastStatus(), 200);
    // A body whose header names GBK is program text already.
    EXPECT_EQ(web.FetchPage(server.Url("/gbk")), Gbk("国标"));
    // An address typed without scheme.
    EXPECT_EQ(web.FetchPage("  " + server.HostPort() + "/page "), Gbk("<title>中文</title>"));
}

TEST_F(FetchPageTest, PostAndHeaderOptions) {
    FetchOptions text;
    text.postText = "a=1";
    EXPECT_EQ(web.FetchPage(server.Url("/page"), text), "posted");
    EXPECT_EQ(server.Last().body, "a=1");

    FetchOptions bytes;
    bytes.postText = "ignored";
    bytes.postBytes = std::string("\x01\x00\x02", 3);
    web.FetchPage(server.Url("/page"), bytes);
    EXPECT_EQ(server.Last().body, std::string("\x01\x00\x02", 3));

    FetchOptions headers;
    headers.referer = "example.org/from";
    headers.extraHeaders = "User-Agent: mine\r\nX-Extra: 1";
    headers.contentType = "text/plain";
    web.FetchPage(server.Url("/page"), headers);
    const auto seen = server.Last();
    EXPECT_EQ(seen.Header("Referer"), "http://example.org/from");
    EXPECT_EQ(seen.Header("User-Agent"), "mine");
    EXPECT_EQ(seen.Header("X-Extra"), "1");
    EXPECT_EQ(seen.Header("Content-Type"), "text/plain");
}

TEST_F(FetchPageTest, Cookies) {
    FetchOptions keep;
    keep.keepCookies = true;
    web.FetchPage(server.Url("/set"), keep);
    EXPECT_NE(web.storedCookies.find("sid=abc"), std::string::npos);
    // The session's cookies go back on later requests of the same client.
    web.FetchPage(server.Url("/page"));
    EXPECT_NE(server.Last().Header("Cookie").find("sid=abc"), std::string::npos);
    FetchOptions none;
    none.cookies = "-1";
    web.FetchPage(server.Url("/page"), none);
    EXPECT_EQ(server.Last().Header("Cookie"), "");
}

TEST_F(FetchPageTest, RedirectsGzipAndLimits) {
    EXPECT_EQ(web.FetchPage(server.Url("/redirect")), Gbk("<title>中文</title>"));
    EXPECT_EQ(web.ProbeLocation(server.Url("/redirect")), "/page");
    EXPECT_EQ(web.ProbeLocation(server.Url("/page")), "");
    EXPECT_EQ(web.FetchPage(server.Url("/gzip")), "packed text");
    EXPECT_EQ(web.FetchPage(server.Url("/bomb")), ""); // inflates past the cap
    EXPECT_EQ(web.FetchPage("http://127.0.0.1:" + std::to_string(test::ClosedPort()) + "/"), "");
}

TEST_F(FetchPageTest, SilentServerEndsAtTheTimeoutWhilePumping) {
    test::SilentListener silent;
    test::CountingEventPump pump;
    FetchOptions options;
    options.timeoutSeconds = 1;
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(web.FetchPage("http://127.0.0.1:" + std::to_string(silent.Port()) + "/", options), "");
    const auto waited = std::chrono::steady_clock::now() - begin;
    EXPECT_LT(waited, std::chrono::seconds(10)); // bounded, not the 120 s default
    EXPECT_GT(pump.count, 10);                   // the window kept running meanwhile
}

TEST_F(FetchPageTest, ProxyGetsTheAbsoluteRequestLine) {
    test::TestServer proxy;
    proxy.http.Get(".*", [&](const httplib::Request& req, httplib::Response& res) {
        proxy.Record(req);
        res.set_content("via proxy", "text/plain");
    });
    proxy.Start();
    FetchOptions options;
    options.proxy = proxy.HostPort();
    EXPECT_EQ(web.FetchPage("http://site.example/x", options), "via proxy");
    EXPECT_EQ(proxy.Last().target, "http://site.example/x");

    test::ScopedEnv env("http_proxy", ("http://" + proxy.HostPort()).c_str());
    FetchOptions system;
    system.proxy = "IE";
    EXPECT_EQ(web.FetchPage("http://other.example/y", system), "via proxy");
    EXPECT_EQ(proxy.Last().target, "http://other.example/y");
    FetchOptions direct;
    direct.proxy = "-1";
    EXPECT_EQ(web.FetchPage(server.Url("/page"), direct), Gbk("<title>中文</title>"));
}

} // namespace
} // namespace lilan
