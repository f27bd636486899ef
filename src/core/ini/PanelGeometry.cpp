#include "core/ini/PanelGeometry.h"

namespace korvo {

PanelGeometryPlan planPanelGeometry(const PanelGeometryKeys& keys) {
    PanelGeometryPlan plan;
    if (!keys.max) return plan;
    if (*keys.max == 1) {
        plan.maximise = true;
        return plan;
    }
    if (keys.x && keys.y) plan.position = QPoint(*keys.x, *keys.y);
    if (keys.width && keys.height && *keys.width > 0 && *keys.height > 0) {
        plan.size = QSize(*keys.width, *keys.height);
    }
    return plan;
}

}  // namespace korvo
