#include "core/ini/PanelGeometry.h"

#include <algorithm>
#include <limits>

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

bool panelPositionOnScreens(QPoint position, QSize size, std::span<const QRect> screens) {
    constexpr std::int64_t kIntMax = std::numeric_limits<int>::max();
    const std::int64_t left = position.x();
    const std::int64_t top = position.y();
    // One past the right and bottom edges.
    const std::int64_t right = left + std::max(size.width(), 1);
    const std::int64_t bottom = top + std::max(size.height(), 1);
    if (right - 1 > kIntMax || bottom - 1 > kIntMax) return false;
    return std::any_of(screens.begin(), screens.end(), [&](const QRect& s) {
        if (s.isEmpty()) return false;
        const std::int64_t sLeft = s.x();
        const std::int64_t sTop = s.y();
        return left < sLeft + s.width() && right > sLeft && top < sTop + s.height() &&
               bottom > sTop;
    });
}

}  // namespace korvo
