// The geometry keys as a settings file may give them, any 32-bit values: a maximised panel takes
// neither position nor size, a size is positive; and the check of the position against up to
// four screens anywhere. Where all coordinates are small enough for Qt's own rectangle
// arithmetic, the answer must be Qt's intersection test.

#include <fuzzer/FuzzedDataProvider.h>

#include <QRect>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>
#include <vector>

#include "FuzzCheck.h"
#include "core/ini/PanelGeometry.h"

namespace {

std::optional<std::int32_t> maybeKey(FuzzedDataProvider& in) {
    if (!in.ConsumeBool()) return std::nullopt;
    return in.ConsumeIntegral<std::int32_t>();
}

// A screen as Qt reports one: corners anywhere, width and height that fit in an int (possibly
// empty).
QRect screen(FuzzedDataProvider& in) {
    const std::int64_t left = in.ConsumeIntegral<std::int32_t>();
    const std::int64_t top = in.ConsumeIntegral<std::int32_t>();
    const std::int64_t width = in.ConsumeIntegralInRange<std::int64_t>(0, 1 << 16);
    const std::int64_t height = in.ConsumeIntegralInRange<std::int64_t>(0, 1 << 16);
    const auto corner = [](std::int64_t v) {
        return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
    };
    return QRect(QPoint(corner(left), corner(top)),
                 QPoint(corner(left + width - 1), corner(top + height - 1)));
}

bool small(std::int64_t v) {
    return std::llabs(v) < (1 << 24);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvo;
    FuzzedDataProvider in(data, size);
    const PanelGeometryKeys keys{maybeKey(in), maybeKey(in), maybeKey(in), maybeKey(in),
                                 maybeKey(in)};
    std::vector<QRect> screens(in.ConsumeIntegralInRange<std::size_t>(0, 4));
    for (QRect& s : screens) s = screen(in);

    const PanelGeometryPlan plan = planPanelGeometry(keys);
    FUZZ_CHECK(!plan.maximise || (!plan.position && !plan.size));
    if (plan.size) FUZZ_CHECK(plan.size->width() > 0 && plan.size->height() > 0);
    if (!plan.position) return 0;
    const QPoint position = *plan.position;
    const QSize panel = plan.size.value_or(
        QSize(in.ConsumeIntegral<std::int32_t>(), in.ConsumeIntegral<std::int32_t>()));
    const bool onScreen = panelPositionOnScreens(position, panel, screens);

    // The panel's far edges must be window coordinates.
    const std::int64_t right = std::int64_t{position.x()} + std::max(panel.width(), 1) - 1;
    const std::int64_t bottom = std::int64_t{position.y()} + std::max(panel.height(), 1) - 1;
    if (onScreen) FUZZ_CHECK(right <= INT_MAX && bottom <= INT_MAX);

    bool allSmall = small(position.x()) && small(position.y()) && small(right) && small(bottom);
    for (const QRect& s : screens)
        allSmall =
            allSmall && small(s.left()) && small(s.top()) && small(s.right()) && small(s.bottom());
    if (allSmall) {
        const QRect placed(position,
                           QSize(std::max(panel.width(), 1), std::max(panel.height(), 1)));
        // Qt takes a rectangle of no height but some width for a line that can intersect; a
        // screen area without pixels overlaps nothing.
        const bool qtSays = std::any_of(screens.begin(), screens.end(), [&](const QRect& s) {
            return !s.isEmpty() && placed.intersects(s);
        });
        FUZZ_CHECK(onScreen == qtSays);
    }
    return 0;
}
