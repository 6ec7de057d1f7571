#include "core/event_pump.h"

#include <chrono>
#include <thread>

namespace lilan {
namespace {

NoopEventPump noopPump;

class RealSleeper final : public Sleeper {
public:
    void SleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};
RealSleeper realSleeper;

EventPump* currentPump = &noopPump;
Sleeper* currentSleeper = &realSleeper;

constexpr auto kMinPumpGap = std::chrono::milliseconds(5);
thread_local std::chrono::steady_clock::time_point lastPump{};

} // namespace

thread_local constinit unsigned detail::callsSinceClockRead = 0;

EventPump* InstallEventPump(EventPump* pump) {
    EventPump* previous = currentPump;
    currentPump = pump ? pump : &noopPump;
    return previous == &noopPump ? nullptr : previous;
}

Sleeper* InstallSleeper(Sleeper* sleeper) {
    Sleeper* previous = currentSleeper;
    currentSleeper = sleeper ? sleeper : &realSleeper;
    return previous == &realSleeper ? nullptr : previous;
}

void LetEventsRun() {
    lastPump = std::chrono::steady_clock::now();
    currentPump->ProcessPendingEvents();
}

// Hot loops call LetEventsRunSometimes once per byte: that is a counter
// increment, and the clock is looked at only every kCallsPerClockRead calls.
void detail::LetEventsRunAfterClockRead() {
    callsSinceClockRead = 0;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPump < kMinPumpGap)
        return;
    lastPump = now;
    currentPump->ProcessPendingEvents();
}

void PauseWithEvents(int ms, const int& cancel) {
    for (int elapsed = 0; elapsed < ms && cancel == 0; elapsed += 10) {
        currentSleeper->SleepMs(10);
        LetEventsRun();
    }
}

} // namespace lilan
