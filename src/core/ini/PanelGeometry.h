#pragma once
// Restoring a panel's geometry from the five keys of a settings file ("... max", "... pos. x",
// "... pos. y", "... width", "... height"). Without the max key no geometry key is used; max 1
// maximises and ignores the rest; otherwise the position is used only when both x and y are
// there and the size only when both width and height are there and positive (a zero or negative
// size would leave a panel that the operator can neither see nor grab).

#include <QPoint>
#include <QSize>
#include <cstdint>
#include <optional>

namespace korvo {

struct PanelGeometryKeys {
    std::optional<std::int32_t> max;
    std::optional<std::int32_t> x;
    std::optional<std::int32_t> y;
    std::optional<std::int32_t> width;
    std::optional<std::int32_t> height;
};

struct PanelGeometryPlan {
    bool maximise = false;
    std::optional<QPoint> position;  // left, top
    std::optional<QSize> size;
    bool operator==(const PanelGeometryPlan&) const = default;
};

PanelGeometryPlan planPanelGeometry(const PanelGeometryKeys& keys);

}  // namespace korvo
