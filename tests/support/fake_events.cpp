#include "support/fake_events.h"

namespace lilan::test {

CountingEventPump::CountingEventPump() : previous_(InstallEventPump(this)) {}
CountingEventPump::~CountingEventPump() { InstallEventPump(previous_); }

void CountingEventPump::ProcessPendingEvents() {
    ++count;
    if (onPump)
        onPump(count);
}

FakeSleeper::FakeSleeper() : previous_(InstallSleeper(this)) {}
FakeSleeper::~FakeSleeper() { InstallSleeper(previous_); }

void FakeSleeper::SleepMs(int ms) {
    totalMs += ms;
    ++sleeps;
}

} // namespace lilan::test
