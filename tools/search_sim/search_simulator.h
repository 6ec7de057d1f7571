#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sim_config.h"

namespace lilan::sim {

// A local stand-in for the search engine: answers "/s?rn=20&word=...&pn=..."
// with generated result pages and "/link?url=TOKEN" with the redirect to the
// entry's real address, and can misbehave in the ways of SimConfig's faults.
// Usable in-process by tests; the server runs on its own threads.
class SearchSimulator {
public:
    explicit SearchSimulator(SimConfig config);
    ~SearchSimulator();
    SearchSimulator(const SearchSimulator&) = delete;
    SearchSimulator& operator=(const SearchSimulator&) = delete;

    // Binds config.host (127.0.0.1 unless set otherwise), on config.port or an
    // ephemeral port when it is 0, and starts serving. Returns the port, or -1
    // when the address cannot be bound. Start on a running simulator returns its port.
    int Start();
    // Wakes every stalled or delayed answer, closes the listener and joins the
    // server's threads. Safe to call twice; the destructor calls it.
    void Stop();

    int Port() const;
    const SimConfig& Config() const;

    // Requests seen so far, each "METHOD path?query" as it arrived, in order.
    int RequestCount() const;
    std::vector<std::string> RequestLog() const;
    void ClearRequestLog();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace lilan::sim
