#pragma once

#include <functional>

#include "core/event_pump.h"

namespace lilan::test {

// Counts pumps and can run a callback from inside one (a click that arrives
// while long work lets events run). Installs itself for its lifetime.
class CountingEventPump final : public EventPump {
public:
    CountingEventPump();
    ~CountingEventPump() override;
    void ProcessPendingEvents() override;

    int count = 0;
    std::function<void(int)> onPump; // receives the pump's 1-based number

private:
    EventPump* previous_;
};

// Sleeps nothing; adds up what was asked. Installs itself for its lifetime.
class FakeSleeper final : public Sleeper {
public:
    FakeSleeper();
    ~FakeSleeper() override;
    void SleepMs(int ms) override;

    long long totalMs = 0;
    int sleeps = 0;

private:
    Sleeper* previous_;
};

} // namespace lilan::test
