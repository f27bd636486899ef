#include "app/measure/VideoPlot.h"

#include <vector>

#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "ui/Graph.h"
#include "ui/Platform.h"

namespace korvo {

void PlotVIDEOCurve(ScopeApp& app, const ProfileArray& video, const ProfileArray& curve,
                    const std::array<double, 256>& x) {
    ui::GraphWidget* graph = app.ui.graph(app.panels.main, ids::MAIN_VIDEOGRAPH);
    if (graph == nullptr) return;
    graph->deleteAllPlots();
    // Both curves are drawn in one refresh so that they always appear together.
    graph->setAutoRefresh(false);
    const std::vector<double> xs(x.begin(), x.end());
    const std::vector<double> profile(video.begin(), video.end());
    const std::vector<double> threshold(curve.begin(), curve.end());
    graph->plotXY(xs, profile, 0xFF0000);
    graph->plotXY(xs, threshold, 0x008000);
    graph->refresh();
}

}  // namespace korvo
