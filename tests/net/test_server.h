#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <httplib.h>

namespace lilan::test {

// An HTTP server on 127.0.0.1 and an ephemeral port, run on its own thread
// from Start() until destruction. Handlers call Record to keep what they saw.
class TestServer {
public:
    struct Seen {
        std::string method, path, target, body;
        httplib::Headers headers; // without the server's own REMOTE_ADDR and such
        int remotePort = 0;
        std::string Header(const char* name) const;
        bool HasHeader(const char* name) const;
    };

    TestServer();
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    void Start();
    int Port() const { return port_; }
    std::string HostPort() const;                 // "127.0.0.1:port"
    std::string Url(std::string_view path) const; // "http://127.0.0.1:port" + path
    void Record(const httplib::Request& request);
    std::vector<Seen> Requests() const;
    Seen Last() const;
    // Waits up to ms in small steps; false once the server is stopping.
    bool Sleep(int ms) const;

    httplib::Server http;

private:
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    int port_ = -1;
    mutable std::mutex mutex_;
    std::vector<Seen> seen_;
};

// A port whose connections the kernel completes but that nobody ever
// answers: a server that accepts and stays silent.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    int Port() const { return port_; }

private:
    int socket_ = -1;
    int port_ = -1;
};

// Answers one connection with "raw" and keeps the request head exactly as it
// came, for what the server above would not show (empty header values).
class RawRequestCatcher {
public:
    RawRequestCatcher();
    ~RawRequestCatcher();
    RawRequestCatcher(const RawRequestCatcher&) = delete;
    RawRequestCatcher& operator=(const RawRequestCatcher&) = delete;
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    std::string Head(); // waits for the connection to end

private:
    int socket_ = -1;
    int port_ = -1;
    std::thread thread_;
    std::string head_;
};

// A port nothing listens on.
int ClosedPort();

std::string Gzip(std::string_view data);
// gzip of count copies of c, made without holding the plain text.
std::string GzipRepeated(char c, std::size_t count);

// Sets (or, with nullptr, removes) an environment variable for a scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    bool had_ = false;
    std::string old_;
};

// Clears every proxy variable for a scope, so that the machine's own
// settings cannot reach a test.
class NoProxyEnvironment {
public:
    NoProxyEnvironment();

private:
    std::vector<std::unique_ptr<ScopedEnv>> vars_;
};

} // namespace lilan::test
