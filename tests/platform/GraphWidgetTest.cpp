// The graph keeps exactly what the program drew, and draws it with reused series.

#include <gtest/gtest.h>

#include <QAbstractSeries>
#include <QChart>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QValueAxis>
#include <numeric>

#include "support/QtPrinters.h"
#include "support/TimeScale.h"
#include "ui/Graph.h"

namespace korvo::ui {
namespace {

int visibleSeries(const GraphWidget& g) {
    int n = 0;
    for (QAbstractSeries* s : g.chart()->series()) n += s->isVisible() ? 1 : 0;
    return n;
}

// What a plot, rectangle or cursor holds is checked where the program draws them; here: what
// deleting keeps.
TEST(GraphWidget, ModelKeepsWhatDeletingLeaves) {
    GraphWidget g;
    const int h1 = g.plotXY({0, 4, 8}, {10, 20, 30}, 0xFF0000);
    const int h2 = g.plotXY({0, 4}, {1, 2, 3}, 0x008000);  // unequal: the shorter length
    g.plotRectangle(412, 0.0, 612, 0.25, 0x00FF00, 0x00FF00);
    g.setCursor(1, 512, 1.0);
    const GraphModel& m = g.model();
    EXPECT_EQ(m.plots[1].y.size(), 2u);

    g.deletePlot(h1);
    ASSERT_EQ(m.plots.size(), 1u);
    EXPECT_EQ(m.plots[0].handle, h2);
    g.deleteAllPlots();
    EXPECT_TRUE(m.plots.empty());
    EXPECT_TRUE(m.rects.empty());
    EXPECT_EQ(m.cursors.size(), 1u);  // cursors are not plots

    GraphWidget fromLayout;  // an axis range given by the layout is manual
    fromLayout.setProperty("yMin", 0.0);
    fromLayout.setProperty("yMax", 1.0);
    EXPECT_TRUE(fromLayout.model().yAxis.manual);
    EXPECT_FALSE(fromLayout.model().xAxis.manual);
}

TEST(GraphWidget, ManualRefreshDrawsCurvesTogetherAutoRefreshReusesSeries) {
    GraphWidget g;
    g.setXAxisManual(1.0, 1024.0);
    g.setAutoRefresh(false);
    std::vector<double> x(256), y(256, 100.0);
    std::iota(x.begin(), x.end(), 0.0);
    g.plotXY(x, y, 0xFF0000);
    g.plotXY(x, std::vector<double>(256, 102.0), 0x008000);
    QCoreApplication::processEvents();
    EXPECT_EQ(visibleSeries(g), 0);
    g.refresh();
    EXPECT_EQ(g.model().refreshCount, 1);
    EXPECT_EQ(visibleSeries(g), 2);
    EXPECT_EQ(g.shownXRange(), (std::pair<double, double>{1.0, 1024.0}));

    g.setAutoRefresh(true);
    const qsizetype series = g.chart()->series().size();
    g.deleteAllPlots();
    g.plotXY(x, y, 0xFF0000);
    // Drawn once the event loop runs, at most once per screen refresh (16 ms after the last).
    QElapsedTimer clock;
    clock.start();
    while (visibleSeries(g) != 1 && clock.elapsed() < 200 * korvo::test::timeScale())
        QCoreApplication::processEvents();
    EXPECT_EQ(visibleSeries(g), 1);
    EXPECT_EQ(g.chart()->series().size(), series);
}

TEST(GraphWidget, StripChartKeepsTheLastScreenOfSamples) {
    GraphWidget g;
    g.setTraceCount(6);
    g.setPointsPerScreen(101);
    std::vector<double> first(600), second(600);
    std::iota(first.begin(), first.end(), 0.0);
    std::iota(second.begin(), second.end(), 1000.0);
    g.plotStripChart(first);
    g.plotStripChart(second);
    const StripChart& s = g.model().strip;
    EXPECT_EQ(s.values, second);
    ASSERT_EQ(s.shown.size(), 101u * 6u);
    // The newest 100 samples are the second batch; before them the last sample of the first.
    EXPECT_TRUE(std::equal(second.begin(), second.end(), s.shown.begin() + 6));
    EXPECT_TRUE(std::equal(first.end() - 6, first.end(), s.shown.begin()));

    // Setting the same trace count again keeps the screen; another count clears it.
    g.setTraceCount(6);
    EXPECT_EQ(s.shown.size(), 606u);
    g.setTraceCount(3);
    EXPECT_TRUE(s.shown.empty());
    g.plotStripChart({1, 2, 3, 4});  // one whole sample and a part
    EXPECT_EQ(s.shown, (std::vector<double>{1, 2, 3}));
    g.refresh();
    EXPECT_EQ(visibleSeries(g), 3);
}

// Every label of a tick is laid out when the axis changes: an axis that passes through a range of
// thousands of ticks on its way from 0..10 to 0..12288 holds the window for seconds.
TEST(GraphWidget, AxesNeverHoldMoreThanAScreenOfTicksWhileTheirRangeChanges) {
    GraphWidget g;
    g.setAutoRefresh(false);
    double mostTicks = 0;
    for (QAbstractAxis* a : g.chart()->axes()) {
        auto* axis = qobject_cast<QValueAxis*>(a);
        ASSERT_NE(axis, nullptr);
        const auto count = [axis, &mostTicks] {
            if (axis->tickInterval() > 0)
                mostTicks = std::max(mostTicks, (axis->max() - axis->min()) / axis->tickInterval());
        };
        QObject::connect(axis, &QValueAxis::rangeChanged, count);
        QObject::connect(axis, &QValueAxis::tickIntervalChanged, count);
    }
    for (const double top : {10.0, 12288.0, 10.0, 4096.0, 1.0}) {
        g.setXAxisManual(0.0, top);
        g.setYAxisManual(0.0, top);
        g.refresh();  // drawn at once or one screen refresh later
        const std::pair<double, double> wanted{0.0, top};
        QElapsedTimer clock;
        clock.start();
        while (g.shownXRange() != wanted && clock.elapsed() < 200 * korvo::test::timeScale())
            QCoreApplication::processEvents();
        EXPECT_EQ(g.shownXRange(), wanted);
    }
    EXPECT_LE(mostTicks, 10.0);
}

}  // namespace
}  // namespace korvo::ui
