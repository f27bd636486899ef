// Which stored geometry keys a panel may use.

#include <gtest/gtest.h>

#include "core/ini/PanelGeometry.h"

namespace korvo {
namespace {

TEST(PanelGeometry, NothingWithoutTheMaxKey) {
    EXPECT_EQ(planPanelGeometry({std::nullopt, 10, 20, 300, 200}), PanelGeometryPlan{});
}

TEST(PanelGeometry, MaxOneMaximisesAndIgnoresTheRest) {
    const PanelGeometryPlan plan = planPanelGeometry({1, 10, 20, 300, 200});
    EXPECT_TRUE(plan.maximise);
    EXPECT_FALSE(plan.position);
    EXPECT_FALSE(plan.size);
}

TEST(PanelGeometry, PositionAndSizeEachNeedBothOfTheirKeys) {
    PanelGeometryPlan plan = planPanelGeometry({0, 10, std::nullopt, 300, 200});
    EXPECT_FALSE(plan.maximise);
    EXPECT_FALSE(plan.position);
    EXPECT_EQ(plan.size, QSize(300, 200));

    plan = planPanelGeometry({2, -5, 20, std::nullopt, 200});
    EXPECT_EQ(plan.position, QPoint(-5, 20));
    EXPECT_FALSE(plan.size);
}

TEST(PanelGeometry, SizeMustBePositive) {
    EXPECT_FALSE(planPanelGeometry({0, 0, 0, 0, 200}).size);
    EXPECT_FALSE(planPanelGeometry({0, 0, 0, 300, -1}).size);
}

}  // namespace
}  // namespace korvo
