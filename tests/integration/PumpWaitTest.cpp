// The Qt pump's waits: each ends by its own deadline and sleeps meanwhile, whatever waits came
// before it.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QObject>
#include <QTimer>

#include "core/link/Pump.h"

namespace korvo::test {
namespace {

double threadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    const auto sec = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
    return sec(usage.ru_utime) + sec(usage.ru_stime);
}

// Waits for `seconds` with an event due after `eventMs` to end the wait early.
void waitCutShort(QtPump& pump, double seconds, int eventMs) {
    QObject context;
    bool fired = false;
    QTimer::singleShot(eventMs, &context, [&fired] { fired = true; });
    const double deadline = pump.now() + seconds;
    while (!fired && pump.now() < deadline) pump.waitForEvents(deadline);
    ASSERT_TRUE(fired);
}

TEST(PumpWait, AShortWaitAfterALongOneEndsByItsOwnDeadline) {
    QtPump pump;
    for (int round = 0; round < 3; ++round) {
        waitCutShort(pump, 0.8, 5);  // leaves a wake-up for 0.8 s ahead behind, if any
        const double start = pump.now();
        pump.delay(0.05);
        const double waited = pump.now() - start;
        EXPECT_GE(waited, 0.05);
        EXPECT_LT(waited, 0.2) << "round " << round;
    }
}

TEST(PumpWait, ALongWaitAfterShortOnesSleepsThroughAndEndsOnTime) {
    QtPump pump;
    for (int i = 0; i < 20; ++i) waitCutShort(pump, 0.03 + 0.01 * i, 1);
    const double cpuBefore = threadCpuSeconds();
    const double start = pump.now();
    pump.delay(0.4);
    const double waited = pump.now() - start;
    EXPECT_GE(waited, 0.4);
    EXPECT_LT(waited, 0.5);
    EXPECT_LT(threadCpuSeconds() - cpuBefore, 0.04) << "the wait must sleep, not spin";
}

}  // namespace
}  // namespace korvo::test
