// Which stored geometry keys a panel may use.

#include <gtest/gtest.h>

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
    EXPECT_FALSE(planPanelGeometry({0, 0, 0, 0, 200}).size);  // sizes must be positive
    EXPECT_FALSE(planPanelGeometry({0, 0, 0, 300, -1}).size);
}

}  // namespace
}  // namespace korvo
