// The line monitor over sixteen virtual sensors of different para0: one silent, one that misses
// two answers, one of a sibling series, one hung up mid-run and plugged back, one port switched
// off. Every port ends in its own
// state, and every request a sensor got carried that sensor's own para0.

#include <gtest/gtest.h>

#include <set>

#include "core/link/PortBank.h"
#include "core/link/Pump.h"
#include "core/monitor/LineMonitor.h"
#include "support/SimSensors.h"

namespace korvo::test {
namespace {

constexpr int kSensors = 16;
constexpr int kSilent = 13, kSibling = 14, kUnplugged = 15;  // COM numbers
constexpr int kMissesTwo = 12;  // the first two run requests get no answer

// Waits on the event loop until done() or the time is up.
bool waitFor(QtPump& pump, double seconds, const std::function<bool()>& done) {
    const double end = pump.now() + seconds;
    while (!done() && pump.now() < end) pump.waitForEvents(std::min(end, pump.now() + 0.05));
    return done();
}

TEST(LineMonitor, EveryPortInItsOwnStateAndEveryRequestWithItsOwnPara0) {
    sim::SensorConfig paced = model();
    paced.pace = true;  // 19200 baud: about 25 answers a second
    std::vector<sim::SensorConfig> configs(kSensors, paced);
    for (int i = 0; i < kSensors; ++i) configs[i].serial = static_cast<std::uint16_t>(5000 + i);
    configs[kSibling - 1].firmwareId = "KORVO-GX";
    SensorMap sensors(configs);
    std::vector<sim::ParamHalf> para0(kSensors);
    for (int i = 0; i < kSensors; ++i) {
        ParamSet p;
        resetToDefaults(p);
        p.teachValue = static_cast<std::uint16_t>(1000 + 100 * i);
        p.upperTolerance = static_cast<std::uint16_t>(10 + i);
        p.lowerTolerance = static_cast<std::uint16_t>(20 + i);
        p.hardwareMode = 0;  // the limits by these tolerances
        para0[i] = packedHalf(p, 0, 4096);
        sensors.sensor(i).setRamHalf(0, para0[i]);
        sensors.sensor(i).setMeasurement(300, static_cast<std::uint16_t>(400 + 50 * i));
    }
    sensors.sensor(kSilent - 1).setFault(sim::Fault::NoReply);
    sensors.sensor(kMissesTwo - 1).setFault(sim::Fault::NoReply, 8, 2);

    QtPump pump;
    PortBank bank(sensors.mapPath);
    LineMonitor monitor(bank, pump);
    for (int com = 1; com <= kSensors; ++com) monitor.addPort(com, 1);
    monitor.addDisabledPort(17, QStringLiteral("switched off in the port table"));
    monitor.release(1);  // a port taken back before the start waits for it
    monitor.resume(1);
    pump.delay(0.1);
    EXPECT_TRUE(sensors.sensor(0).receivedFrames().empty());
    monitor.start();

    const auto state = [&](int com) { return monitor.watch(com)->state; };
    const auto sampled = [&](int com, long n) {
        return state(com) == WatchState::Live && monitor.watch(com)->samples >= n;
    };
    const auto othersLive = [&](long n) {
        for (int com = 1; com <= kSensors; ++com)
            if (com != kSilent && com != kSibling && !sampled(com, n)) return false;
        return true;
    };
    ASSERT_TRUE(waitFor(pump, 20.0, [&] { return othersLive(5); }));
    EXPECT_EQ(state(kSibling), WatchState::Refused);
    EXPECT_EQ(monitor.watch(kSibling)->reason,
              QStringLiteral("Please use KORVO-GX-Scope software version!"));
    EXPECT_EQ(state(kSilent), WatchState::Stale);
    EXPECT_EQ(monitor.watch(kSilent)->reason, QStringLiteral("Timeout RS-232!"));
    EXPECT_EQ(state(17), WatchState::NotConnected);
    EXPECT_EQ(monitor.watch(kMissesTwo)->timeouts, 2);  // asked again after each
    const PortWatch& first = *monitor.watch(1);
    EXPECT_EQ(first.serialNumber, 5000);
    EXPECT_EQ(first.limits.upper, 1000 + 10);  // its own para0's teach value and tolerances
    EXPECT_EQ(first.limits.lower, 1000 - 20);
    EXPECT_EQ(watchSummary(first).left(8), QStringLiteral("SN 5000,"));

    // Unplugged mid-run: line lost, the other ports go on; plugged back, live again by itself.
    // The loss is told as it happens.
    std::set<int> toldLost;
    monitor.changed = [&](int com) {
        if (state(com) == WatchState::LineLost) toldLost.insert(com);
    };
    sensors.sensor(kUnplugged - 1).hangUp();
    ASSERT_TRUE(waitFor(pump, 3.0, [&] { return state(kUnplugged) == WatchState::LineLost; }));
    EXPECT_EQ(toldLost, std::set<int>{kUnplugged});
    const long before = monitor.watch(1)->samples;
    ASSERT_FALSE(sensors.sensor(kUnplugged - 1).reopen().isEmpty());
    sensors.rewriteMap();
    ASSERT_TRUE(waitFor(pump, 2 * kRetryAfter + 2.0, [&] { return sampled(kUnplugged, 3); }));
    EXPECT_GT(monitor.watch(1)->samples, before + 20);
    EXPECT_EQ(monitor.watch(kUnplugged)->reason, QString());  // the loss is not told any more

    // Let go for another exchange: no request while paused; back with para0 and para1 read again.
    monitor.resume(1);    // not let go: nothing changes
    monitor.release(99);  // never added
    monitor.resume(99);
    EXPECT_EQ(state(1), WatchState::Live);
    monitor.release(2);
    EXPECT_EQ(state(2), WatchState::Paused);
    pump.delay(0.1);
    sensors.sensor(1).clearReceivedFrames();
    pump.delay(0.3);
    EXPECT_TRUE(sensors.sensor(1).receivedFrames().empty());
    const long paused = monitor.watch(2)->samples;
    monitor.resume(2);
    EXPECT_EQ(monitor.watch(2)->reason, QString());  // joining again, no longer let go
    ASSERT_TRUE(waitFor(pump, 3.0, [&] { return sampled(2, paused + 2); }));
    EXPECT_EQ(requestCount(sensors.sensor(1), 2), 2);  // para0 and para1 read again
    // A line lost while let go is for whoever holds the port to tell.
    monitor.release(3);
    sensors.sensor(2).hangUp();
    pump.delay(0.5);
    EXPECT_EQ(state(3), WatchState::Paused);
    monitor.stop();

    for (int i = 0; i < kSensors; ++i) {
        SCOPED_TRACE(i + 1);
        int runs = 0;
        for (const sim::ReceivedFrame& f : sensors.sensor(i).receivedFrames()) {
            const int code = receivedWord(f, 1);
            EXPECT_NE(code, 1);  // nothing written to RAM
            EXPECT_NE(code, 3);  // nor to EEPROM
            if (code != 8) continue;
            ++runs;
            for (int w = 0; w < 15; ++w) ASSERT_EQ(receivedWord(f, 3 + w), para0[i][w]) << w;
        }
        EXPECT_EQ(runs > 0, i + 1 != kSilent && i + 1 != kSibling);
    }
}

}  // namespace
}  // namespace korvo::test
