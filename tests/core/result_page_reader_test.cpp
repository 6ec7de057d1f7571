#include <gtest/gtest.h>

#include <httplib.h>

#include <thread>

#include "core/app_state.h"
#include "core/result_page_reader.h"
#include "support/fake_events.h"
#include "support/fake_window.h"
#include "support/gbk.h"

namespace lilan {
namespace {

class TestCaption final : public Caption {
public:
    std::string Text() const override { return text; }
    void SetText(std::string_view value) override { text = value; }
    std::string text;
};

// Serves one fixed page for every search.
class PageServer {
public:
    explicit PageServer(std::string page) : page_(std::move(page)) {
        server_.Get("/s", [this](const httplib::Request&, httplib::Response& res) {
            ++searches;
            res.set_content(page_, "text/html; charset=utf-8");
        });
        port = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~PageServer() {
        server_.stop();
        thread_.join();
    }
    int port = -1;
    std::atomic<int> searches{0};

private:
    std::string page_;
    httplib::Server server_;
    std::thread thread_;
};

// The saved real result page: entries are found by one of several class
// names, shown addresses hold <b> highlights and style blocks, today's
// entries carry their real address in "mu".
TEST(ReadResultPage, RealResultPage) {
    const std::string page = test::ReadSharedFixture("result-page-python.html");
    if (page.empty())
        GTEST_SKIP() << "shared result page not present";
    PageServer server(page);
    ASSERT_GT(server.port, 0);
    AppState app;
    app.deployment.searchHost = "127.0.0.1:" + std::to_string(server.port);
    test::FakeOptions options;
    TestCaption caption;
    test::CountingEventPump pump;
    ReaderContext context{app, options, caption};

    struct Case {
        const char* address;
        int position;
    };
    // Each address is found in the first pass, so no result link (on the
    // real engine's host) is ever followed.
    for (const Case& c : {Case{"www.python.org", 2}, Case{"http://www.python.org/getit/", 3},
                          Case{"c.biancheng.net/python/", 9}, Case{"https://baike.baidu.com/item/Python/407313", 1},
                          Case{"http://3108.lightapp.baidu.com/Python", 10}}) {
        std::string keyword = "python";
        EXPECT_EQ(ReadResultPage(context, keyword, 1, c.address, "", kModeAddress), c.position) << c.address;
        EXPECT_EQ(caption.text, "python(" + std::to_string(c.position) + ")");
    }
    EXPECT_EQ(server.searches.load(), 5); // one request each: entries were there at once

    // A title row matches by the entry's title and never follows links.
    std::string keyword;
    const std::string title = test::Gbk("Python 基础教程 | 菜鸟教程");
    EXPECT_EQ(ReadResultPage(context, keyword, 1, "x.example", title, kModeTitleInclusion), 4);
    EXPECT_EQ(keyword, title);
    EXPECT_EQ(test::Utf8(app.echoedTitle), "Python");
    options.inclusionOnly = true;
    keyword = "python";
    EXPECT_EQ(ReadResultPage(context, keyword, 1, "c.biancheng.net/python/", "", kModeAddress), 1);
}

TEST(ReadResultPage, PagesWithoutEntries) {
    struct Case {
        const char* name;
        std::string page;
        int expected;
        int attempts;
    };
    const Case cases[] = {
        {"echoed title, no entries", "<html><title>x_百度搜索</title><body>nothing</body></html>", 0, 3},
        {"verification page", "<html><title>百度安全验证</title><body>captcha</body></html>", kPageUnreadable, 3},
        {"empty body", "", kPageUnreadable, 3},
        // An entry whose id is missing or 0 is skipped even when it shows the address.
        {"ids below 1", "<title>x_百度搜索</title><div class=\"result c-container \"><span class=\"g\">a.com</span></div>"
                        "<div class=\"c-container\" id=\"0\"><span class=\"g\">a.com</span></div>", 0, 1},
    };
    for (const Case& c : cases) {
        PageServer server(c.page);
        AppState app;
        app.deployment.searchHost = "127.0.0.1:" + std::to_string(server.port);
        test::FakeOptions options;
        TestCaption caption;
        test::FakeSleeper sleeper;
        ReaderContext context{app, options, caption};
        std::string keyword = "k";
        EXPECT_EQ(ReadResultPage(context, keyword, 1, "a.com", "", kModeAddress), c.expected) << c.name;
        EXPECT_EQ(server.searches.load(), c.attempts) << c.name;
        if (c.attempts == 3) { // 1 to 2 s after each attempt without entries
            EXPECT_GE(sleeper.totalMs, 3000) << c.name;
            EXPECT_LE(sleeper.totalMs, 6030) << c.name;
        }
    }
}

} // namespace
} // namespace lilan
