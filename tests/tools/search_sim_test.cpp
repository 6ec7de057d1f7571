#include <gtest/gtest.h>

#include <httplib.h>
#include <zlib.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "result_page.h"
#include "search_simulator.h"
#include "support/gbk.h"

namespace lilan::sim {
namespace {

std::string Encode(std::string_view text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string SearchPath(std::string_view word, int pn, std::string_view extra = {}) {
    return "/s?rn=20&word=" + Encode(word) + "&pn=" + std::to_string(pn) + std::string(extra);
}

std::string AttributeOf(std::string_view startTag, std::string_view name) {
    for (size_t at = startTag.find(name); at != std::string_view::npos; at = startTag.find(name, at + 1)) {
        const char before = at > 0 ? startTag[at - 1] : ' ';
        if (before != ' ' && before != '\n' && before != '\t')
            continue;
        size_t p = at + name.size();
        while (p < startTag.size() && (startTag[p] == ' ' || startTag[p] == '\n' || startTag[p] == '\t'))
            ++p;
        if (p >= startTag.size() || startTag[p] != '=')
            continue;
        p = startTag.find('"', p);
        const size_t end = startTag.find('"', p + 1);
        return std::string(startTag.substr(p + 1, end - p - 1));
    }
    return {};
}

bool HasClass(std::string_view classes, std::string_view name) {
    size_t p = 0;
    while (p < classes.size()) {
        const size_t end = std::min(classes.find(' ', p), classes.size());
        if (classes.substr(p, end - p) == name)
            return true;
        p = end + 1;
    }
    return false;
}

struct Entry {
    int id = 0;
    std::string startTag;
    std::string markup; // up to the next entry
};

// Entries the way the reader finds them: div elements with class c-container,
// else table elements with class result.
std::vector<Entry> EntriesOf(const std::string& page) {
    std::vector<Entry> found;
    for (const char* tag : {"<div", "<table"}) {
        for (size_t at = page.find(tag); at != std::string::npos; at = page.find(tag, at + 1)) {
            const size_t end = page.find('>', at);
            const std::string startTag = page.substr(at, end - at + 1);
            const std::string classes = AttributeOf(startTag, "class");
            if (!HasClass(classes, std::string(tag) == "<div" ? "c-container" : "result"))
                continue;
            Entry entry;
            entry.startTag = startTag;
            entry.id = std::atoi(AttributeOf(startTag, "id").c_str());
            entry.markup = page.substr(at);
            found.push_back(entry);
        }
        if (!found.empty())
            break;
    }
    for (size_t i = 0; i + 1 < found.size(); ++i)
        found[i].markup.resize(found[i].markup.size() - found[i + 1].markup.size());
    return found;
}

std::string StripTags(std::string text) {
    for (size_t lt = text.find('<'); lt != std::string::npos; lt = text.find('<', lt))
        text.erase(lt, text.find('>', lt) - lt + 1);
    return text;
}

// The first shown address of an entry: span.g, span.c-showurl or a.c-showurl,
// without tags, cut at the first blank.
std::string ShownOf(const std::string& markup) {
    for (const char* open : {"<span", "<a"}) {
        for (size_t at = markup.find(open); at != std::string::npos; at = markup.find(open, at + 1)) {
            const size_t end = markup.find('>', at);
            const std::string classes = AttributeOf(markup.substr(at, end - at + 1), "class");
            const bool wanted = std::string(open) == "<a" ? HasClass(classes, "c-showurl")
                                                          : HasClass(classes, "g") || HasClass(classes, "c-showurl");
            if (!wanted)
                continue;
            const size_t close = markup.find(std::string(open) == "<a" ? "</a>" : "</span>", end);
            std::string text = StripTags(markup.substr(end + 1, close - end - 1));
            for (size_t nb = text.find("&nbsp;"); nb != std::string::npos; nb = text.find("&nbsp;"))
                text.replace(nb, 6, " ");
            text.erase(0, text.find_first_not_of(' '));
            return text.substr(0, text.find(' '));
        }
    }
    return {};
}

std::string FirstHref(const std::string& markup) {
    const size_t a = markup.find("<a");
    return AttributeOf(markup.substr(a, markup.find('>', a) - a + 1), "href");
}

std::string Inflate(const std::string& gz, size_t stopAfter = std::string::npos, size_t* total = nullptr) {
    z_stream zs{};
    inflateInit2(&zs, 15 + 16);
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gz.data()));
    zs.avail_in = static_cast<uInt>(gz.size());
    std::string out;
    size_t count = 0;
    char buffer[1 << 16];
    int rc = Z_OK;
    while (rc == Z_OK && count < stopAfter) {
        zs.next_out = reinterpret_cast<Bytef*>(buffer);
        zs.avail_out = sizeof buffer;
        rc = inflate(&zs, Z_NO_FLUSH);
        const size_t made = sizeof buffer - zs.avail_out;
        count += made;
        if (stopAfter == std::string::npos)
            out.append(buffer, made);
    }
    inflateEnd(&zs);
    if (total)
        *total = count;
    return out;
}

class SearchSimTest : public ::testing::Test {
protected:
    void Start(SimConfig config) {
        sim_ = std::make_unique<SearchSimulator>(std::move(config));
        port_ = sim_->Start();
        ASSERT_GT(port_, 0);
    }
    httplib::Result Get(const std::string& path, const httplib::Headers& headers = {}, int timeoutMs = 3000) {
        httplib::Client client("127.0.0.1", port_);
        client.set_decompress(false);
        client.set_read_timeout(timeoutMs / 1000, (timeoutMs % 1000) * 1000);
        return client.Get(path, headers);
    }
    // Follows a result link as the reader does: one request, no redirects followed.
    httplib::Result GetLink(std::string link) {
        if (link.starts_with("//"))
            link = "http:" + link;
        const std::string origin = "http://127.0.0.1:" + std::to_string(port_);
        EXPECT_TRUE(link.starts_with(origin + "/link?url=")) << link;
        return Get(link.substr(origin.size()));
    }

