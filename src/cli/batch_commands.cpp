#include "cli/batch_commands.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cli/batch_window.h"
#include "core/app_state.h"
#include "core/event_pump.h"
#include "lists/list_file.h"
#include "lists/navigation_page.h"
#include "text/code_page.h"
#include "text/text_basics.h"

namespace lilan {
namespace {

constexpr const char* kUsage =
    "usage: lilan-rank-cli check [--host HOST[:PORT]] [--own-domain D] [--pages N] [--interval MS] [--timeout S]\n"
    "                            [--inclusion-only] [--numeric] [--proxy SERVER[,USER,PASSWORD]]\n"
    "                            [--ranked-only] [--encoding gbk|utf-8] [--quiet] LIST [-o OUT]\n"
    "       lilan-rank-cli nav [--always-address] [--new-window] [--unranked-only] [--encoding gbk|utf-8]\n"
    "                          LIST -o PAGE\n";

volatile std::sig_atomic_t interrupts = 0;

void OnInterrupt(int) {
    interrupts = interrupts + 1;
    if (interrupts >= 2)
        _exit(130); // the second Ctrl-C ends at once
}

int Usage(const std::string& problem) {
    if (!problem.empty())
        std::fprintf(stderr, "lilan-rank-cli: %s\n", problem.c_str());
    std::fputs(kUsage, stderr);
    return 2;
}

bool ReadInput(const std::string& path, std::string& bytes) {
    if (path == "-") {
        std::ostringstream data;
        data << std::cin.rdbuf();
        bytes = data.str();
        return !std::cin.bad();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream data;
    data << in.rdbuf();
    bytes = data.str();
    return !in.bad();
}

bool WriteOutput(const std::string& path, const std::string& bytes) {
    if (path.empty() || path == "-") {
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        return std::fflush(stdout) == 0;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    return static_cast<bool>(out);
}

// Whether the output file could be created, checked before a long run.
bool CanWrite(const std::string& path) {
    if (path.empty() || path == "-")
        return true;
    if (access(path.c_str(), F_OK) == 0)
        return access(path.c_str(), W_OK) == 0;
    const auto slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    return access(dir.c_str(), W_OK) == 0;
}

std::string ListBytesToText(std::string bytes, bool utf8) {
    if (!utf8)
        return bytes;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    return Utf8ToGbkText(bytes);
}

// A Ctrl-C is a click on the start button while the run lets events run.
class InterruptPump final : public EventPump {
public:
    InterruptPump(AppState& app, QueryWindow& window) : app_(app), window_(window) {}
    void ProcessPendingEvents() override {
        if (interrupts > 0 && !clicked_) {
            clicked_ = true;
            RunQuery(app_, window_);
        }
    }
    bool Clicked() const { return clicked_; }

private:
    AppState& app_;
    QueryWindow& window_;
    bool clicked_ = false;
};

class Progress {
public:
    Progress(const TableList& list, bool quiet) : list_(list), quiet_(quiet), bar_(isatty(STDERR_FILENO) == 1) {}

    void Moved(int previous, int row) {
        if (quiet_)
            return;
        if (previous >= 0)
            Finished(previous);
        if (row >= 0 && bar_)
            Bar(row);
    }

private:
    void Finished(int row) {
        const std::string line = "[" + std::to_string(row + 1) + "/" + std::to_string(list_.RowCount()) + "] " +
                                 GbkToUtf8Text(list_.CellText(row, kAddressColumn)) + "  " +
                                 GbkToUtf8Text(list_.CellText(row, kResultColumn));
        std::fprintf(stderr, bar_ ? "\r\033[K%s\n" : "%s\n", line.c_str());
    }

    void Bar(int row) {
        constexpr int kWidth = 30;
        const int total = std::max(1, list_.RowCount());
        const int filled = row * kWidth / total;
        std::fprintf(stderr, "\r\033[K[%s%s] %d/%d %s", std::string(static_cast<std::size_t>(filled), '#').c_str(),
                     std::string(static_cast<std::size_t>(kWidth - filled), ' ').c_str(), row + 1, total,
                     GbkToUtf8Text(list_.CellText(row, kAddressColumn)).c_str());
        std::fflush(stderr);
    }

    const TableList& list_;
    bool quiet_;
    bool bar_;
};

struct CommonArgs {
    std::string list;
    std::string out;
    bool utf8 = false;
};

// Takes the options shared by both commands; false with a message on error.
bool TakeCommon(const std::vector<std::string>& args, std::size_t& i, CommonArgs& common, std::string& problem) {
    const std::string& arg = args[i];
    if (arg == "-o") {
        if (i + 1 >= args.size()) {
            problem = "-o needs a file";
            return false;
        }
        common.out = args[++i];
    } else if (arg == "--encoding") {
        if (i + 1 >= args.size() || (args[i + 1] != "gbk" && args[i + 1] != "utf-8")) {
            problem = "--encoding takes gbk or utf-8";
            return false;
        }
        common.utf8 = args[++i] == "utf-8";
    } else if (arg.size() > 1 && arg[0] == '-') {
        problem = "unknown option " + arg;
        return false;
    } else if (common.list.empty()) {
        common.list = arg;
    } else {
        problem = "more than one list file";
        return false;
    }
    return true;
}

bool ImportInto(const CommonArgs& common, TableList& list) {
    std::string bytes;
    if (!ReadInput(common.list, bytes)) {
        std::fprintf(stderr, "lilan-rank-cli: cannot read %s\n", common.list.c_str());
        return false;
    }
    ImportListText(ListBytesToText(std::move(bytes), common.utf8), list);
    return true;
}

int Check(const std::vector<std::string>& args) {
    AppState app;
    BatchOptions options;
    CommonArgs common;
    bool quiet = false;
    std::string problem;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) {
                problem = arg + " needs a value";
                return false;
            }
            into = args[++i];
            return true;
        };
        bool ok = true;
        if (arg == "--host")
            ok = value(app.deployment.searchHost);
        else if (arg == "--own-domain")
            ok = value(app.deployment.ownDomain);
        else if (arg == "--timeout") {
            std::string seconds;
            ok = value(seconds);
            app.deployment.requestTimeoutSeconds = static_cast<int>(std::clamp<long long>(ToInteger(seconds), 0, 3600));
        } else if (arg == "--pages")
            ok = value(options.pages);
        else if (arg == "--interval")
            ok = value(options.interval);
        else if (arg == "--proxy")
            ok = (options.useProxy = value(options.proxy));
        else if (arg == "--inclusion-only")
            options.inclusionOnly = true;
        else if (arg == "--numeric")
            options.descriptive = false;
        else if (arg == "--ranked-only")
            options.rankedOnly = true;
        else if (arg == "--quiet")
            quiet = true;
        else
            ok = TakeCommon(args, i, common, problem);
        if (!ok)
            return Usage(problem);
    }
    if (common.list.empty())
        return Usage("no list file");
    options.proxy = Utf8ToGbkText(options.proxy);

