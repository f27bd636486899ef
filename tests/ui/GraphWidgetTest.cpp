// The graph keeps exactly what the program drew, and draws it with reused series.

#include <gtest/gtest.h>

#include <QAbstractSeries>
#include <QChart>
#include <QCoreApplication>
#include <numeric>

#include "QtPrinters.h"
#include "ui/Graph.h"

namespace korvo::ui {
namespace {

int visibleSeries(const GraphWidget& g) {
    int n = 0;
    for (QAbstractSeries* s : g.chart()->series()) n += s->isVisible() ? 1 : 0;
    return n;
}

TEST(GraphWidget, PlotsRectanglesAndCursorsAsDrawn) {
    GraphWidget g;
    const int h1 = g.plotXY({0, 4, 8}, {10, 20, 30}, 0xFF0000);
    const int h2 = g.plotXY({0, 4}, {1, 2, 3}, 0x008000);  // unequal: the shorter length
    EXPECT_GT(h1, 0);
    EXPECT_NE(h1, h2);
    const int r = g.plotRectangle(412, 0.0, 612, 0.25, 0x00FF00, 0x00FF00);
    g.setCursor(1, 512, 1.0);
    g.setCursor(3, 1024, 1.0);
    g.setCursor(2, 1, 1.0);

    const GraphModel& m = g.model();
    ASSERT_EQ(m.plots.size(), 2u);
    EXPECT_EQ(m.plots[0].y, (std::vector<double>{10, 20, 30}));
    EXPECT_EQ(m.plots[0].color, 0xFF0000u);
    EXPECT_EQ(m.plots[1].y.size(), 2u);
    ASSERT_EQ(m.rects.size(), 1u);
    EXPECT_EQ(m.rects[0].handle, r);
    EXPECT_DOUBLE_EQ(m.rects[0].x1, 412);
    EXPECT_DOUBLE_EQ(m.rects[0].x2, 612);
    EXPECT_DOUBLE_EQ(m.rects[0].y2, 0.25);
    ASSERT_EQ(m.cursors.size(), 3u);
    EXPECT_DOUBLE_EQ(m.cursors.at(1).x, 512);
    EXPECT_DOUBLE_EQ(m.cursors.at(2).x, 1);
    EXPECT_DOUBLE_EQ(m.cursors.at(3).x, 1024);

    g.deletePlot(h1);
    ASSERT_EQ(g.model().plots.size(), 1u);
    EXPECT_EQ(g.model().plots[0].handle, h2);
    g.setCursor(1, 400, 0.75);  // moves, does not add
    EXPECT_EQ(g.model().cursors.size(), 3u);
    EXPECT_DOUBLE_EQ(g.model().cursors.at(1).y, 0.75);

    g.deleteAllPlots();
    EXPECT_TRUE(g.model().plots.empty());
    EXPECT_TRUE(g.model().rects.empty());
    EXPECT_EQ(g.model().cursors.size(), 3u);  // cursors are not plots
}

TEST(GraphWidget, AxesAndRefresh) {
    GraphWidget g;
    g.setXAxisManual(1.0, 1024.0);
    g.setYAxisManual(1.0, 255.0);
    EXPECT_TRUE(g.model().xAxis.manual);
    EXPECT_DOUBLE_EQ(g.model().yAxis.max, 255.0);

    // With automatic refresh off nothing is drawn until refresh(); the two curves of a video
    // cycle appear together.
    g.deleteAllPlots();
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

    // Automatic refresh draws once the event loop runs, reusing the series.
    g.setAutoRefresh(true);
    const qsizetype series = g.chart()->series().size();
    g.deleteAllPlots();
    g.plotXY(x, y, 0xFF0000);
    QCoreApplication::processEvents();
    EXPECT_EQ(visibleSeries(g), 1);
    EXPECT_EQ(g.chart()->series().size(), series);
    EXPECT_EQ(g.model().refreshCount, 1);
}

TEST(GraphWidget, LayoutAxisRangeIsManual) {
    GraphWidget g;
    g.setProperty("yMin", 0.0);
    g.setProperty("yMax", 1.0);
    EXPECT_TRUE(g.model().yAxis.manual);
    EXPECT_DOUBLE_EQ(g.model().yAxis.max, 1.0);
    EXPECT_FALSE(g.model().xAxis.manual);
}

TEST(GraphWidget, StripChartKeepsTheLastScreenOfSamples) {
    GraphWidget g;
    g.setTraceCount(6);
    g.setPointsPerScreen(101);
    g.setTraceColor(1, 0x008000);
    g.setTraceStyle(1, 1);
    std::vector<double> first(600), second(600);
    std::iota(first.begin(), first.end(), 0.0);
    std::iota(second.begin(), second.end(), 1000.0);
    g.plotStripChart(first);
    EXPECT_EQ(g.model().strip.shown, first);
    g.plotStripChart(second);
    const StripChart& s = g.model().strip;
    EXPECT_EQ(s.values, second);
    ASSERT_EQ(s.shown.size(), 101u * 6u);
    // The newest 100 samples are the second batch; before them the last sample of the first.
    EXPECT_TRUE(std::equal(second.begin(), second.end(), s.shown.begin() + 6));
    EXPECT_TRUE(std::equal(first.end() - 6, first.end(), s.shown.begin()));
    EXPECT_EQ(s.traceColors.at(1), 0x008000u);
    EXPECT_EQ(s.traceStyles.at(1), 1);

    // Setting the same trace count again keeps the screen; another count clears it.
    g.setTraceCount(6);
    EXPECT_EQ(g.model().strip.shown.size(), 606u);
    g.setTraceCount(3);
    EXPECT_TRUE(g.model().strip.shown.empty());
    g.plotStripChart({1, 2, 3, 4});  // one whole sample and a part
    EXPECT_EQ(g.model().strip.shown, (std::vector<double>{1, 2, 3}));

    g.refresh();
    EXPECT_EQ(visibleSeries(g), 3);
}

}  // namespace
}  // namespace korvo::ui