    std::unique_ptr<SearchSimulator> sim_;
    int port_ = -1;
};

SimConfig RankedConfig() {
    SimConfig config;
    std::string error;
    EXPECT_TRUE(ParseRankings("python\t3\thttps://www.python.org/getit/\n"
                              "python\t22\twww.example.com\tslash\n"
                              "python\t41\thttp://cn.example.org/\n"
                              "中文\t45\thttp://zh.example.net/a.html\n",
                              config, error))
        << error;
    return config;
}

TEST_F(SearchSimTest, ConfiguredSitesStandAtTheirPositionsInEveryStyle) {
    struct Case {
        const char* word;
        int position;
        int pn;
        const char* shown;
        const char* location;
    };
    const Case cases[] = {
        {"python", 3, 0, "www.python.org/getit/", "https://www.python.org/getit/"},
        {"python", 22, 20, "www.example.com/", "http://www.example.com"},
        {"python", 41, 40, "cn.example.org/", "http://cn.example.org/"},
        {"中文", 45, 40, "zh.example.net/a.html", "http://zh.example.net/a.html"},
    };
    Start(RankedConfig());
    for (const char* style : {"modern", "classic", "table"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(style) + " " + c.word + " " + std::to_string(c.position));
            const auto res = Get(SearchPath(c.word, c.pn, std::string("&simstyle=") + style));
            ASSERT_TRUE(res);
            ASSERT_EQ(res->status, 200);
            EXPECT_NE(res->body.find("<title>" + HtmlEscape(c.word) + "_百度搜索</title>"), std::string::npos);
            const std::vector<Entry> entries = EntriesOf(res->body);
            ASSERT_EQ(entries.size(), 20u);
            for (size_t i = 0; i < entries.size(); ++i)
                EXPECT_EQ(entries[i].id, c.pn + 1 + static_cast<int>(i));
            const Entry& hit = entries[static_cast<size_t>(c.position - c.pn - 1)];
            EXPECT_EQ(ShownOf(hit.markup), c.shown);
            const auto link = GetLink(FirstHref(hit.markup));
            ASSERT_TRUE(link);
            EXPECT_EQ(link->status, 302);
            EXPECT_EQ(link->get_header_value("Location"), c.location);
        }
    }
}

