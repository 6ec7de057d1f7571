#include <gtest/gtest.h>

#include <algorithm>

#include "core/app_state.h"
#include "core/event_pump.h"
#include "core/result_page_reader.h"
#include "search_simulator.h"
#include "support/fake_events.h"
#include "support/fake_window.h"
#include "support/gbk.h"

namespace lilan {
namespace {

using sim::Fault;
using sim::RankedSite;
using sim::ShowAs;
using test::Gbk;
using test::Utf8;

class TestCaption final : public Caption {
public:
    std::string Text() const override { return text; }
    void SetText(std::string_view value) override {
        text = value;
        history.push_back(text);
    }
    std::string text;
    std::vector<std::string> history;
};

// Records each sleep together with how many requests the simulator had seen.
class RhythmSleeper final : public Sleeper {
public:
    explicit RhythmSleeper(const sim::SearchSimulator& server) : server_(server), previous_(InstallSleeper(this)) {}
    ~RhythmSleeper() override { InstallSleeper(previous_); }
    void SleepMs(int ms) override { sleeps.emplace_back(server_.RequestCount(), ms); }

    // Pause time slept before each search request (and, last, after the
    // final one), counting only "/s?" requests.
    std::vector<long long> BeforeSearches(const std::vector<std::string>& log) const {
        std::vector<int> searchesBefore(log.size() + 1, 0);
        for (std::size_t i = 0; i < log.size(); ++i)
            searchesBefore[i + 1] = searchesBefore[i] + (log[i].find("/s?") != std::string::npos ? 1 : 0);
        std::vector<long long> out(static_cast<std::size_t>(searchesBefore.back()) + 1, 0);
        for (const auto& [seen, ms] : sleeps)
            out[static_cast<std::size_t>(searchesBefore[static_cast<std::size_t>(seen)])] += ms;
        return out;
    }
    std::vector<std::pair<int, int>> sleeps;

private:
    const sim::SearchSimulator& server_;
    Sleeper* previous_;
};

constexpr const char* kSite = "http://site-a.example";

class QueryRunTest : public ::testing::Test {
protected:
    void Start() {
        sleeper.reset();
        server = std::make_unique<sim::SearchSimulator>(config);
        const int port = server->Start();
        ASSERT_GT(port, 0);
        app.deployment.searchHost = "127.0.0.1:" + std::to_string(port);
        caption.text = Gbk("开始查询");
        sleeper = std::make_unique<RhythmSleeper>(*server);
    }

    // Every row's inclusion search (the address itself) finds the site first.
    void Indexed(const std::string& address = kSite) {
        config.rankings[address].push_back(RankedSite{1, "site-a.example", ShowAs::Shown, ""});
    }
    void Rank(const std::string& word, int position, ShowAs how = ShowAs::Shown, const std::string& title = "") {
        config.rankings[word].push_back(RankedSite{position, "site-a.example", how, title});
    }

    void Run() {
        QueryWindow window{list, options, caption, dialogs};
        RunQuery(app, window);
    }

    int RequestsMatching(const std::string& part) const {
        const auto log = server->RequestLog();
        return static_cast<int>(
            std::count_if(log.begin(), log.end(), [&](const std::string& r) { return r.find(part) != r.npos; }));
    }

    std::string Result(int row = 0) const { return Utf8(list.rows[static_cast<std::size_t>(row)][2]); }

