#include "ui/GraphView.h"

#include <QPen>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

namespace korvo::ui {

namespace {
// Ticks at whole multiples of a round interval, so that labels read 2000, 4000 rather than
// 2048.75, and stay short enough for the axis.
// Sets the axis range and round ticks for it. The axis lays out a label for every tick of the
// interval it has at the moment either changes, so the coarser interval goes first: a range that
// grows from 0..10 to 0..12288 under the old interval of 2 would lay out six thousand labels and
// hold the window for seconds.
void setRangeAndTicks(QValueAxis* axis, double lo, double hi) {
    const double step = niceTickInterval(hi - lo);
    if (!(step > 0)) {
        axis->setRange(lo, hi);
        return;
    }
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0.0);
    if (step >= axis->tickInterval()) {
        axis->setTickInterval(step);
        axis->setRange(lo, hi);
    } else {
        axis->setRange(lo, hi);
        axis->setTickInterval(step);
    }
    axis->setLabelFormat(step >= 1.0 ? QStringLiteral("%.0f") : QStringLiteral("%g"));
}
}  // namespace

double niceTickInterval(double span) {
    if (!(span > 0) || !std::isfinite(span)) return 0.0;
    const double raw = span / 6.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0}) {
        if (m * magnitude >= raw) return std::max(m * magnitude, span >= 6.0 ? 1.0 : 0.0);
    }
    return std::max(10.0 * magnitude, span >= 6.0 ? 1.0 : 0.0);
}

namespace {

const QColor kCursorColor(0x60, 0x60, 0x60);

// Default strip-chart trace colours when the program has not set one.
QRgb defaultTraceColor(int trace) {
    static constexpr QRgb kColors[] = {0x008000, 0x008000, 0x000000, 0xFF0000, 0xFF0000, 0xFF0000};
    return kColors[(trace - 1) % 6];
}

QPen linePen(QRgb rgb) {
    QPen pen(QColor::fromRgb(rgb));
    pen.setWidth(1);
    pen.setCosmetic(true);
    return pen;
}

struct Extent {
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();
    void add(double v) {
        if (!std::isfinite(v)) return;
        min = std::min(min, v);
        max = std::max(max, v);
    }
    bool empty() const { return min > max; }
};

// The range drawn for an axis: the manual one, else the data's extent (widened when flat), else
// the range drawn last time.
std::pair<double, double> rangeFor(const AxisRange& axis, const Extent& data,
                                   std::pair<double, double> previous) {
    if (axis.manual && axis.max > axis.min) return {axis.min, axis.max};
    if (data.empty()) return previous;
    if (data.max > data.min) return {data.min, data.max};
    return {data.min - 1.0, data.max + 1.0};
}

}  // namespace

GraphWidget::View::View(QWidget* owner) {
    chart = new QChart();
    chart->legend()->hide();
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setAnimationOptions(QChart::NoAnimation);
    chartView = new QChartView(chart, owner);  // the view owns the chart
    chartView->setRenderHint(QPainter::Antialiasing, false);
    chartView->setFrameShape(QFrame::NoFrame);
    // A graph only shows: nothing in it answers keys, so Tab passes over it.
    chartView->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(chartView);

    xAxis = new QValueAxis(chart);
    yAxis = new QValueAxis(chart);
    xAxis->setLabelFormat(QStringLiteral("%g"));
    yAxis->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    setRangeAndTicks(xAxis, xRange.first, xRange.second);
    setRangeAndTicks(yAxis, yRange.first, yRange.second);
}

void GraphWidget::View::attach(QAbstractSeries* s) {
    chart->addSeries(s);
    s->attachAxis(xAxis);
    s->attachAxis(yAxis);
}

QLineSeries* GraphWidget::View::newLine() {
    auto* s = new QLineSeries(chart);
    attach(s);
    return s;
}

QAreaSeries* GraphWidget::View::newArea() {
    auto* s = new QAreaSeries(chart);
    // The area series does not own its boundary lines; give them to it.
    s->setUpperSeries(new QLineSeries(s));
    s->setLowerSeries(new QLineSeries(s));
    attach(s);
    return s;
}

// Series are drawn in the order they were added; cursors stay above everything else.
void GraphWidget::View::keepCursorsOnTop() {
    for (QLineSeries* c : cursors_) {
        chart->removeSeries(c);
        attach(c);
    }
}

template <typename T, typename Make>
bool GraphWidget::View::ensure(std::vector<T*>& pool, size_t n, Make make) {
    if (pool.size() >= n) return false;
    while (pool.size() < n) pool.push_back(make());
    return true;
}

