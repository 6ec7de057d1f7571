#include "search_simulator.h"

#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "result_page.h"

namespace lilan::sim {
namespace {

constexpr size_t kChunk = 64 * 1024;
constexpr size_t kHugeBytes = 50u * 1024 * 1024;
constexpr size_t kBombInflatedBytes = 72u * 1024 * 1024;

int ToInt(const std::string& text, int fallback) {
    if (text.empty())
        return fallback;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str())
        return fallback;
    return static_cast<int>(std::clamp(value, -1000000000L, 1000000000L));
}

int PortOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

// httplib does not hand the connection to a handler; the accepted socket is the
// one whose own port is the request's local port and whose peer is its remote port.
int FindConnectionSocket(const httplib::Request& req) {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int found = -1;
    while (const dirent* item = readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(item->d_name, &end, 10);
        if (end == item->d_name || *end != '\0' || fd == dirfd(dir))
            continue;
        sockaddr_storage local{}, peer{};
        socklen_t localSize = sizeof local, peerSize = sizeof peer;
        if (getsockname(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&local), &localSize) != 0 ||
            getpeername(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0)
            continue;
        if (PortOf(local) == req.local_port && PortOf(peer) == req.remote_port) {
            found = static_cast<int>(fd);
            break;
        }
    }
    closedir(dir);
    return found;
}

bool PeerClosed(int fd) {
    if (fd < 0)
        return false;
    char byte;
    return recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

// Aborts the connection with a reset. The descriptor stays open (httplib still
// owns and closes it) but now names a fresh unconnected socket.
bool ResetConnection(int fd) {
    if (fd < 0)
        return false;
    const linger abort{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    const int spare = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (spare < 0) {
        shutdown(fd, SHUT_RDWR);
        return true;
    }
    dup2(spare, fd);
    close(spare);
    return true;
}

bool AcceptsGzip(const httplib::Request& req) {
    return req.get_header_value("Accept-Encoding").find("gzip") != std::string::npos;
}

// A Host header is echoed into links only when it looks like one.
bool PlainHost(const std::string& host) {
    return !host.empty() && host.size() < 256 && std::all_of(host.begin(), host.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
    });
}

const std::string& CachedGzipBomb() {
    static const std::string bomb = GzipBomb(kBombInflatedBytes);
    return bomb;
}

} // namespace

struct SearchSimulator::Impl {
    SimConfig config;
    std::unique_ptr<httplib::Server> server;
    std::thread thread;
    int port = -1;

    mutable std::mutex logMutex;
    std::vector<std::string> log;

    std::mutex waitMutex;
    std::condition_variable wake;
    bool stopping = false;

    explicit Impl(SimConfig c) : config(std::move(c)) {}

    // Waits ms milliseconds; false when the simulator is stopping.
    bool Pause(int ms) {
        std::unique_lock lock(waitMutex);
        return !wake.wait_for(lock, std::chrono::milliseconds(std::max(ms, 0)), [this] { return stopping; });
    }

    // Holds a request until the simulator stops, the client goes away or the stall limit passes.
    void Stall(int fd) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(config.stallMs);
        while (std::chrono::steady_clock::now() < until && !PeerClosed(fd)) {
            if (!Pause(20))
                return;
        }
    }

    void Record(const httplib::Request& req) {
        const std::string line = req.method + " " + req.target;
        {
            std::lock_guard lock(logMutex);
            log.push_back(line);
        }
        if (config.onRequest)
            config.onRequest(line);
    }

    std::string Origin(const httplib::Request& req) const {
        const std::string host = req.get_header_value("Host");
        return "http://" + (PlainHost(host) ? host : config.host + ":" + std::to_string(port));
    }

    // Bodies go out through a content provider with a length: httplib then sends
    // them as they are, instead of compressing text on its own.
    static void SetBody(httplib::Response& res, std::string body, const std::string& contentType) {
        if (body.empty()) {
            res.set_header("Content-Type", contentType);
            res.set_header("Content-Length", "0");
            return;
        }
        auto data = std::make_shared<std::string>(std::move(body));
        res.set_content_provider(data->size(), contentType,
                                 [data](size_t offset, size_t length, httplib::DataSink& sink) {
                                     return sink.write(data->data() + offset, std::min({length, kChunk}));
                                 });
    }

    void SendPage(const httplib::Request& req, httplib::Response& res, std::string body, PageEncoding encoding) {
        GzipMode gzip = config.gzip;
        if (req.has_param("simgzip")) {
            const std::string mode = req.get_param_value("simgzip");
            gzip = mode == "1" ? GzipMode::Always : mode == "accepted" ? GzipMode::WhenAccepted : GzipMode::Off;
        }
        if (gzip == GzipMode::Always || (gzip == GzipMode::WhenAccepted && AcceptsGzip(req))) {
            body = Gzip(body);
            res.set_header("Content-Encoding", "gzip");
        }
        res.status = 200;
        SetBody(res, std::move(body), ContentType(encoding, config.charsetInHeader));
    }

