// The line monitor's window: LINE opens a tile per enabled port, each tile says its state in
// words; a tile's Enter opens the scope window on its port, and the monitor lets go of the port
// while the scope window or a TEACH works it.

#include <QKeyEvent>
#include <QLabel>

#include "app/shell/LineHold.h"
#include "core/monitor/LineMonitor.h"
#include "support/AppFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

class LineWindowTest : public ScopeAppTest {
protected:
    QWidget* tile(const char* name) {
        for (QWidget* w : app().lineWindow->findChildren<QWidget*>())
            if (w->accessibleName() == QLatin1String(name)) return w;
        return nullptr;
    }
    bool waitFor(const std::function<bool()>& done) {
        const double end = app().pump.now() + 10.0;
        while (!done() && app().pump.now() < end) app().pump.waitForEvents(app().pump.now() + 0.05);
        return done();
    }
    bool says(const char* name, const char* words) {
        return tile(name)->accessibleDescription().contains(QLatin1String(words));
    }
};

TEST_F(LineWindowTest, TilesTellTheirStateAndEnterOpensTheScopeOnThePort) {
    // The monitor sends thousands of requests a second: each sensor keeps all of this test's.
    sim::SensorConfig kept = model();
    kept.frameLogLimit = 1000000;
    sim::SensorConfig sibling = kept;
    sibling.firmwareId = "KORVO-DV";
    startWith({kept, kept, sibling});
    for (int g = 1; g < kMplexGroups; ++g) enableOnly(g, {});
    clickScope(0, 0);  // the scope window has P1 before the monitor starts: it stays there
    ui().click(panels().mpc, MPC_LINE);
    ASSERT_NE(app().line, nullptr);
    ASSERT_NE(tile("P3 COM3"), nullptr);
    EXPECT_EQ(tile("P4 COM4"), nullptr);  // one tile per enabled port
    EXPECT_FALSE(app().line->holds(1));
    ASSERT_TRUE(waitFor([&] { return says("P2 COM2", " mm, ") && !says("P3 COM3", "joining"); }));
    EXPECT_TRUE(says("P1 COM1", "paused"));
    clickScope(0, 0);
    ASSERT_TRUE(waitFor([&] { return says("P1 COM1", " mm, "); }));
    EXPECT_TRUE(says("P1 COM1", "SN 4711, "));
    EXPECT_TRUE(says("P3 COM3", "refused"));
    const auto* header = app().lineWindow->findChild<QLabel*>();
    EXPECT_TRUE(header->text().startsWith(QLatin1String("live 2, ")))
        << header->text().toStdString();

    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(tile("P2 COM2"), &enter);
    EXPECT_EQ(port(0, 1).scopeActive, 1);
    EXPECT_FALSE(app().line->holds(2));
    EXPECT_TRUE(waitFor([&] { return says("P2 COM2", "paused"); }));
    const int reads = requestCount(sensor(1), 2);
    clickScope(0, 1);  // off: the monitor takes the port back and reads para0 again
    EXPECT_EQ(port(0, 1).scopeActive, 0);
    EXPECT_TRUE(app().line->holds(2));
    EXPECT_TRUE(
        waitFor([&] { return requestCount(sensor(1), 2) > reads && says("P2 COM2", " mm, "); }));

    // INIT and TEACH work the ports themselves; the monitor holds them again after.
    ui().click(panels().mpc, MPC_INIT);
    ui().click(panels().mpc, MPC_TEACH);
    EXPECT_TRUE(received(0, 16));
    const auto para0ReadAfterTeach = [&] {
        const std::vector<SeenRequest> seen = requestsOf(sensor(0));
        const auto teach = std::find_if(seen.rbegin(), seen.rend(),
                                        [](const SeenRequest& r) { return r.code == 16; });
        return std::any_of(seen.rbegin(), teach, [](const SeenRequest& r) { return r.code == 2; });
    };
    EXPECT_TRUE(waitFor(para0ReadAfterTeach));
    EXPECT_TRUE(app().line->holds(1) && app().line->holds(2));

    app().lineWindow->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(app().line, nullptr);
}

}  // namespace
}  // namespace korvo::test
