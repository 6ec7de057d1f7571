#include "test_server.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

namespace lilan::test {

std::string TestServer::Seen::Header(const char* name) const {
    const auto it = headers.find(name);
    return it == headers.end() ? std::string() : it->second;
}

bool TestServer::Seen::HasHeader(const char* name) const {
    return headers.find(name) != headers.end();
}

TestServer::TestServer() {
    http.set_keep_alive_timeout(1);
    http.set_tcp_nodelay(true);
}

TestServer::~TestServer() {
    stopping_ = true;
    if (thread_.joinable()) {
        http.stop();
        thread_.join();
    }
}

void TestServer::Start() {
    port_ = http.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { http.listen_after_bind(); });
    while (!http.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::string TestServer::HostPort() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::string TestServer::Url(std::string_view path) const {
    return "http://" + HostPort() + std::string(path);
}

void TestServer::Record(const httplib::Request& request) {
    Seen seen{request.method, request.path, request.target, request.body, {}, request.remote_port};
    // The server adds these of its own; a client may send a header of the same name.
    const std::pair<const char*, std::string> own[] = {{"REMOTE_ADDR", request.remote_addr},
                                                       {"REMOTE_PORT", std::to_string(request.remote_port)},
                                                       {"LOCAL_ADDR", request.local_addr},
                                                       {"LOCAL_PORT", std::to_string(request.local_port)}};
    for (const auto& [name, value] : request.headers) {
        bool added = false;
        for (const auto& [ownName, ownValue] : own)
            added = added || (name == ownName && value == ownValue);
        if (!added)
            seen.headers.emplace(name, value);
    }
    std::lock_guard lock(mutex_);
    seen_.push_back(std::move(seen));
}

std::vector<TestServer::Seen> TestServer::Requests() const {
    std::lock_guard lock(mutex_);
    return seen_;
}

TestServer::Seen TestServer::Last() const {
    std::lock_guard lock(mutex_);
    return seen_.empty() ? Seen{} : seen_.back();
}

bool TestServer::Sleep(int ms) const {
    for (int waited = 0; waited < ms; waited += 5) {
        if (stopping_)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return !stopping_;
}

namespace {

int BoundSocket(int* port, bool listening) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    if (listening)
        ::listen(s, 16);
    socklen_t length = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    *port = ntohs(address.sin_port);
    return s;
}

} // namespace

SilentListener::SilentListener() {
    socket_ = BoundSocket(&port_, true);
}
SilentListener::~SilentListener() {
    ::close(socket_);
}

RawRequestCatcher::RawRequestCatcher() {
    socket_ = BoundSocket(&port_, true);
    thread_ = std::thread([this] {
        const int connection = ::accept(socket_, nullptr, nullptr);
        if (connection < 0)
            return;
        char buffer[4096];
        while (head_.find("\r\n\r\n") == std::string::npos) {
            const auto n = ::recv(connection, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            head_.append(buffer, static_cast<std::size_t>(n));
        }
        const char answer[] = "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nConnection: close\r\n\r\nraw";
        ::send(connection, answer, sizeof answer - 1, MSG_NOSIGNAL);
        ::close(connection);
    });
}

RawRequestCatcher::~RawRequestCatcher() {
    ::shutdown(socket_, SHUT_RDWR);
    if (thread_.joinable())
        thread_.join();
    ::close(socket_);
}

std::string RawRequestCatcher::Head() {
    if (thread_.joinable())
        thread_.join();
    return head_;
}

int ClosedPort() {
    int port = 0;
    ::close(BoundSocket(&port, false));
    return port;
}

std::string Gzip(std::string_view data) {
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string GzipRepeated(char c, std::size_t count) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    const std::string block(1 << 20, c);
    std::string out;
    char buffer[1 << 16];
    std::size_t left = count;
    int flush = Z_NO_FLUSH;
    do {
        const std::size_t n = std::min(left, block.size());
        left -= n;
        flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(block.data()));
        stream.avail_in = static_cast<uInt>(n);
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            out.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
    } while (flush != Z_FINISH);
    deflateEnd(&stream);
    return out;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
        had_ = true;
        old_ = old;
    }
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
    if (had_)
        ::setenv(name_.c_str(), old_.c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

NoProxyEnvironment::NoProxyEnvironment() {
    for (const char* name :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
        vars_.push_back(std::make_unique<ScopedEnv>(name, nullptr));
}

} // namespace lilan::test
