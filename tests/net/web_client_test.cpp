#include <gtest/gtest.h>

#include <set>

#include "served_test.h"
#include "support/fake_events.h"

namespace lilan {
namespace {

using test::ServedTest;

using WebClientTest = ServedTest;

TEST_F(WebClientTest, OpenNormalisesTheAddressInPlace) {
    std::string url = server.HostPort() + "/echo#part";
    web.Open(url);
    EXPECT_EQ(url, Url("/echo"));
    web.Send(); // synchronous by default: complete on return
    EXPECT_EQ(web.ResponseBody(), "echo GET");
    EXPECT_EQ(web.LastStatus(), 200);
}

TEST_F(WebClientTest, AsynchronousRequestCompletesInWaitForResponse) {
    std::string url = Url("/slow");
    web.Open("GET", url, true);
    web.Send();
    EXPECT_EQ(web.ResponseBody(), "");
    EXPECT_EQ(web.LastStatus(), 0);
    EXPECT_TRUE(web.WaitForResponse(5));
    EXPECT_EQ(web.ResponseBody(), "slow answer");
}

TEST_F(WebClientTest, RefererGetsASchemeOtherHeadersDoNot) {
    std::string url = Url("/echo");
    web.Open(url);
    std::string referer = "example.com/from", cookie = "example.com";
    web.SetRequestHeader("REFERER", referer);
    web.SetRequestHeader("Cookie", cookie);
    std::string injected = "a\r\nX-Injected: 1";
    web.SetRequestHeader("X-Bad", injected);
    web.Send();
    EXPECT_EQ(referer, "http://example.com/from");
    EXPECT_EQ(cookie, "example.com");
    const auto seen = server.Last();
    EXPECT_EQ(seen.Header("Referer"), "http://example.com/from");
    EXPECT_EQ(seen.Header("Cookie"), "example.com");
    EXPECT_FALSE(seen.HasHeader("X-Bad"));
    EXPECT_FALSE(seen.HasHeader("X-Injected"));
}

TEST_F(WebClientTest, TimeoutsTakeResolveForMissingValues) {
    web.SetTimeouts(8000, 0, -1, 30000);
    EXPECT_EQ(web.Timeouts(), (RequestTimeouts{8000, 8000, 8000, 30000}));
    web.SetTimeouts(700);
    EXPECT_EQ(web.Timeouts(), (RequestTimeouts{700, 700, 700, 700}));
}

TEST_F(WebClientTest, SendChoosesTheBody) {
    struct Case {
        std::string text, bytes, sent;
    };
    const Case cases[] = {
        {"a=1&b=2", "", "a=1&b=2"},
        {"", std::string("\x00\x01\xFF", 3), std::string("\x00\x01\xFF", 3)},
        {"text", "bytes", "bytes"},
        {std::string("cut\0here", 8), "", "cut"},
    };
    for (const Case& c : cases) {
        std::string url = Url("/echo");
        web.Open("POST", url);
        web.Send(c.text, c.bytes);
        EXPECT_EQ(web.ResponseBody(), "echo POST");
        EXPECT_EQ(server.Last().body, c.sent);
    }
}

TEST_F(WebClientTest, HeadersAndCookieLinesOfTheLastResponse) {
    std::string url = Url("/set-cookies");
    web.Open(url);
    web.Send();
    EXPECT_NE(web.GetAllResponseHeaders().find("Content-Type: text/plain\r\n"), std::string::npos);
    EXPECT_EQ(web.CollectSetCookieLines(), "Set-Cookie: a=1; Path=/\r\nSet-Cookie: b=2\r\n");
    EXPECT_EQ(web.MergeResponseCookies(), "a=1; Path=/; b=2; ");
}

TEST_F(WebClientTest, ConnectionIsKeptForTheNextRequest) {
    EXPECT_EQ(web.FetchPage(Url("/echo")), "echo GET");
    EXPECT_EQ(web.FetchPage(Url("/echo")), "echo GET");
    const auto seen = server.Requests();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].remotePort, seen[1].remotePort);
}

TEST_F(WebClientTest, ClientWithoutComponentGivesEmptyResults) {
    WebClient none{WebClient::NoComponent{}};
    EXPECT_FALSE(none.HasComponent());
    std::string url = Url("/echo");
    none.Open(url);
    none.Send("x");
    EXPECT_FALSE(none.WaitForResponse(1));
    EXPECT_EQ(none.ResponseBody(), "");
    EXPECT_EQ(none.GetAllResponseHeaders(), "");
    EXPECT_EQ(none.LastStatus(), 0);
    EXPECT_EQ(none.Option(6), 0);
    EXPECT_EQ(none.FetchPage(Url("/echo")), "");
    EXPECT_EQ(none.ProbeLocation(Url("/moved")), "");
    EXPECT_TRUE(server.Requests().empty());

    EXPECT_TRUE(none.CreateComponent());
    EXPECT_EQ(none.FetchPage(Url("/echo")), "echo GET");
}

