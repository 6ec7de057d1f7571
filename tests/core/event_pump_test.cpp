#include <gtest/gtest.h>

#include "core/event_pump.h"
#include "support/fake_events.h"

namespace lilan {
namespace {

TEST(PauseWithEvents, SleepsInTenMillisecondSteps) {
    struct Case {
        int ms, sleeps;
    };
    for (const Case c : {Case{25, 3}, Case{30, 3}, Case{10, 1}, Case{1, 1}, Case{0, 0}, Case{-5, 0}}) {
        test::CountingEventPump pump;
        test::FakeSleeper sleeper;
        const int cancel = 0;
        PauseWithEvents(c.ms, cancel);
        EXPECT_EQ(sleeper.sleeps, c.sleeps) << c.ms;
        EXPECT_EQ(sleeper.totalMs, c.sleeps * 10) << c.ms;
        EXPECT_EQ(pump.count, c.sleeps) << c.ms; // one pump after each sleep
    }
}

TEST(PauseWithEvents, CancelFlagEndsThePause) {
    test::CountingEventPump pump;
    test::FakeSleeper sleeper;
    int cancel = 0;
    pump.onPump = [&](int n) {
        if (n == 2)
            cancel = 1;
    };
    PauseWithEvents(1000, cancel);
    EXPECT_EQ(sleeper.sleeps, 2);
}

TEST(EventPump, InstallAndThrottle) {
    {
        test::CountingEventPump pump;
        LetEventsRun();
        LetEventsRun();
        EXPECT_EQ(pump.count, 2);
        // A burst of cheap calls pumps far less than once per call.
        for (int i = 0; i < 100000; ++i)
            LetEventsRunSometimes();
        EXPECT_LT(pump.count, 1000);
    }
    LetEventsRun(); // back on the no-op pump: nothing to count, nothing breaks
}

} // namespace
} // namespace lilan
