#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "search_simulator.h"
#include "support/gbk.h"
#include "support/temp_files.h"
#include "run_cli.h"

namespace lilan {
namespace {

using test::Gbk;
using test::Outcome;
using test::RunCli;

class BatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        config.rankings["http://a.example"].push_back({1, "a.example", sim::ShowAs::Shown, ""});
        config.rankings["alpha"].push_back({3, "a.example", sim::ShowAs::Shown, ""});
        config.emptyWords.insert("http://b.example");
    }
    std::string Host() {
        if (!server) {
            server = std::make_unique<sim::SearchSimulator>(config);
            port = server->Start();
        }
        return "127.0.0.1:" + std::to_string(port);
    }
    std::string Path(const std::string& name) const { return dir.Path() + "/" + name; }

    sim::SimConfig config;
    std::unique_ptr<sim::SearchSimulator> server;
    int port = 0;
    test::TempDir dir;
};

TEST_F(BatchTest, ChecksEveryRowAndWritesTheListFormat) {
    test::WriteFileBytes(Path("list.txt"), Gbk("alpha beta,a.example\r\n,b.example,旧\r\n"));
    struct Case {
        std::vector<std::string> options;
        std::string expected;
    };
    const Case cases[] = {
        {{}, Gbk("alpha beta,http://a.example,(alpha)第3位 (beta)超出范围\r\n,http://b.example,旧\r\n")},
        {{"--numeric"}, Gbk("alpha beta,http://a.example,3 -1\r\n,http://b.example,旧\r\n")},
        {{"--numeric", "--ranked-only"}, Gbk("alpha beta,http://a.example,3\r\n,http://b.example,旧\r\n")},
        {{"--inclusion-only"}, Gbk("alpha beta,http://a.example,已收录\r\n,http://b.example,未收录\r\n")},
        {{"--inclusion-only", "--ranked-only"}, Gbk("alpha beta,http://a.example,已收录\r\n")},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"check", "--host", Host(), "--interval", "0", "--quiet"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), {Path("list.txt"), "-o", Path("out.txt")});
        const Outcome outcome = RunCli(args, dir.Path());
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        const auto writtenBytes = test::ReadFileBytes(Path("out.txt"));
        ASSERT_TRUE(writtenBytes);
        const std::string written = *writtenBytes;
        EXPECT_EQ(test::Utf8(written), test::Utf8(c.expected));
    }
}

TEST_F(BatchTest, StandardStreamsAndUtf8) {
    const Outcome outcome = RunCli({"check", "--host", Host(), "--interval", "0", "--numeric", "--encoding", "utf-8",
                                    "-"},
                                   dir.Path(), "\xEF\xBB\xBF" "甲 alpha,a.example\n");
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "甲 alpha,http://a.example,-1 3\r\n");
    EXPECT_NE(outcome.err.find("[1/1] http://a.example"), std::string::npos) << outcome.err; // progress line
}

TEST_F(BatchTest, UsageAndFileErrors) {
    test::WriteFileBytes(Path("list.txt"), "alpha,a.example\r\n");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string errPart;
    };
    const Case cases[] = {
        {{"check", "--bogus", Path("list.txt")}, 2, "usage:"},
        {{"check"}, 2, "usage:"},
        {{"check", "--encoding", "latin1", Path("list.txt")}, 2, "usage:"},
        {{"frobnicate"}, 2, "usage:"},
        {{"nav", Path("list.txt")}, 2, "usage:"},
        {{"check", Path("missing.txt")}, 1, "missing.txt"},
        {{"check", Path("list.txt"), "-o", Path("no/such/dir/out.txt")}, 1, "no/such/dir/out.txt"},
        {{"--help"}, 0, ""},
    };
    for (const Case& c : cases) {
        const Outcome outcome = RunCli(c.args, dir.Path());
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.args[0];
        EXPECT_NE(outcome.err.find(c.errPart), std::string::npos) << outcome.err;
    }
}

TEST_F(BatchTest, InterruptStopsAfterTheKeywordAndKeepsEveryRow) {
    std::string list;
    for (int i = 0; i < 20; ++i)
        list += "alpha,a.example\r\n";
    test::WriteFileBytes(Path("list.txt"), list);
    Host();
    const Outcome outcome =
        RunCli({"check", "--host", Host(), "--interval", "0", "--numeric", "--quiet", Path("list.txt"), "-o",
                Path("out.txt")},
               dir.Path(), {}, [&](pid_t pid) {
                   // Interrupt once the first keyword's page has been asked for.
                   for (int i = 0; i < 500 && server->RequestCount() < 2; ++i)
                       std::this_thread::sleep_for(std::chrono::milliseconds(10));
                   kill(pid, SIGINT);
               });
    EXPECT_EQ(outcome.exitCode, 130) << outcome.err;
    const auto writtenBytes = test::ReadFileBytes(Path("out.txt"));
    ASSERT_TRUE(writtenBytes);
    const std::string written = *writtenBytes;
    const auto lines = static_cast<int>(std::count(written.begin(), written.end(), '\n'));
    EXPECT_EQ(lines, 20); // every row is written, checked or not
    EXPECT_EQ(written.substr(0, 26), "alpha,http://a.example,3\r\n");
    EXPECT_LT(server->RequestCount(), 20);
}

TEST_F(BatchTest, NavigationPage) {
    test::WriteFileBytes(Path("list.txt"), Gbk("红茶 绿茶,a.example,3 -1\r\n"));
    const Outcome outcome = RunCli({"nav", "--new-window", "--unranked-only", Path("list.txt"), "-o", Path("links.htm")},
                                   dir.Path());
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    const auto pageBytes = test::ReadFileBytes(Path("links.htm"));
    ASSERT_TRUE(pageBytes);
    const std::string page = *pageBytes;
    EXPECT_NE(page.find("<title>links</title>"), std::string::npos);
    EXPECT_NE(page.find(Gbk("<ul><a href=\"http://a.example\" target=\"_blank\">绿茶</a></ul>")), std::string::npos);
}

} // namespace
} // namespace lilan