    TableList list;
    if (!ImportInto(common, list))
        return 1;
    if (!CanWrite(common.out)) {
        std::fprintf(stderr, "lilan-rank-cli: cannot write %s\n", common.out.c_str());
        return 1;
    }

    TextCaption startButton;
    startButton.SetText(Cp936("开始查询"));
    BatchDialogs dialogs(true);
    QueryWindow window{list, options, startButton, dialogs};
    Progress progress(list, quiet);
    list.onRowSelected = [&](int previous, int row) { progress.Moved(previous, row); };

    InterruptPump pump(app, window);
    EventPump* previousPump = InstallEventPump(&pump);
    interrupts = 0;
    auto previousHandler = std::signal(SIGINT, OnInterrupt);
    RunQuery(app, window);
    std::signal(SIGINT, previousHandler);
    InstallEventPump(previousPump);
    list.SelectRow(-1); // reports the last row

    std::string text = ExportListText(list, options.rankedOnly);
    if (common.utf8)
        text = GbkToUtf8Text(text);
    if (!WriteOutput(common.out, text)) {
        std::fprintf(stderr, "lilan-rank-cli: cannot write %s\n", common.out.c_str());
        return 1;
    }
    return pump.Clicked() ? 130 : 0;
}

int Nav(const std::vector<std::string>& args) {
    BatchOptions options;
    CommonArgs common;
    std::string problem;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--always-address")
            options.alwaysAddress = true;
        else if (arg == "--new-window")
            options.newWindow = true;
        else if (arg == "--unranked-only")
            options.unrankedOnly = true;
        else if (!TakeCommon(args, i, common, problem))
            return Usage(problem);
    }
    if (common.list.empty())
        return Usage("no list file");
    if (common.out.empty() || common.out == "-")
        return Usage("nav needs -o PAGE");
    TableList list;
    if (!ImportInto(common, list))
        return 1;
    const std::string page = BuildNavigationPage(list, options, PageTitleFromPath(Utf8ToGbkText(common.out)));
    if (!WriteOutput(common.out, page)) {
        std::fprintf(stderr, "lilan-rank-cli: cannot write %s\n", common.out.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int RunBatch(const std::vector<std::string>& args) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        if (args.empty())
            return Usage("");
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args[0] == "check")
        return Check(args);
    if (args[0] == "nav")
        return Nav(args);
    return Usage("unknown command " + args[0]);
}

} // namespace lilan