TEST_F(SearchSimTest, ModernMarkupHasTheRealPageShape) {
    SimConfig config = RankedConfig();
    std::string error;
    ASSERT_TRUE(
        ParseRankings("python\t5\thttp://www.example.com/a/very/long/path/to/some/article-page.html\n", config, error));
    Start(config);
    const auto res = Get(SearchPath("python", 0));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8");
    const std::string& page = res->body;

    // Shapes the real page shows, where it is at hand, and the simulator must show too.
    const std::string real = test::ReadSharedFixture("result-page-python.html");
    for (const char* marker : {"class=\"result c-container \"", "class=\"result-op c-container xpath-log\"",
                               "href = \"", "class=\"c-showurl ", "_百度搜索</title>", "srcid=\"1599\"",
                               "tpl=\"se_com_default\"", "<!--STATUS OK-->", "www.<b>python</b>.org/"}) {
        SCOPED_TRACE(marker);
        if (!real.empty()) {
            EXPECT_NE(real.find(marker), std::string::npos);
        }
        EXPECT_NE(page.find(marker), std::string::npos);
    }

    const std::vector<Entry> entries = EntriesOf(page);
    ASSERT_EQ(entries.size(), 20u);
    size_t manyClasses = 0, withBreaks = 0, withMu = 0;
    for (const Entry& e : entries) {
        manyClasses += AttributeOf(e.startTag, "class").find(' ') != std::string::npos;
        withBreaks += e.startTag.find('\n') != std::string::npos;
        withMu += e.startTag.find(" mu=\"") != std::string::npos;
    }
    EXPECT_EQ(manyClasses, entries.size());
    EXPECT_GT(withBreaks, 0u);
    EXPECT_GT(withMu, entries.size() / 2); // redirect-only fillers have none
    EXPECT_EQ(AttributeOf(entries[2].startTag, "mu"), "https://www.python.org/getit/");
    EXPECT_NE(entries[2].markup.find("www.<b>python</b>.org/getit/</a>"), std::string::npos);
    EXPECT_EQ(ShownOf(entries[4].markup), "www.example.com/a/very/long/pa...");

    const auto noMu = Get(SearchPath("python", 0, "&simmu=0"));
    ASSERT_TRUE(noMu);
    EXPECT_EQ(noMu->body.find(" mu=\""), std::string::npos);
}

TEST_F(SearchSimTest, EachWayOfShowingTheAddress) {
    struct Case {
        const char* how;
        bool shown;
        bool mu;
        int linkStatus;
        bool location;
    };
    const Case cases[] = {
        {"shown", true, true, 302, true},      {"slash", true, true, 302, true},    {"mu", false, true, 200, false},
        {"redirect", false, false, 302, true}, {"title", false, false, 200, false},
    };
    SimConfig config;
    std::string rankings;
    for (const Case& c : cases)
        rankings += std::string("w-") + c.how + "\t2\thttp://site.example/\t" + c.how + "\t站点 & 标题<1>\n";
    std::string error;
    ASSERT_TRUE(ParseRankings(rankings, config, error)) << error;
    Start(config);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        const auto res = Get(SearchPath(std::string("w-") + c.how, 0));
        ASSERT_TRUE(res);
        const std::vector<Entry> entries = EntriesOf(res->body);
        ASSERT_GE(entries.size(), 2u);
        const Entry& e = entries[1];
        EXPECT_EQ(ShownOf(e.markup).empty(), !c.shown);
        EXPECT_EQ(AttributeOf(e.startTag, "mu") == "http://site.example/", c.mu);
        EXPECT_NE(e.markup.find("站点 &amp; 标题&lt;1&gt;"), std::string::npos);
        const auto link = GetLink(FirstHref(e.markup));
        ASSERT_TRUE(link);
        EXPECT_EQ(link->status, c.linkStatus);
        EXPECT_EQ(link->get_header_value("Location"), c.location ? "http://site.example/" : "");
        EXPECT_EQ(link->body.find("site.example"), std::string::npos);

        const auto script = GetLink(FirstHref(e.markup) + "&simlink=script");
        ASSERT_TRUE(script);
        EXPECT_EQ(script->status, 200);
        EXPECT_FALSE(script->has_header("Location"));
        EXPECT_EQ(script->body.find("location.replace(\"http://site.example/\")") != std::string::npos, c.location);
    }
    const auto bad = Get("/link?url=not*a*token");
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->status, 404);
}

