// Which stored geometry keys a panel may use.

#include <gtest/gtest.h>

#include <climits>

#include "core/ini/PanelGeometry.h"

namespace korvo {
namespace {

TEST(PanelGeometry, MaxKeyGatesPositionAndSizeEachNeedingBothKeys) {
    EXPECT_EQ(planPanelGeometry({std::nullopt, 10, 20, 300, 200}), PanelGeometryPlan{});
    EXPECT_EQ(planPanelGeometry({1, 10, 20, 300, 200}), (PanelGeometryPlan{true, {}, {}}));
    EXPECT_EQ(planPanelGeometry({0, 10, std::nullopt, 300, 200}),
              (PanelGeometryPlan{false, {}, QSize(300, 200)}));
    EXPECT_EQ(planPanelGeometry({2, -5, 20, std::nullopt, 200}),
              (PanelGeometryPlan{false, QPoint(-5, 20), {}}));
    EXPECT_EQ(planPanelGeometry({0, 0, 0, 1, 200}).size, QSize(1, 200));  // the smallest size
    EXPECT_FALSE(planPanelGeometry({0, 0, 0, 0, 200}).size);              // sizes must be positive
    EXPECT_FALSE(planPanelGeometry({0, 0, 0, 300, -1}).size);
}

// Where all coordinates are small the fuzz target panel_position holds the answer to Qt's own
// intersection test; here the edges and the coordinates near the ends of int.
TEST(PanelGeometry, PositionCountsOnlyWhenThePanelShowsOnAScreen) {
    // Two screens side by side, and a third whose right and bottom edges are the last int: no
    // real layout has it, but there a panel could overlap a screen and still overflow.
    const int far = INT_MAX - 999;
    const QRect screens[] = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024),
                             QRect(far, far, 1000, 1000)};
    const QSize size(800, 600);
    const struct {
        int x, y;
        QSize size;
        bool usable;
    } cases[] = {
        {-799, -599, size, true},             // one pixel still shows
        {-800, 0, size, false},               // touches the left edge only
        {far, far, QSize(1000, 1000), true},  // right and bottom edges exactly the last int
        {far, far, QSize(1001, 50), false},   // one more would overflow
        {far, far, QSize(50, 1001), false},
        {INT_MAX - 100, far, size, false},
        {INT_MAX, INT_MAX, size, false},
        {INT_MIN, INT_MIN, size, false},
        {INT_MIN, 0, QSize(INT_MAX, 1), false},  // right edge -1: left of every screen
        {0, INT_MAX, QSize(), false},
        {10, 10, QSize(0, -5), true},  // an empty panel counts as one pixel
    };
    for (const auto& c : cases)
        EXPECT_EQ(panelPositionOnScreens(QPoint(c.x, c.y), c.size, screens), c.usable)
            << c.x << "," << c.y << " " << c.size.width() << "x" << c.size.height();
    EXPECT_FALSE(panelPositionOnScreens(QPoint(0, 0), size, {}));  // no screen at all
}

}  // namespace
}  // namespace korvo
