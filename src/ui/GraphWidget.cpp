#include <QGraphicsLayout>
#include <QTimer>
#include <algorithm>

#include "ui/Graph.h"
#include "ui/GraphView.h"

namespace korvo::ui {

namespace {
constexpr qint64 kFrameMs = 16;  // one screen refresh
}  // namespace

GraphWidget::GraphWidget(QWidget* parent) : QWidget(parent), view_(std::make_unique<View>(this)) {}

GraphWidget::~GraphWidget() = default;

QChart* GraphWidget::chart() const {
    return view_->chart;
}
std::pair<double, double> GraphWidget::shownXRange() const {
    return view_->xRange;
}
std::pair<double, double> GraphWidget::shownYRange() const {
    return view_->yRange;
}

int GraphWidget::plotXY(const std::vector<double>& x, const std::vector<double>& y, QRgb color,
                        PlotStyle style) {
    GraphPlot plot;
    plot.handle = nextHandle_++;
    const size_t n = std::min(x.size(), y.size());
    plot.x.assign(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n));
    plot.y.assign(y.begin(), y.begin() + static_cast<std::ptrdiff_t>(n));
    plot.color = color;
    plot.style = style;
    model_.plots.push_back(std::move(plot));
    changed();
    return model_.plots.back().handle;
}

int GraphWidget::plotRectangle(double x1, double y1, double x2, double y2, QRgb outline,
                               QRgb fill) {
    const int handle = nextHandle_++;
    model_.rects.push_back(GraphRect{handle, x1, y1, x2, y2, outline, fill});
    changed();
    return handle;
}

void GraphWidget::deletePlot(int handle) {
    std::erase_if(model_.plots, [handle](const GraphPlot& p) { return p.handle == handle; });
    std::erase_if(model_.rects, [handle](const GraphRect& r) { return r.handle == handle; });
    changed();
}

void GraphWidget::deleteAllPlots() {
    model_.plots.clear();
    model_.rects.clear();
    changed();
}

void GraphWidget::setCursor(int cursor, double x, double y) {
    model_.cursors[cursor] = GraphCursor{x, y};
    changed();
}

void GraphWidget::setXAxisManual(double min, double max) {
    model_.xAxis = AxisRange{true, min, max};
    changed();
}

void GraphWidget::setYAxisManual(double min, double max) {
    model_.yAxis = AxisRange{true, min, max};
    changed();
}

void GraphWidget::setXAxisAuto() {
    model_.xAxis.manual = false;
    changed();
}

void GraphWidget::setYAxisAuto() {
    model_.yAxis.manual = false;
    changed();
}

void GraphWidget::setAutoRefresh(bool on) {
    model_.autoRefresh = on;
    changed();
}

void GraphWidget::refresh() {
    ++model_.refreshCount;
    // Drawn now, or, when the last drawing is less than a screen refresh ago, as soon as one has
    // passed: a loop that refreshes faster than the screen does not pay for frames nobody sees.
    if (!lastDraw_.isValid() || lastDraw_.elapsed() >= kFrameMs) {
        redraw();
    } else if (!redrawPending_) {
        redrawPending_ = true;
        QTimer::singleShot(static_cast<int>(kFrameMs - lastDraw_.elapsed()), this, [this] {
            if (redrawPending_) redraw();
        });
    }
}

void GraphWidget::setTraceCount(int n) {
    n = std::max(1, n);
    if (n == model_.strip.traceCount) return;
    model_.strip.traceCount = n;
    model_.strip.shown.clear();
    changed();
}

void GraphWidget::setPointsPerScreen(int n) {
    n = std::max(2, n);
    if (n == model_.strip.pointsPerScreen) return;
    model_.strip.pointsPerScreen = n;
    const size_t keep = static_cast<size_t>(n) * model_.strip.traceCount;
    auto& shown = model_.strip.shown;
    if (shown.size() > keep) shown.erase(shown.begin(), shown.end() - keep);
    changed();
}

void GraphWidget::setTraceColor(int trace, QRgb color) {
    model_.strip.traceColors[trace] = color;
    changed();
}

void GraphWidget::setTraceStyle(int trace, int style) {
    model_.strip.traceStyles[trace] = style;
    changed();
}

void GraphWidget::plotStripChart(const std::vector<double>& values) {
    StripChart& s = model_.strip;
    s.values = values;
    // Only whole samples (one value per trace) go on the screen.
    const size_t tc = static_cast<size_t>(s.traceCount);
    const size_t whole = values.size() / tc * tc;
    s.shown.insert(s.shown.end(), values.begin(), values.begin() + whole);
    const size_t keep = static_cast<size_t>(s.pointsPerScreen) * tc;
    if (s.shown.size() > keep) s.shown.erase(s.shown.begin(), s.shown.end() - keep);
    changed();
}

void GraphWidget::setLayoutXMin(double v) {
    layoutX_.min = v;
    if (layoutX_.max > layoutX_.min) setXAxisManual(layoutX_.min, layoutX_.max);
}

void GraphWidget::setLayoutXMax(double v) {
    layoutX_.max = v;
    if (layoutX_.max > layoutX_.min) setXAxisManual(layoutX_.min, layoutX_.max);
}

void GraphWidget::setLayoutYMin(double v) {
    layoutY_.min = v;
    if (layoutY_.max > layoutY_.min) setYAxisManual(layoutY_.min, layoutY_.max);
}

void GraphWidget::setLayoutYMax(double v) {
    layoutY_.max = v;
    if (layoutY_.max > layoutY_.min) setYAxisManual(layoutY_.min, layoutY_.max);
}

void GraphWidget::setAxisLabels(bool on) {
    axisLabels_ = on;
    view_->xAxis->setLabelsVisible(on);
    view_->yAxis->setLabelsVisible(on);
    view_->xAxis->setGridLineVisible(on);
    view_->yAxis->setGridLineVisible(on);
    if (!on) {
        view_->chart->setMargins(QMargins(2, 2, 2, 2));
        view_->chart->layout()->setContentsMargins(0, 0, 0, 0);
    }
}

void GraphWidget::changed() {
    if (!model_.autoRefresh || redrawPending_) return;
    redrawPending_ = true;
    // A graph that changes with every sample (the roll graph, at up to a few hundred samples a
    // second) is drawn at most once per screen refresh; the model is always current.
    const qint64 since = lastDraw_.isValid() ? lastDraw_.elapsed() : kFrameMs;
    const int wait = static_cast<int>(std::max<qint64>(0, kFrameMs - since));
    // With automatic refresh switched off meanwhile, the program draws with refresh() itself.
    QTimer::singleShot(wait, this, [this] {
        if (redrawPending_ && model_.autoRefresh) redraw();
        redrawPending_ = false;
    });
}

void GraphWidget::redraw() {
    redrawPending_ = false;
    lastDraw_.start();
    view_->draw(model_);
}

}  // namespace korvo::ui