TEST_F(WebClientTest, ProbeLocationReturnsTheRawLocationWithoutFollowing) {
    EXPECT_EQ(web.ProbeLocation(Url("/moved")), "/echo");
    ASSERT_EQ(server.Requests().size(), 1u);
    const auto seen = server.Last();
    EXPECT_EQ(seen.Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)");
    EXPECT_EQ(seen.Header("Accept-Language"), "zh-cn");
    EXPECT_EQ(seen.Header("Connection"), "Keep-Alive");
    EXPECT_EQ(seen.Header("Accept"), "image/gif, image/x-xbitmap, image/jpeg, imagepeg, "
                                     "application/x-shockwave-flash, application/x-silverlight, */*");
    EXPECT_EQ(web.Timeouts(), (RequestTimeouts{5000, 5000, 10000, 5000}));

    EXPECT_EQ(web.ProbeLocation(Url("/no-location")), "");
    EXPECT_EQ(web.ProbeLocation(server.HostPort() + "/moved"), ""); // no scheme added here
    EXPECT_EQ(WebClient().ProbeLocation(Url("/hop/3")), "/hop/2");

    // The client goes on following redirects.
    EXPECT_EQ(web.Option(6), 1);
    EXPECT_EQ(web.FetchPage(Url("/hop/2")), "arrived");
}

TEST_F(WebClientTest, RedirectsNotFollowedWithOptionSixOff) {
    EXPECT_EQ(web.Option(6, 0L), 0);
    EXPECT_EQ(web.FetchPage(Url("/moved")), "moved away");
    EXPECT_EQ(web.LastStatus(), 302);
    EXPECT_EQ(web.Option(6, 1L), 1);
    EXPECT_EQ(web.FetchPage(Url("/moved")), "echo GET");
}

TEST_F(WebClientTest, WindowEventsRunWhileARequestWaits) {
    for (bool synchronous : {false, true}) {
        test::CountingEventPump pump;
        FetchOptions options;
        options.synchronous = synchronous;
        EXPECT_EQ(web.FetchPage(Url("/slow"), options), "slow answer");
        EXPECT_GE(pump.count, 10) << "synchronous " << synchronous; // 300 ms in 10 ms steps
    }
    test::CountingEventPump pump;
    EXPECT_EQ(web.ProbeLocation(Url("/slow")), "");
    EXPECT_GE(pump.count, 10);
}

// A click that lands while the shared client waits may start another fetch
// on it: that one is refused with an empty result and leaves the running
// request alone. Another client works meanwhile.
TEST_F(WebClientTest, RequestsFromWindowEventsOnTheBusyClientAreRefused) {
    test::CountingEventPump pump;
    std::string inner, innerProbe, otherClient;
    pump.onPump = [&](int n) {
        if (n != 1)
            return;
        inner = web.FetchPage(Url("/echo")) + "|";
        innerProbe = web.ProbeLocation(Url("/moved")) + "|";
        std::string url = Url("/echo");
        web.Open(url);
        web.SetTimeouts(1);
        web.Option(6, 0L);
        EXPECT_TRUE(web.CreateComponent());
        otherClient = WebClient().ProbeLocation(Url("/moved"));
    };
    EXPECT_EQ(web.FetchPage(Url("/slow")), "slow answer");
    EXPECT_EQ(inner, "|");
    EXPECT_EQ(innerProbe, "|");
    EXPECT_EQ(otherClient, "/echo");
    EXPECT_EQ(web.Timeouts(), (RequestTimeouts{10000, 10000, 60000, 120000}));
    EXPECT_EQ(web.Option(6), 1);
    std::multiset<std::string> paths;
    for (const auto& seen : server.Requests())
        paths.insert(seen.path);
    EXPECT_EQ(paths, (std::multiset<std::string>{"/moved", "/slow"}));
}

// A proxy setting lets events run once before the request is sent: the
// client counts as busy there too.
TEST_F(WebClientTest, RequestsFromTheProxyStepsEventsAreRefused) {
    test::CountingEventPump pump;
    std::string inner = "untouched";
    pump.onPump = [&](int n) {
        if (n == 1)
            inner = web.FetchPage(Url("/echo"));
    };
    EXPECT_EQ(web.FetchPage(Url("/slow"), {.proxy = ""}), "slow answer");
    EXPECT_EQ(inner, "");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Last().path, "/slow");
}

} // namespace
} // namespace lilan
