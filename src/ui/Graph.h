#pragma once
// A graph control over Qt Charts that keeps its own model of what is drawn (plots, rectangles,
// cursors, axis ranges, strip-chart traces), so that tests read exactly what the program drew.
// Whole series are replaced at once; antialiasing is off.
//
// Drawing: with automatic refresh on (the default) every change is drawn once the event loop runs
// again, so a burst of changes costs one redraw. With it off, nothing is drawn until refresh().
//
// Colours are 0xRRGGBB values.

#include <QColor>
#include <QElapsedTimer>
#include <QWidget>
#include <map>
#include <memory>
#include <vector>

QT_BEGIN_NAMESPACE
class QChart;
QT_END_NAMESPACE

namespace korvo::ui {

// The distance of tick marks for an axis spanning `span`: 1, 2 or 5 times a power of ten, about
// six intervals over the span; whole numbers whenever the span is 6 or more.
double niceTickInterval(double span);

// How a plot's points are joined.
enum class PlotStyle { Line, Dashed };

struct GraphPlot {
    int handle = 0;
    std::vector<double> x;
    std::vector<double> y;
    QRgb color = 0;
    PlotStyle style = PlotStyle::Line;
};

struct GraphRect {
    int handle = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    QRgb outline = 0;
    QRgb fill = 0;
};

struct GraphCursor {
    double x = 0, y = 0;
};

struct AxisRange {
    bool manual = false;
    double min = 0, max = 0;
};

struct StripChart {
    int traceCount = 1;
    int pointsPerScreen = 101;
    std::vector<double> values;       // the last values plotted, interleaved, sample-major
    std::vector<double> shown;        // what the screen holds: the last pointsPerScreen samples
    std::map<int, QRgb> traceColors;  // trace number 1.. -> colour
    std::map<int, int> traceStyles;   // trace number 1.. -> style attribute
};

struct GraphModel {
    std::vector<GraphPlot> plots;        // PlotXY results, in drawing order
    std::vector<GraphRect> rects;        // PlotRectangle results, in drawing order
    std::map<int, GraphCursor> cursors;  // cursor number 1.. -> position
    AxisRange xAxis;
    AxisRange yAxis;
    StripChart strip;
    bool autoRefresh = true;
    int refreshCount = 0;  // calls of refresh()
};

class GraphWidget : public QWidget {
    Q_OBJECT
    // Axis ranges a layout may give; a maximum above the minimum makes the axis manual.
    Q_PROPERTY(double xMin READ layoutXMin WRITE setLayoutXMin)
    Q_PROPERTY(double xMax READ layoutXMax WRITE setLayoutXMax)
    Q_PROPERTY(double yMin READ layoutYMin WRITE setLayoutYMin)
    Q_PROPERTY(double yMax READ layoutYMax WRITE setLayoutYMax)
    Q_PROPERTY(int traceCount READ traceCount WRITE setTraceCount)
    Q_PROPERTY(int pointsPerScreen READ pointsPerScreen WRITE setPointsPerScreen)
    // A thin strip such as the profile graph has no room for tick labels.
    Q_PROPERTY(bool axisLabels READ axisLabels WRITE setAxisLabels)
public:
    explicit GraphWidget(QWidget* parent = nullptr);
    ~GraphWidget() override;

    const GraphModel& model() const { return model_; }

    // PlotXY: returns the plot handle (> 0). Of unequal arrays the shorter length is used.
    int plotXY(const std::vector<double>& x, const std::vector<double>& y, QRgb color,
               PlotStyle style = PlotStyle::Line);
    // PlotRectangle: returns the plot handle (> 0).
    int plotRectangle(double x1, double y1, double x2, double y2, QRgb outline, QRgb fill);
    void deletePlot(int handle);  // one plot or rectangle
    void deleteAllPlots();        // plots and rectangles; cursors stay
    void setCursor(int cursor, double x, double y);
    void setXAxisManual(double min, double max);
    void setYAxisManual(double min, double max);
    void setXAxisAuto();
    void setYAxisAuto();
    void setAutoRefresh(bool on);
    void refresh();  // draws now

    // Strip chart: every plotStripChart appends its samples; the screen shows the last
    // pointsPerScreen samples of each trace, the newest at the right. Changing the trace count
    // clears the screen.
    int traceCount() const { return model_.strip.traceCount; }
    int pointsPerScreen() const { return model_.strip.pointsPerScreen; }
    void setTraceCount(int n);
    void setPointsPerScreen(int n);
    void setTraceColor(int trace, QRgb color);
    void setTraceStyle(int trace, int style);
    void plotStripChart(const std::vector<double>& values);

    // The chart as last drawn (for tests that look at the rendering).
    QChart* chart() const;
    // The axis ranges as last drawn.
    std::pair<double, double> shownXRange() const;
    std::pair<double, double> shownYRange() const;

    double layoutXMin() const { return layoutX_.min; }
    double layoutXMax() const { return layoutX_.max; }
    double layoutYMin() const { return layoutY_.min; }
    double layoutYMax() const { return layoutY_.max; }
    bool axisLabels() const { return axisLabels_; }
    void setAxisLabels(bool on);
    void setLayoutXMin(double v);
    void setLayoutXMax(double v);
    void setLayoutYMin(double v);
    void setLayoutYMax(double v);

private:
    void changed();  // schedules a redraw when automatic refresh is on
    void redraw();
    GraphModel model_;
    AxisRange layoutX_, layoutY_;
    bool axisLabels_ = true;
    int nextHandle_ = 1;
    bool redrawPending_ = false;
    QElapsedTimer lastDraw_;
    struct View;
    std::unique_ptr<View> view_;
};

}  // namespace korvo::ui