TEST_F(SearchSimTest, GbkPagesCarryGbkBytes) {
    SimConfig config = RankedConfig();
    config.encoding = PageEncoding::Gbk;
    Start(config);
    const auto res = Get(SearchPath("中文", 40));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=gbk");
    EXPECT_NE(res->body.find("content=\"text/html;charset=gbk\""), std::string::npos);
    EXPECT_NE(res->body.find(test::Gbk("<title>中文_百度搜索</title>")), std::string::npos);
    EXPECT_EQ(res->body.find("百度"), std::string::npos); // no UTF-8 left
    const std::vector<Entry> entries = EntriesOf(res->body);
    ASSERT_EQ(entries.size(), 20u);
    EXPECT_EQ(ShownOf(entries[4].markup), "zh.example.net/a.html");
    EXPECT_EQ(entries[4].id, 45);

    sim_->Stop();
    config.charsetInHeader = false;
    Start(config);
    const auto bare = Get(SearchPath("中文", 0));
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->get_header_value("Content-Type"), "text/html");
}

TEST_F(SearchSimTest, GzipFollowsTheMode) {
    struct Case {
        GzipMode mode;
        bool accepts;
        bool gzipped;
    };
    const Case cases[] = {
        {GzipMode::Off, true, false},
        {GzipMode::Always, false, true},
        {GzipMode::WhenAccepted, true, true},
        {GzipMode::WhenAccepted, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode) * 10 + c.accepts);
        SimConfig config = RankedConfig();
        config.gzip = c.mode;
        Start(config);
        httplib::Headers headers;
        if (c.accepts)
            headers.emplace("Accept-Encoding", "gzip, deflate");
        const auto res = Get(SearchPath("python", 0), headers);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->get_header_value("Content-Encoding"), c.gzipped ? "gzip" : "");
        const std::string body = c.gzipped ? Inflate(res->body) : res->body;
        ASSERT_GT(body.size(), 1000u);
        EXPECT_EQ(EntriesOf(body).size(), 20u);
        if (c.gzipped) {
            EXPECT_EQ(res->body.substr(0, 2), "\x1F\x8B");
        }
        sim_->Stop();
    }
}

