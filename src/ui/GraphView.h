#pragma once
// The Qt Charts side of a GraphWidget: one chart, two value axes and pools of series that are
// reused from one drawing to the next (hidden when not needed), so a redraw only replaces data.

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>
#include <utility>
#include <vector>

#include "ui/Graph.h"

namespace korvo::ui {

struct GraphWidget::View {
    explicit View(QWidget* owner);

    // Draws the model; returns the axis ranges used.
    void draw(const GraphModel& model);

    QChartView* chartView = nullptr;
    QChart* chart = nullptr;
    QValueAxis* xAxis = nullptr;
    QValueAxis* yAxis = nullptr;
    std::pair<double, double> xRange{0, 10};
    std::pair<double, double> yRange{0, 10};

private:
    QLineSeries* newLine();
    QAreaSeries* newArea();
    void attach(QAbstractSeries* s);
    void keepCursorsOnTop();
    // Grows a pool to n series; true when it grew.
    template <typename T, typename Make>
    bool ensure(std::vector<T*>& pool, size_t n, Make make);

    std::vector<QAreaSeries*> areas_;
    std::vector<QLineSeries*> plots_;
    std::vector<QLineSeries*> traces_;
    std::vector<QLineSeries*> cursors_;
};

}  // namespace korvo::ui