void GraphWidget::View::draw(const GraphModel& m) {
    // Axis ranges first: cursors span the whole y range.
    Extent xs, ys;
    const StripChart& strip = m.strip;
    const int tc = std::max(1, strip.traceCount);
    const size_t samples = strip.shown.size() / tc;
    if (samples > 0) {
        xs.add(0);
        xs.add(std::max(1, strip.pointsPerScreen - 1));
        for (double v : strip.shown) ys.add(v);
    }
    for (const GraphPlot& p : m.plots) {
        const size_t n = std::min(p.x.size(), p.y.size());
        for (size_t i = 0; i < n; ++i) {
            xs.add(p.x[i]);
            ys.add(p.y[i]);
        }
    }
    for (const GraphRect& r : m.rects) {
        xs.add(r.x1);
        xs.add(r.x2);
        ys.add(r.y1);
        ys.add(r.y2);
    }
    xRange = rangeFor(m.xAxis, xs, xRange);
    yRange = rangeFor(m.yAxis, ys, yRange);
    if (xAxis->min() != xRange.first || xAxis->max() != xRange.second) {
        setRangeAndTicks(xAxis, xRange.first, xRange.second);
    }
    if (yAxis->min() != yRange.first || yAxis->max() != yRange.second) {
        setRangeAndTicks(yAxis, yRange.first, yRange.second);
    }

    // Rectangles
    if (ensure(areas_, m.rects.size(), [this] { return newArea(); })) keepCursorsOnTop();
    for (size_t i = 0; i < areas_.size(); ++i) {
        QAreaSeries* a = areas_[i];
        if (i >= m.rects.size()) {
            a->setVisible(false);
            continue;
        }
        const GraphRect& r = m.rects[i];
        const double left = std::min(r.x1, r.x2), right = std::max(r.x1, r.x2);
        const double low = std::min(r.y1, r.y2), high = std::max(r.y1, r.y2);
        a->upperSeries()->replace(QList<QPointF>{{left, high}, {right, high}});
        a->lowerSeries()->replace(QList<QPointF>{{left, low}, {right, low}});
        a->setPen(linePen(r.outline));
        a->setBrush(QColor::fromRgb(r.fill));
        a->setVisible(true);
    }

    // XY plots
    if (ensure(plots_, m.plots.size(), [this] { return newLine(); })) keepCursorsOnTop();
    QList<QPointF> points;
    for (size_t i = 0; i < plots_.size(); ++i) {
        QLineSeries* s = plots_[i];
        if (i >= m.plots.size()) {
            s->setVisible(false);
            continue;
        }
        const GraphPlot& p = m.plots[i];
        const size_t n = std::min(p.x.size(), p.y.size());
        points.resize(static_cast<qsizetype>(n));
        for (size_t k = 0; k < n; ++k) points[k] = QPointF(p.x[k], p.y[k]);
        s->replace(points);
        QPen pen = linePen(p.color);
        if (p.style == PlotStyle::Dashed) pen.setStyle(Qt::DashLine);
        s->setPen(pen);
        s->setVisible(true);
    }

    // Strip-chart traces, newest sample at the right edge
    const size_t traces = samples > 0 ? static_cast<size_t>(tc) : 0;
    if (ensure(traces_, traces, [this] { return newLine(); })) keepCursorsOnTop();
    const double firstX = std::max(0, strip.pointsPerScreen - static_cast<int>(samples));
    for (size_t t = 0; t < traces_.size(); ++t) {
        QLineSeries* s = traces_[t];
        if (t >= traces) {
            s->setVisible(false);
            continue;
        }
        points.resize(static_cast<qsizetype>(samples));
        for (size_t k = 0; k < samples; ++k)
            points[k] = QPointF(firstX + static_cast<double>(k), strip.shown[k * tc + t]);
        s->replace(points);
        const int trace = static_cast<int>(t) + 1;
        auto c = strip.traceColors.find(trace);
        s->setPen(linePen(c != strip.traceColors.end() ? c->second : defaultTraceColor(trace)));
        s->setVisible(true);
    }

    // Cursors: vertical lines over the whole y range
    ensure(cursors_, m.cursors.size(), [this] { return newLine(); });
    size_t ci = 0;
    for (const auto& [number, cursor] : m.cursors) {
        QLineSeries* s = cursors_[ci++];
        s->replace(QList<QPointF>{{cursor.x, yRange.first}, {cursor.x, yRange.second}});
        QPen pen(kCursorColor);
        pen.setStyle(Qt::DashLine);
        pen.setCosmetic(true);
        s->setPen(pen);
        s->setVisible(true);
    }
    for (; ci < cursors_.size(); ++ci) cursors_[ci]->setVisible(false);
}

}  // namespace korvo::ui
