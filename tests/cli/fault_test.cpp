#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>

#include "run_cli.h"
#include "search_simulator.h"
#include "support/gbk.h"
#include "support/temp_files.h"

namespace lilan {
namespace {

struct FaultCase {
    const char* mode;
    const char* expected; // result of every row
    int limitSeconds;     // what the timeouts and pauses allow, with room
    const char* alternative = nullptr; // also right for a row (a page that may or may not arrive in time)
};

struct FaultRun {
    test::Outcome outcome;
    std::string written;
    double seconds = 0;
};

// Three rows against a simulator that answers every search with the fault.
FaultRun RunAgainstFault(const FaultCase& c) {
    sim::SimConfig config;
    config.fault = *sim::ParseFault(c.mode);
    config.stallMs = 20000; // longer than the client's 1 s timeout
    sim::SearchSimulator server(config);
    const int port = server.Start();
    test::TempDir dir;
    const std::string list = dir.Path() + "/list.txt", out = dir.Path() + "/out.txt";
    test::WriteFileBytes(list, "alpha,a.example\r\nbeta,b.example\r\n,c.example,old\r\n");
    const auto begin = std::chrono::steady_clock::now();
    FaultRun run;
    run.outcome = test::RunCli({"check", "--host", "127.0.0.1:" + std::to_string(port), "--interval", "0",
                                "--timeout", "1", "--inclusion-only", "--quiet", list, "-o", out},
                               dir.Path());
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    run.written = test::ReadFileBytes(out).value_or("");
    return run;
}

TEST(FaultInjection, EveryRowGetsAnAnswerWithinTheTimeouts) {
    // A failed attempt costs at most the 1 s timeout plus a 2 s pause; three
    // attempts per row, three rows.
    const FaultCase cases[] = {
        {"verify", "查询失败", 30},       {"stall", "查询失败", 40},     {"stall-body", "查询失败", 40},
        {"reset", "查询失败", 30},        {"500", "查询失败", 30},       {"empty", "查询失败", 30},
        {"gzip-bomb", "查询失败", 40},    {"huge", "未收录", 60, "查询失败"},      {"redirect-loop", "查询失败", 40},
        {"bad-location", "未收录", 60},
    };
    std::vector<std::future<FaultRun>> runs;
    for (const FaultCase& c : cases)
        runs.push_back(std::async(std::launch::async, RunAgainstFault, c));
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const FaultCase& c = cases[i];
        SCOPED_TRACE(c.mode);
        const FaultRun run = runs[i].get();
        EXPECT_EQ(run.outcome.exitCode, 0) << run.outcome.err;
        EXPECT_LT(run.seconds, c.limitSeconds);
        // Every row is written, each with an answer.
        const std::string prefixes[] = {"alpha,http://a.example,", "beta,http://b.example,", ",http://c.example,"};
        std::size_t at = 0;
        for (const std::string& prefix : prefixes) {
            const std::size_t end = run.written.find("\r\n", at);
            ASSERT_NE(end, std::string::npos) << run.written;
            const std::string line = run.written.substr(at, end - at);
            ASSERT_EQ(line.compare(0, prefix.size(), prefix), 0) << line;
            const std::string result = line.substr(prefix.size());
            EXPECT_TRUE(result == test::Gbk(c.expected) || (c.alternative && result == test::Gbk(c.alternative)))
                << test::Utf8(result);
            at = end + 2;
        }
        EXPECT_EQ(at, run.written.size());
    }
}

} // namespace
} // namespace lilan
