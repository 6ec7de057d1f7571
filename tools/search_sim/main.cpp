#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <string_view>

#include "search_simulator.h"

namespace {

constexpr const char* kUsage =
    "usage: lilan-search-sim [options]\n"
    "  --port N              port to listen on (default: an ephemeral port)\n"
    "  --host ADDRESS        address to bind (default 127.0.0.1)\n"
    "  --rankings FILE       which site stands where (see README.md)\n"
    "  --style STYLE         modern (default), classic or table\n"
    "  --no-mu               leave the mu attribute off modern entries\n"
    "  --encoding ENC        utf-8 (default) or gbk\n"
    "  --bare-content-type   send Content-Type without charset (the meta tag decides)\n"
    "  --gzip                gzip every page\n"
    "  --gzip-when-accepted  gzip pages only for requests accepting gzip\n"
    "  --link-script         result links answer with a script page instead of Location\n"
    "  --fault MODE          verify, stall, stall-body, reset, 500, empty, gzip-bomb, huge,\n"
    "                        redirect-loop, bad-location, link-stall, link-reset, link-500\n"
    "  --empty-word WORD     WORD gets a page without entries (may be repeated)\n"
    "  --delay-ms N          answer every request N ms late\n"
    "  --size-kb N           pad result pages to N KiB\n"
    "  --pages-per-word N    result pages each word has (default 5)\n"
    "  --stall-ms N          longest stall before the connection is dropped (default 30000)\n"
    "  --verbose             log each request to stderr\n";

int Fail(const std::string& message) {
    std::cerr << "lilan-search-sim: " << message << "\n" << kUsage;
    return 2;
}

bool ReadNumber(const char* text, int low, int high, int& out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < low || value > high)
        return false;
    out = static_cast<int>(value);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    using namespace lilan::sim;
    SimConfig config;
    std::string rankings;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const auto number = [&](int low, int high, int& out) {
            const char* text = value();
            return text && ReadNumber(text, low, high, out);
        };
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--port") {
            if (!number(0, 65535, config.port))
                return Fail("--port needs a number from 0 to 65535");
        } else if (arg == "--host") {
            const char* host = value();
            if (!host || !*host)
                return Fail("--host needs an address");
            config.host = host;
        } else if (arg == "--rankings") {
            const char* file = value();
            if (!file)
                return Fail("--rankings needs a file");
            rankings = file;
        } else if (arg == "--style") {
            const char* name = value();
            const auto style = name ? ParseStyle(name) : std::nullopt;
            if (!style)
                return Fail("--style must be modern, classic or table");
            config.style = *style;
        } else if (arg == "--no-mu") {
            config.withMu = false;
        } else if (arg == "--encoding") {
            const char* name = value();
            const std::string_view enc = name ? name : "";
            if (enc == "gbk" || enc == "GBK")
                config.encoding = PageEncoding::Gbk;
            else if (enc == "utf-8" || enc == "UTF-8" || enc == "utf8")
                config.encoding = PageEncoding::Utf8;
            else
                return Fail("--encoding must be utf-8 or gbk");
        } else if (arg == "--bare-content-type") {
            config.charsetInHeader = false;
        } else if (arg == "--gzip") {
            config.gzip = GzipMode::Always;
        } else if (arg == "--gzip-when-accepted") {
            config.gzip = GzipMode::WhenAccepted;
        } else if (arg == "--link-script") {
            config.linkScript = true;
        } else if (arg == "--fault") {
            const char* name = value();
            const auto fault = name ? ParseFault(name) : std::nullopt;
            if (!fault)
                return Fail("unknown --fault mode");
            config.fault = *fault;
        } else if (arg == "--empty-word") {
            const char* word = value();
            if (!word || !*word)
                return Fail("--empty-word needs a word");
            config.emptyWords.insert(word);
        } else if (arg == "--delay-ms") {
            if (!number(0, 600000, config.delayMs))
                return Fail("--delay-ms needs a number from 0 to 600000");
        } else if (arg == "--size-kb") {
            if (!number(0, 65536, config.sizeKb))
                return Fail("--size-kb needs a number from 0 to 65536");
        } else if (arg == "--pages-per-word") {
            if (!number(0, 1000, config.pagesPerWord))
                return Fail("--pages-per-word needs a number from 0 to 1000");
        } else if (arg == "--stall-ms") {
            if (!number(0, 3600000, config.stallMs))
                return Fail("--stall-ms needs a number from 0 to 3600000");
        } else if (arg == "--verbose") {
            verbose = true;
        } else {
            return Fail("unknown option " + std::string(arg));
        }
    }
    if (!rankings.empty()) {
        std::string error;
        if (!LoadRankingsFile(rankings, config, error)) {
            std::cerr << "lilan-search-sim: " << error << "\n";
            return 2;
        }
    }
    if (verbose) {
        config.onRequest = [](const std::string& line) {
            static std::mutex mutex;
            std::lock_guard lock(mutex);
            std::cerr << line << std::endl;
        };
    }

    // Server threads inherit the blocked signals, so only sigwait below sees them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    const std::string host = config.host;
    SearchSimulator simulator(std::move(config));
    const int port = simulator.Start();
    if (port < 0) {
        std::cerr << "lilan-search-sim: cannot listen on " << host << "\n";
        return 1;
    }
    std::cout << "listening on " << host << ":" << port << std::endl;
    int received = 0;
    sigwait(&signals, &received);
    simulator.Stop();
    return 0;
}
