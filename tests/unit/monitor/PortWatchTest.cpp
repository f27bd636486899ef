// What a port of the line monitor shows: its state as time passes, its words, its place in the
// worst-first order, its samples against the roll graph's rule, its rate and its interval.

#include <gtest/gtest.h>

#include "core/monitor/PortWatch.h"

namespace korvo {
namespace {

PortWatch port(int com, WatchState state, bool sampled = false, bool in = true) {
    PortWatch w;
    w.com = com;
    w.state = state;
    w.sampled = sampled;
    w.inTolerance = in;
    w.lastAnswer = 10.0;
    return w;
}

TEST(PortWatch, StateWordsSummaryAndOrder) {
    const struct {
        PortWatch w;
        double now;
        WatchState state;
        const char* summary;
    } cases[] = {
        {port(1, WatchState::Live, true, true), 11.0, WatchState::Live,
         "SN 4713, 7.230 mm, in tolerance"},
        {port(2, WatchState::Live, true, false), 11.0, WatchState::Live,
         "SN 4713, 7.230 mm, out of tolerance"},
        {port(3, WatchState::Live, true), 11.001, WatchState::Stale, "SN 4713, stale, no answer"},
        {port(4, WatchState::Live), 10.5, WatchState::Live, "SN 4713, live"},
        {port(5, WatchState::Refused), 99.0, WatchState::Refused, "SN 4713, refused, no answer"},
        {port(6, WatchState::LineLost), 99.0, WatchState::LineLost,
         "SN 4713, line lost, no answer"},
    };
    std::vector<PortWatch> line;
    for (auto c : cases) {
        SCOPED_TRACE(c.w.com);
        c.w.serialNumber = 4713;
        c.w.run.measuredUm = 7230;
        c.w.reason = QStringLiteral("no answer");
        c.w.state = stateAt(c.w, c.now);
        EXPECT_EQ(c.w.state, c.state);
        EXPECT_EQ(watchSummary(c.w), QLatin1String(c.summary));
        line.push_back(c.w);
    }
    line.push_back(port(7, WatchState::NotConnected));
    line.push_back(port(8, WatchState::Paused));
    EXPECT_EQ(watchSummary(line.back()), QStringLiteral("paused"));
    EXPECT_EQ(watchStateWord(WatchState::Joining), std::string("joining"));

    const LineCounts n = countLine(line);
    EXPECT_EQ(n.live, 3);
    EXPECT_EQ(n.inTolerance, 1);
    EXPECT_EQ(n.outOfTolerance, 1);
    EXPECT_EQ(n.stale, 1);
    EXPECT_EQ(n.lost, 1);
    sortWorstFirst(line);
    std::vector<int> order;
    for (const PortWatch& w : line) order.push_back(w.com);
    EXPECT_EQ(order, (std::vector<int>{5, 6, 7, 3, 2, 4, 8, 1}));
}

TEST(PortWatch, SamplesCountByTheRollGraphsRuleRateAndInterval) {
    PortWatch w = port(1, WatchState::Joining);
    w.pixelCount = 4096;
    const ParamSet para0{
        .teachValue = 1, .upperTolerance = 10, .lowerTolerance = 20, .hardwareMode = 0};
    // The record's teach value counts, as in the roll graph; a value on a limit is within.
    const struct {
        std::uint16_t value;
        bool in;
    } samples[] = {{510, true}, {479, false}, {511, false}, {480, true}};
    for (const auto& s : samples) {
        takeSample(w, RunRecord{.measuredValue = s.value, .teachValue = 500}, para0, 20.0);
        EXPECT_EQ(w.inTolerance, s.in) << s.value;
    }
    EXPECT_EQ(w.state, WatchState::Live);
    EXPECT_EQ(w.limits, (ToleranceLimits{10, 20, 510, 480}));
    EXPECT_EQ(w.samples, 4);
    EXPECT_EQ(w.outOfTolerance, 2);
    EXPECT_EQ(w.interval.samples, 4);
    EXPECT_EQ(w.interval.min, 479);
    EXPECT_EQ(w.interval.max, 511);
    EXPECT_EQ(w.interval.mean(), 495.0);
    EXPECT_EQ(IntervalValues{}.mean(), 0.0);

    RateMeter rate;
    for (int i = 0; i < 50; ++i) rate.add(100.0 + i * 0.02);  // 50 a second
    EXPECT_EQ(rate.rate(100.99), 0.0);                        // no whole second yet
    EXPECT_EQ(rate.rate(101.0), 50.0);
    EXPECT_EQ(rate.rate(103.5), 0.0);  // nothing came in the window that ended
}

}  // namespace
}  // namespace korvo
