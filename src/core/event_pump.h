#pragma once

#include <cstdint>

namespace lilan {

// "Let pending window events run". The window, the batch command and the
// tests each install their own pump; long work calls through it so the
// window stays alive while a single thread does everything.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void ProcessPendingEvents() = 0;
};

class NoopEventPump final : public EventPump {
public:
    void ProcessPendingEvents() override {}
};

// The millisecond sleep of PauseWithEvents, replaceable so that tests can
// count pauses without waiting for them.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void SleepMs(int ms) = 0;
};

// Installs the process-wide pump / sleeper; nullptr restores the default
// (no-op pump, real sleep). Returns the previous one.
EventPump* InstallEventPump(EventPump* pump);
Sleeper* InstallSleeper(Sleeper* sleeper);

// Always pumps once.
void LetEventsRun();

namespace detail {
inline constexpr unsigned kCallsPerClockRead = 256;
extern thread_local constinit unsigned callsSinceClockRead;
void LetEventsRunAfterClockRead();
} // namespace detail

// For loops that pump once per byte or per element: pumps at most about every
// few milliseconds, and reads the clock only every few hundred calls. The
// counting stays inline so that a per-byte call costs next to nothing.
inline void LetEventsRunSometimes() {
    if (++detail::callsSinceClockRead < detail::kCallsPerClockRead)
        return;
    detail::LetEventsRunAfterClockRead();
}

// Waits ms milliseconds in 10 ms sleeps, pumping after each; returns at once
// for ms <= 0. Only the sleeps count towards ms. Returns early when cancel
// becomes non-zero.
void PauseWithEvents(int ms, const int& cancel);

} // namespace lilan