    sim::SimConfig config;
    std::unique_ptr<sim::SearchSimulator> server;
    AppState app;
    test::FakeResultsList list;
    test::FakeOptions options;
    TestCaption caption;
    test::FakeDialogs dialogs;
    test::CountingEventPump pump;
    std::unique_ptr<RhythmSleeper> sleeper;
};

TEST_F(QueryRunTest, PositionsAndForms) {
    struct Case {
        const char* name;
        sim::MarkupStyle style;
        ShowAs how;
        bool descriptive;
        const char* expected;
    };
    const Case cases[] = {
        {"modern shown", sim::MarkupStyle::Modern, ShowAs::Shown, true, "(alpha)第3位 (beta)第25位 (gamma)超出范围"},
        {"modern numeric", sim::MarkupStyle::Modern, ShowAs::Shown, false, "3 25 -1"},
        {"classic shown", sim::MarkupStyle::Classic, ShowAs::Shown, true, "(alpha)第3位 (beta)第25位 (gamma)超出范围"},
        {"trailing slash", sim::MarkupStyle::Classic, ShowAs::ShownSlash, false, "3 25 -1"},
        {"table fallback", sim::MarkupStyle::Table, ShowAs::Shown, false, "3 25 -1"},
        {"mu only", sim::MarkupStyle::Modern, ShowAs::MuOnly, false, "3 25 -1"},
        {"redirect only", sim::MarkupStyle::Classic, ShowAs::RedirectOnly, false, "3 25 -1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        config = {};
        config.style = c.style;
        Indexed();
        Rank("alpha", 3, c.how);
        Rank("beta", 25, c.how);
        Start();
        list.rows = {{Gbk("alpha beta gamma"), kSite, Gbk("旧")}};
        options.descriptive = c.descriptive;
        options.pageLimitText = "2";
        Run();
        EXPECT_EQ(Result(), c.expected);
        EXPECT_EQ(RequestsMatching("word=alpha&pn=20"), 0); // found on page 1: page 2 not asked
        EXPECT_EQ(RequestsMatching("word=beta&pn=20"), 1);
        EXPECT_EQ(RequestsMatching("word=gamma&pn=40"), 0);
        EXPECT_EQ(Utf8(caption.text), "开始查询");
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(Utf8(dialogs.messages[0].text), "查询完毕！");
        EXPECT_EQ(Utf8(list.columnTitles[0]), "关键词");
        EXPECT_EQ(Utf8(list.columnTitles[1]), "网址");
        list = {};
        dialogs = {};
        server.reset();
    }
}

TEST_F(QueryRunTest, RealAddressOnTheEntrySavesLinkRequests) {
    config.rankings[kSite].push_back(RankedSite{1, "site-a.example", ShowAs::MuOnly, ""});
    Rank("alpha", 7, ShowAs::MuOnly);
    Start();
    list.rows = {{"alpha", kSite, ""}};
    Run();
    EXPECT_EQ(Result(), "(alpha)第7位");
    EXPECT_EQ(RequestsMatching("/link"), 0);

    // Without mu (older pages) the same entries need the second pass.
    config.withMu = false;
    server.reset();
    list.rows = {{"alpha", kSite, ""}};
    Start();
    Run();
    EXPECT_EQ(Result(), "未收录"); // mu-only entries show nothing else, and their links give no Location
}

TEST_F(QueryRunTest, InclusionAnswers) {
    struct Case {
        const char* name;
        bool indexed, inclusionOnly, descriptive;
        const char* keywords;
        const char* expected;
    };
    const Case cases[] = {
        {"not indexed", false, false, true, "alpha", "未收录"},
        {"not indexed numeric", false, false, false, "alpha", "0"},
        {"inclusion only", true, true, true, "alpha", "已收录"},
        {"inclusion only numeric", true, true, false, "", "1"},
        {"inclusion only, not indexed", false, true, false, "", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        config = {};
        if (c.indexed)
            Indexed();
        else
            config.emptyWords.insert(kSite);
        Start();
        list.rows = {{Gbk(c.keywords), kSite, ""}};
        options.inclusionOnly = c.inclusionOnly;
        options.descriptive = c.descriptive;
        Run();
        EXPECT_EQ(Result(), c.expected);
        EXPECT_EQ(RequestsMatching("word=alpha"), 0);
        list = {};
        server.reset();
    }
}

TEST_F(QueryRunTest, SkippedRowsKeepTheirText) {
    Indexed();
    Start();
    list.rows = {{"alpha", "", Gbk("旧一")}, {"", kSite, Gbk("旧二")}, {"  ", "  ", Gbk("旧三")}};
    Run();
    EXPECT_EQ(Result(0), "旧一");
    EXPECT_EQ(Result(1), "旧二");
    EXPECT_EQ(Result(2), "旧三");
    EXPECT_EQ(server->RequestCount(), 0);
    EXPECT_EQ(Utf8(dialogs.messages.at(0).text), "查询完毕！");
}

TEST_F(QueryRunTest, EmptyListStillEndsTheRun) {
    Start();
    Run();
    EXPECT_EQ(Utf8(caption.history.at(0)), "停止查询");
    EXPECT_EQ(Utf8(caption.text), "开始查询");
    EXPECT_EQ(Utf8(list.columnTitles[0]), "关键词");
    EXPECT_EQ(Utf8(dialogs.messages.at(0).text), "查询完毕！");
}

TEST_F(QueryRunTest, DoubledSpaceSearchesTheAddress) {
    Indexed();
    Rank("alpha", 3);
    Rank("beta", 4);
    Start();
    list.rows = {{"alpha  beta", kSite, ""}};
    Run();
    EXPECT_EQ(Result(), std::string("(alpha)第3位 (") + kSite + ")第1位 (beta)第4位");
}

TEST_F(QueryRunTest, PageCountOfZeroAsksNoKeywordPage) {
    Indexed();
    Rank("alpha", 3);
    Start();
    list.rows = {{"alpha", kSite, ""}};
    options.pageLimitText = "abc";
    Run();
    EXPECT_EQ(Result(), "(alpha)超出范围");
    EXPECT_EQ(RequestsMatching("word=alpha"), 0);
}

TEST_F(QueryRunTest, RequestRhythm) {
    Indexed();
    Rank("alpha", 25);
    Rank("beta", 2);
    Start();
    list.rows = {{"alpha beta", kSite, ""}};
    options.pageLimitText = "2";
    options.intervalText = "3000";
    Run();
    EXPECT_EQ(Result(), "(alpha)第25位 (beta)第2位");
    // Inclusion, then the interval after the split; alpha page 1, its
    // interval and 50 ms; alpha page 2 (found), beta page 1 right after it,
    // then beta's interval.
    const std::vector<long long> expected = {0, 3000, 3050, 0, 3000};
    EXPECT_EQ(sleeper->BeforeSearches(server->RequestLog()), expected);
}

TEST_F(QueryRunTest, TitleRowOnTheEnginesOwnDomain) {
    // The row's own page is a result page of the simulator, so its title is
    // "zzz_百度搜索"; entries carrying that title match without any link.
    const std::string title = "zzz_百度搜索";
    config.rankings[title].push_back(RankedSite{2, "other.example", ShowAs::TitleOnly, title});
    config.rankings["alpha"].push_back(RankedSite{4, "other.example", ShowAs::TitleOnly, title});
    Start();
    app.deployment.ownDomain = "127.0.0.1";
    const std::string address = "http://" + app.deployment.searchHost + "/s?rn=20&word=zzz&pn=0";
    list.rows = {{"alpha beta", address, ""}};
    Run();
    EXPECT_EQ(Result(), "(alpha)第4位 (beta)超出范围");
    EXPECT_EQ(RequestsMatching("/link"), 0);
    EXPECT_EQ(Utf8(app.echoedTitle), title);
    EXPECT_EQ(list.rows[0][1], address);
}

TEST_F(QueryRunTest, UnreadablePagesAreFailuresNotAbsence) {
    struct Case {
        const char* fault;
        bool onInclusion;
        bool descriptive;
        const char* expected;
    };
    const Case cases[] = {
        {"verify", true, true, "查询失败"},   {"500", true, false, "-2"},
        {"empty", true, true, "查询失败"},    {"reset", true, true, "查询失败"},
        {"stall-body", true, true, "查询失败"},
        {"verify", false, true, "(fault-verify-k)查询失败 (alpha)第3位"},
        {"500", false, false, "-2 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        config = {};
        config.stallMs = 300; // a stall drops the connection quickly
        const std::string word = std::string("fault-") + c.fault + "-k";
        if (c.onInclusion)
            config.wordFaults[kSite] = *sim::ParseFault(c.fault);
        else
            Indexed();
        Rank("alpha", 3);
        Start();
        list.rows = {{c.onInclusion ? "alpha" : word + " alpha", kSite, ""}};
        options.descriptive = c.descriptive;
        options.pageLimitText = "3";
        Run();
        EXPECT_EQ(Result(), c.expected);
        if (!c.onInclusion) {
            EXPECT_EQ(RequestsMatching("word=" + word + "&pn=0"), 3); // three attempts
            EXPECT_EQ(RequestsMatching("word=" + word + "&pn=20"), 0); // then no more paging
        }
        list = {};
        server.reset();
    }
}

TEST_F(QueryRunTest, StopDuringPagingFinishesTheKeyword) {
    Indexed();
    Start();
    list.rows = {{"alpha beta", kSite, ""}, {"gamma", kSite, ""}};
    options.pageLimitText = "3";
    bool clicked = false;
    pump.onPump = [&](int) {
        if (!clicked && Utf8(caption.text).rfind("alpha(", 0) == 0) {
            clicked = true;
            QueryWindow window{list, options, caption, dialogs};
            RunQuery(app, window); // the second click
        }
    };
    Run();
    EXPECT_TRUE(clicked);
    EXPECT_NE(std::find(caption.history.begin(), caption.history.end(), Gbk("停止中")), caption.history.end());
    EXPECT_EQ(Result(0), "(alpha)超出范围");
    EXPECT_EQ(RequestsMatching("word=alpha&pn=40"), 1); // the keyword's pages ran to their end
    EXPECT_EQ(RequestsMatching("word=beta"), 0);
    EXPECT_EQ(list.rows[1][2], "");
    EXPECT_EQ(Utf8(caption.text), "开始查询");
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST(ReadResultPage, SearchUrl) {
    EXPECT_EQ(SearchUrl("h", Gbk("关键词"), 1), "http://h/s?rn=20&word=%E5%85%B3%E9%94%AE%E8%AF%8D&pn=0");
    EXPECT_EQ(SearchUrl("h", "a b", 3), "http://h/s?rn=20&word=a%20b&pn=40");
    EXPECT_EQ(SearchUrl("h", "x", 0), "http://h/s?rn=20&word=x&pn=0");
    EXPECT_EQ(SearchUrl("h", "x", -4), "http://h/s?rn=20&word=x&pn=0");
}

} // namespace
} // namespace lilan