    void SendError(httplib::Response& res, int status, const char* reason) {
        res.status = status;
        SetBody(res, SmallErrorPage(status, reason), "text/html");
    }

    // The fault for this request: a "simfault" query key wins over the word's own.
    bool ChooseFault(const httplib::Request& req, httplib::Response& res, std::string_view word, Fault& fault) {
        fault = FaultForWord(config, word);
        if (!req.has_param("simfault"))
            return true;
        const auto chosen = ParseFault(req.get_param_value("simfault"));
        if (!chosen) {
            SendError(res, 400, "Bad Request");
            return false;
        }
        fault = *chosen;
        return true;
    }

    // Shared by /s and /link: the delay, then the faults that are about the connection.
    // Returns true when the request has been dealt with.
    bool ConnectionFault(const httplib::Request& req, httplib::Response& res, Fault fault) {
        const int delay = req.has_param("simdelay") ? ToInt(req.get_param_value("simdelay"), 0) : config.delayMs;
        if (delay > 0 && !Pause(delay)) {
            SendError(res, 503, "Service Unavailable");
            return true;
        }
        switch (fault) {
        case Fault::Stall:
        case Fault::LinkStall: {
            const int fd = FindConnectionSocket(req);
            Stall(fd);
            if (!ResetConnection(fd))
                SendError(res, 503, "Service Unavailable");
            return true;
        }
        case Fault::Reset:
        case Fault::LinkReset:
            if (!ResetConnection(FindConnectionSocket(req)))
                SendError(res, 503, "Service Unavailable");
            return true;
        case Fault::Status500:
        case Fault::Link500:
            SendError(res, 500, "Internal Server Error");
            return true;
        default:
            return false;
        }
    }

    PageRequest PageRequestOf(const httplib::Request& req) const {
        PageRequest page;
        page.word = req.get_param_value("word");
        page.pn = ToInt(req.get_param_value("pn"), 0);
        page.rn = ToInt(req.get_param_value("rn"), 10);
        page.origin = Origin(req);
        page.style = config.style;
        if (const auto style = ParseStyle(req.get_param_value("simstyle")))
            page.style = *style;
        page.withMu = req.has_param("simmu") ? req.get_param_value("simmu") != "0" : config.withMu;
        page.encoding = config.encoding;
        if (req.has_param("simenc"))
            page.encoding = req.get_param_value("simenc") == "gbk" ? PageEncoding::Gbk : PageEncoding::Utf8;
        const int sizeKb = req.has_param("simsize") ? ToInt(req.get_param_value("simsize"), 0) : config.sizeKb;
        page.padTo = static_cast<size_t>(std::clamp(sizeKb, 0, 64 * 1024)) * 1024;
        return page;
    }

    void HandleSearch(const httplib::Request& req, httplib::Response& res) {
        PageRequest page = PageRequestOf(req);
        Fault fault;
        if (!ChooseFault(req, res, page.word, fault) || ConnectionFault(req, res, fault))
            return;
        const std::string contentType = ContentType(page.encoding, config.charsetInHeader);
        switch (fault) {
        case Fault::Verify:
            SendPage(req, res, VerifyPage(page.encoding), page.encoding);
            return;
        case Fault::Empty:
            res.status = 200;
            SetBody(res, {}, contentType);
            return;
        case Fault::RedirectLoop: {
            // Each hop adds one to a trailing counter, so no two locations are the same.
            std::string target = req.target;
            int hop = 0;
            if (const size_t at = target.rfind("&loop="); at != std::string::npos) {
                hop = ToInt(target.substr(at + 6), 0);
                target.erase(at);
            }
            res.status = 302;
            res.set_header("Location", Origin(req) + target + "&loop=" + std::to_string(hop + 1));
            SetBody(res, SmallErrorPage(302, "Found"), "text/html");
            return;
        }
        case Fault::GzipBomb: {
            const std::string& bomb = CachedGzipBomb();
            res.status = 200;
            res.set_header("Content-Encoding", "gzip");
            res.set_content_provider(bomb.size(), contentType,
                                     [&bomb](size_t offset, size_t length, httplib::DataSink& sink) {
                                         return sink.write(bomb.data() + offset, std::min({length, size_t{4096}}));
                                     });
            return;
        }
        case Fault::Huge: {
            page.padTo = kHugeBytes;
            auto stream = std::make_shared<PageStream>(MakeResultPageStream(config, page));
            auto sent = std::make_shared<size_t>(0);
            res.status = 200;
            res.set_content_provider(stream->Size(), contentType,
                                     [stream, sent](size_t offset, size_t length, httplib::DataSink& sink) {
                                         if (offset != *sent)
                                             return false; // the stream only goes forward
                                         const std::string part = stream->Next(std::min(length, kChunk));
                                         *sent += part.size();
                                         return !part.empty() && sink.write(part.data(), part.size());
                                     });
            return;
        }
        case Fault::StallBody: {
            auto data = std::make_shared<std::string>(ResultPage(config, page));
            const int fd = FindConnectionSocket(req);
            res.status = 200;
            res.set_content_provider(
                data->size(), contentType, [this, data, fd](size_t offset, size_t length, httplib::DataSink& sink) {
                    const size_t half = data->size() / 2;
                    if (offset < half)
                        return sink.write(data->data() + offset, std::min({length, half - offset, kChunk}));
                    Stall(fd);
                    return false;
                });
            return;
        }
        default:
            SendPage(req, res, ResultPage(config, page), page.encoding);
            return;
        }
    }