TEST_F(SearchSimTest, FaultModes) {
    enum Expect { Verify, Status500, EmptyBody, NoResponse, Truncated, Loop, BadLocation, Bomb, Huge };
    struct Case {
        std::string path;
        Expect expect;
    };
    SimConfig config = RankedConfig();
    config.wordFaults["blocked"] = Fault::Verify;
    config.wordFaults["python"] = Fault::BadLocation; // its pages stay readable
    config.stallMs = 5000;
    Start(config);
    const std::string link = FirstHref(EntriesOf(Get(SearchPath("python", 0))->body)[2].markup);
    const std::string origin = "http://127.0.0.1:" + std::to_string(port_);
    const std::string linkPath = link.substr(origin.size());
    const Case cases[] = {
        {SearchPath("blocked", 0), Verify},
        {SearchPath("fault-verify-x", 0), Verify},
        {SearchPath("x", 0, "&simfault=verify"), Verify},
        {SearchPath("fault-500-x", 0), Status500},
        {SearchPath("fault-empty-x", 0), EmptyBody},
        {SearchPath("fault-reset-x", 0), NoResponse},
        {SearchPath("fault-stall-x", 0), NoResponse},
        {SearchPath("fault-stall-body-x", 0), Truncated},
        {SearchPath("fault-redirect-loop-x", 0), Loop},
        {linkPath, BadLocation},
        {linkPath + "&simfault=link-500", Status500},
        {linkPath + "&simfault=link-reset", NoResponse},
        {linkPath + "&simfault=link-stall", NoResponse},
        {SearchPath("fault-gzip-bomb-x", 0), Bomb},
        {SearchPath("fault-huge-x", 0), Huge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        if (c.expect == Huge) {
            httplib::Client client("127.0.0.1", port_);
            size_t received = 0;
            std::string start;
            const auto res = client.Get(c.path, [&](const char* data, size_t size) {
                if (start.size() < 300000)
                    start.append(data, size);
                received += size;
                return true;
            });
            ASSERT_TRUE(res);
            EXPECT_EQ(res->get_header_value("Content-Length"), "52428800");
            EXPECT_EQ(received, 52428800u);
            EXPECT_EQ(EntriesOf(start).size(), 20u);
            continue;
        }
        // Only the silent cases need a short wait; a loaded machine may take
        // longer than that to produce the answered ones (the bomb's body).
        const bool silent = c.expect == NoResponse || c.expect == Truncated;
        const auto res = Get(c.path, {}, silent ? 400 : 10000);
        if (c.expect == NoResponse || c.expect == Truncated) {
            EXPECT_FALSE(res);
            continue;
        }
        ASSERT_TRUE(res);
        switch (c.expect) {
        case Verify:
            EXPECT_EQ(res->status, 200);
            EXPECT_TRUE(EntriesOf(res->body).empty());
            EXPECT_EQ(res->body.find("_百度搜索</title>"), std::string::npos);
            EXPECT_NE(res->body.find("百度安全验证"), std::string::npos);
            break;
        case Status500:
            EXPECT_EQ(res->status, 500);
            EXPECT_FALSE(res->body.empty());
            break;
        case EmptyBody:
            EXPECT_EQ(res->status, 200);
            EXPECT_TRUE(res->body.empty());
            break;
        case Loop: {
            std::string location = res->get_header_value("Location");
            for (int hop = 2; hop <= 4; ++hop) {
                ASSERT_TRUE(location.starts_with(origin + "/s?")) << location;
                const auto next = Get(location.substr(origin.size()));
                ASSERT_TRUE(next);
                EXPECT_EQ(next->status, 302);
                location = next->get_header_value("Location");
                EXPECT_TRUE(location.ends_with("&loop=" + std::to_string(hop))) << location;
            }
            break;
        }
        case BadLocation:
            EXPECT_EQ(res->status, 302);
            EXPECT_FALSE(res->get_header_value("Location").empty());
            EXPECT_FALSE(res->get_header_value("Location").starts_with("http"));
            break;
        case Bomb: {
            EXPECT_EQ(res->get_header_value("Content-Encoding"), "gzip");
            EXPECT_LT(res->body.size(), 256u * 1024);
            size_t inflated = 0;
            Inflate(res->body, 65u * 1024 * 1024, &inflated);
            EXPECT_GT(inflated, 64u * 1024 * 1024);
            break;
        }
        default:
            FAIL();
        }
    }
    // Normal requests still work beside the stalled ones, and stopping does not wait for the stalls.
    const auto normal = Get(SearchPath("python", 0));
    ASSERT_TRUE(normal);
    EXPECT_EQ(EntriesOf(normal->body).size(), 20u);
}

TEST_F(SearchSimTest, SameRequestSameBytesAndPaddingToSize) {
    SimConfig config = RankedConfig();
    Start(config);
    struct Case {
        std::string path;
        size_t size; // 0: natural size
    };
    const Case cases[] = {
        {SearchPath("python", 20), 0},
        {SearchPath("python", 0, "&simsize=370"), 370u * 1024},
        {SearchPath("中文", 0, "&simsize=100&simenc=gbk&simstyle=classic"), 100u * 1024},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto first = Get(c.path);
        const auto second = Get(c.path);
        ASSERT_TRUE(first && second);
        EXPECT_EQ(first->body, second->body);
        if (c.size) {
            EXPECT_EQ(first->body.size(), c.size);
        }
        EXPECT_EQ(EntriesOf(first->body).size(), 20u);
    }
}

TEST_F(SearchSimTest, PageLimitsAndWordsWithoutResults) {
    SimConfig config = RankedConfig();
    config.emptyWords.insert("notindexed.example");
    config.wordPages["short"] = 1;
    Start(config);
    struct Case {
        std::string word;
        int pn;
        size_t entries;
    };
    const Case cases[] = {
        {"python", 80, 20}, {"python", 100, 0},           {"short", 0, 20},
        {"short", 20, 0},   {"notindexed.example", 0, 0}, {"", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word + " " + std::to_string(c.pn));
        const auto res = Get(SearchPath(c.word, c.pn));
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_EQ(EntriesOf(res->body).size(), c.entries);
        EXPECT_NE(res->body.find("<title>" + c.word + "_百度搜索</title>"), std::string::npos);
        if (c.entries == 0) {
            EXPECT_NE(res->body.find("抱歉没有找到"), std::string::npos);
        }
    }
}

TEST_F(SearchSimTest, LogsEveryRequest) {
    std::vector<std::string> seen;
    std::mutex mutex;
    SimConfig config;
    config.onRequest = [&](const std::string& line) {
        std::lock_guard lock(mutex);
        seen.push_back(line);
    };
    Start(config);
    ASSERT_TRUE(Get("/s?rn=20&word=%E4%B8%AD&pn=20"));
    ASSERT_TRUE(Get("/link?url=MQp4"));
    ASSERT_TRUE(Get("/nowhere"));
    const std::vector<std::string> expected = {"GET /s?rn=20&word=%E4%B8%AD&pn=20", "GET /link?url=MQp4",
                                               "GET /nowhere"};
    EXPECT_EQ(sim_->RequestLog(), expected);
    EXPECT_EQ(sim_->RequestCount(), 3);
    EXPECT_EQ(seen, expected);
    sim_->ClearRequestLog();
    EXPECT_EQ(sim_->RequestCount(), 0);

    // A taken port is refused.
    SimConfig taken;
    taken.port = port_;
    SearchSimulator second(taken);
    EXPECT_EQ(second.Start(), -1);
}

TEST(SearchSimRankings, ParsesTheFileFormat) {
    SimConfig config;
    std::string error;
    ASSERT_TRUE(ParseRankings("\xEF\xBB\xBF# comment\r\n"
                              "python\t3\thttps://www.python.org/\r\n"
                              "\n"
                              "python\t7\twww.a.example\ttitle\tA 站\n"
                              "!empty\tnothing\n"
                              "!fault\tblocked\tverify\n"
                              "!pages\tshort\t2\n",
                              config, error))
        << error;
    ASSERT_EQ(config.rankings["python"].size(), 2u);
    EXPECT_EQ(config.rankings["python"][0].address, "https://www.python.org/");
    EXPECT_EQ(config.rankings["python"][1].how, ShowAs::TitleOnly);
    EXPECT_EQ(config.rankings["python"][1].title, "A 站");
    EXPECT_TRUE(config.emptyWords.count("nothing"));
    EXPECT_EQ(config.wordFaults["blocked"], Fault::Verify);
    EXPECT_EQ(config.wordPages["short"], 2);

    struct Bad {
        const char* text;
        const char* error;
    };
    const Bad bad[] = {
        {"w\t0\thttp://a/\n", "line 1: position"},
        {"# ok\nw\tx\thttp://a/\n", "line 2: position"},
        {"w\t1\n", "line 1: expected"},
        {"w\t1\thttp://a b/\n", "line 1: address"},
        {"w\t1\thttp://a/\tsideways\n", "line 1: how"},
        {"w\t1\thttp://a/\nw\t1\thttp://b/\n", "line 2: position 1 of this word given twice"},
        {"!fault\tw\tmelt\n", "line 1: unknown fault"},
        {"!pages\tw\t-1\n", "line 1: page count"},
        {"!other\tw\n", "line 1: unknown directive"},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.text);
        SimConfig fresh;
        std::string message;
        EXPECT_FALSE(ParseRankings(b.text, fresh, message));
        EXPECT_TRUE(message.starts_with(b.error)) << message;
    }
    EXPECT_FALSE(LoadRankingsFile("/nonexistent/rankings.txt", config, error));
}

TEST(SearchSimRankings, FaultChoiceForAWord) {
    SimConfig config;
    config.fault = Fault::Status500;
    config.wordFaults["w"] = Fault::Verify;
    config.wordFaults["fault-reset-w"] = Fault::Verify;
    struct Case {
        const char* word;
        Fault fault;
    };
    const Case cases[] = {
        {"w", Fault::Verify},
        {"other", Fault::Status500},
        {"fault-reset-w", Fault::Reset}, // the word's own prefix wins
        {"fault-stall-body-x", Fault::StallBody},
        {"fault-stall", Fault::Stall},
        {"fault-link-stall-x", Fault::LinkStall},
        {"fault-stallx", Fault::Status500},
        {"fault-melt-x", Fault::Status500},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FaultForWord(config, c.word), c.fault) << c.word;
}

} // namespace
} // namespace lilan::sim
