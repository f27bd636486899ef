#pragma once
// Restoring a panel's geometry from the five keys of a settings file ("... max", "... pos. x",
// "... pos. y", "... width", "... height"). Without the max key no geometry key is used; max 1
// maximises and ignores the rest; otherwise the position is used only when both x and y are
// there and the size only when both width and height are there and positive (a zero or negative
// size would leave a panel that the operator can neither see nor grab).
//
// A stored position is applied only when the panel placed there shows on one of the screens: a
// file from another machine, another screen layout or an editor's hand could otherwise put the
// window out of reach, or beyond the range of window coordinates.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <optional>
#include <span>

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

// Whether a panel of the given size with its top-left corner at position overlaps at least one of
// the screen areas (desktop coordinates). The edges are worked out in 64 bits and a panel whose
// right or bottom edge lies beyond the int range is refused: no window can be placed there. An
// empty size counts as a single pixel.
bool panelPositionOnScreens(QPoint position, QSize size, std::span<const QRect> screens);

}  // namespace korvo