    void HandleLink(const httplib::Request& req, httplib::Response& res) {
        const auto target = ReadLinkToken(req.get_param_value("url"));
        if (!target) {
            SendError(res, 404, "Not Found");
            return;
        }
        Fault fault;
        if (!ChooseFault(req, res, target->word, fault) || ConnectionFault(req, res, fault))
            return;
        const SimEntry entry = EntryAt(config, target->word, target->id);
        const bool script = req.has_param("simlink") ? req.get_param_value("simlink") == "script" : config.linkScript;
        res.status = 200;
        if (fault == Fault::BadLocation) {
            res.status = 302;
            res.set_header("Location", "ht!tp:/\\bad location \xFF\xFE%zz%%@@:::/");
            SetBody(res, SmallErrorPage(302, "Found"), "text/html");
        } else if (entry.how == ShowAs::MuOnly || entry.how == ShowAs::TitleOnly) {
            SetBody(res, NoRedirectPage(), "text/html; charset=utf-8");
        } else if (script) {
            SetBody(res, ScriptRedirectPage(entry.address), "text/html; charset=utf-8");
        } else {
            res.status = 302;
            res.set_header("Location", entry.address);
            SetBody(res, SmallErrorPage(302, "Found"), "text/html");
        }
    }
};

SearchSimulator::SearchSimulator(SimConfig config) : impl_(std::make_unique<Impl>(std::move(config))) {}

SearchSimulator::~SearchSimulator() {
    Stop();
}

int SearchSimulator::Start() {
    Impl& s = *impl_;
    if (s.server)
        return s.port;
    {
        std::lock_guard lock(s.waitMutex);
        s.stopping = false;
    }
    s.server = std::make_unique<httplib::Server>();
    httplib::Server& server = *s.server;
    // Stalled answers hold a thread each; keep enough for a test to mix them.
    server.new_task_queue = [] { return new httplib::ThreadPool(16); };
    // httplib's default also sets SO_REUSEPORT, which would let a second simulator
    // share a taken port and split the connections between the two.
    server.set_socket_options([](socket_t sock) {
        const int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server.set_keep_alive_timeout(1);
    server.set_read_timeout(5);
    server.set_write_timeout(5);
    server.set_pre_routing_handler([&s](const httplib::Request& req, httplib::Response&) {
        s.Record(req);
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server.Get("/s", [&s](const httplib::Request& req, httplib::Response& res) { s.HandleSearch(req, res); });
    server.Get("/link", [&s](const httplib::Request& req, httplib::Response& res) { s.HandleLink(req, res); });
    server.Get("/", [&s](const httplib::Request& req, httplib::Response& res) {
        s.SendPage(req, res,
                   "<!DOCTYPE html><html><head><meta http-equiv=\"content-type\" content=\"text/html;charset=utf-8\">"
                   "<title>百度一下，你就知道</title></head><body><form action=\"/s\"><input type=\"hidden\" "
                   "name=\"rn\" value=\"20\"><input name=\"word\"><input type=\"submit\" value=\"百度一下\"></form>"
                   "</body></html>",
                   PageEncoding::Utf8);
    });
    server.set_error_handler([&s](const httplib::Request&, httplib::Response& res) {
        if (res.status == 404 && res.body.empty() && !res.content_provider_)
            s.SendError(res, 404, "Not Found");
    });

    s.port = s.config.port == 0 ? server.bind_to_any_port(s.config.host)
                                : (server.bind_to_port(s.config.host, s.config.port) ? s.config.port : -1);
    if (s.port < 0) {
        s.server.reset();
        return -1;
    }
    s.thread = std::thread([&server] { server.listen_after_bind(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!server.is_running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!server.is_running()) {
        Stop();
        return -1;
    }
    return s.port;
}

void SearchSimulator::Stop() {
    Impl& s = *impl_;
    if (!s.server)
        return;
    {
        std::lock_guard lock(s.waitMutex);
        s.stopping = true;
    }
    s.wake.notify_all();
    s.server->stop();
    if (s.thread.joinable())
        s.thread.join();
    s.server.reset();
}

int SearchSimulator::Port() const {
    return impl_->port;
}

const SimConfig& SearchSimulator::Config() const {
    return impl_->config;
}

int SearchSimulator::RequestCount() const {
    std::lock_guard lock(impl_->logMutex);
    return static_cast<int>(impl_->log.size());
}

std::vector<std::string> SearchSimulator::RequestLog() const {
    std::lock_guard lock(impl_->logMutex);
    return impl_->log;
}

void SearchSimulator::ClearRequestLog() {
    std::lock_guard lock(impl_->logMutex);
    impl_->log.clear();
}

} // namespace lilan::sim
