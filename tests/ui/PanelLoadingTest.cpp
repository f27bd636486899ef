// Panels from layout files: resource numbers, failures, control lookup, tab pages, geometry,
// display state, the close request.

#include <QCheckBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <cstdio>

#include "UiFixture.h"

namespace korvo::ui::test {
namespace {

using PanelLoading = UiFixture;

TEST_F(PanelLoading, LoadsEachResourceByNumberAsHiddenWindow) {
    const int main = ui->loadPanel(0, layout, RES_MAIN);
    const int port = ui->loadPanel(0, layout, RES_PORT);
    ASSERT_GE(main, 1);
    ASSERT_GE(port, 1);
    EXPECT_NE(main, port);

    QWidget* w = ui->panelWidget(main);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isWindow());
    EXPECT_EQ(w->windowTitle(), "Main panel");
    EXPECT_EQ(ui->panelGeometry(main).size(), QSize(640, 480));
    EXPECT_FALSE(ui->panelVisible(main));
    ui->displayPanel(main);
    EXPECT_TRUE(ui->panelVisible(main));
    ui->hidePanel(main);
    EXPECT_FALSE(ui->panelVisible(main));

    // Each panel has only its own controls.
    EXPECT_NE(ui->ctrl(main, C_RUN), nullptr);
    EXPECT_EQ(ui->ctrl(port, C_RUN + 100), nullptr);
    EXPECT_TRUE(qobject_cast<QSpinBox*>(ui->ctrl(port, PORT_COM)));
    EXPECT_TRUE(qobject_cast<QCheckBox*>(ui->ctrl(port, PORT_ENABLE)));
    EXPECT_EQ(ui->panelOfWidget(ui->ctrl(port, PORT_ENABLE)), port);
    // The layout's accessible names stay.
    EXPECT_EQ(ui->ctrl(main, C_RUN)->accessibleName(), "run");
}

TEST_F(PanelLoading, FailuresGiveNegativeHandles) {
    EXPECT_EQ(ui->loadPanel(0, "no-such-layout.uir", RES_MAIN), kLayoutFileMissing);
    EXPECT_EQ(ui->loadPanel(0, layout, 42), kResourceMissing);
    EXPECT_EQ(ui->loadPanel(999, layout, RES_PORT), kBadParentPanel);
    const QString broken = writeLayout("broken.uir", "<ui version=\"4.0\"><widget class=");
    EXPECT_EQ(ui->loadPanel(0, broken, RES_MAIN), kLayoutUnreadable);
    // A failure does not spoil later loads.
    EXPECT_GE(ui->loadPanel(0, layout, RES_MAIN), 1);
}

QString gLastWarning;
void captureWarning(QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (type == QtWarningMsg) gLastWarning = msg;
}

TEST_F(PanelLoading, UnknownCallbackNameFailsTheLoadAndNamesIt) {
    const QString withExtra = writeLayout("extra.uir", testLayout("CC_NotRegistered"));
    gLastWarning.clear();
    QtMessageHandler previous = qInstallMessageHandler(captureWarning);
    const int handle = ui->loadPanel(0, withExtra, RES_PORT);
    qInstallMessageHandler(previous);
    EXPECT_EQ(handle, kUnknownCallback);
    EXPECT_TRUE(gLastWarning.contains("CC_NotRegistered")) << gLastWarning.toStdString();
    // Once registered, the same resource loads.
    ui->registerCallback("CC_NotRegistered", [](int, int, int, void*, int, int) { return 0; });
    EXPECT_GE(ui->loadPanel(0, withExtra, RES_PORT), 1);
}

TEST_F(PanelLoading, TabPagesArePanelsThatHoldTheirControlsAndChildPanels) {
    const int main = ui->loadPanel(0, layout, RES_MAIN);
    ASSERT_GE(main, 1);
    EXPECT_EQ(ui->tabPageCount(main, C_TAB), 2);
    const int page0 = ui->tabPagePanel(main, C_TAB, 0);
    const int page1 = ui->tabPagePanel(main, C_TAB, 1);
    ASSERT_GE(page0, 1);
    ASSERT_GE(page1, 1);
    EXPECT_NE(page0, page1);
    EXPECT_LT(ui->tabPagePanel(main, C_TAB, 2), 0);

    // The same control id on both pages addresses two different widgets; the main panel's id 2
    // is its own button.
    QWidget* enable0 = ui->ctrl(page0, P_ENABLE);
    QWidget* enable1 = ui->ctrl(page1, P_ENABLE);
    ASSERT_TRUE(enable0 && enable1);
    EXPECT_NE(enable0, enable1);
    EXPECT_TRUE(qobject_cast<QPushButton*>(ui->ctrl(main, P_ENABLE)));

    // A panel loaded into a page becomes a child of that page at its stored position.
    const int port = ui->loadPanel(page1, layout, RES_PORT);
    ASSERT_GE(port, 1);
    QWidget* portWidget = ui->panelWidget(port);
    EXPECT_EQ(portWidget->parentWidget(), ui->panelWidget(page1));
    EXPECT_EQ(ui->panelGeometry(port).topLeft(), QPoint(0, 500));
    EXPECT_FALSE(ui->panelVisible(port));
    ui->setPanelPos(port, 30, 5);  // top, left
    EXPECT_EQ(ui->panelGeometry(port), QRect(5, 30, 280, 26));
    ui->displayPanel(port);
    EXPECT_TRUE(ui->panelVisible(port));

    ui->setActiveTabPage(main, C_TAB, 1);
    EXPECT_EQ(ui->activeTabPage(main, C_TAB), 1);

    // Clicks on a page's control report the page's handle.
    ui->displayPanel(main);
    ui->click(page1, P_ENABLE);
    EXPECT_EQ(eventsOf(page1, P_ENABLE),
              (std::vector<int>{EVENT_LEFT_CLICK, EVENT_VAL_CHANGED, EVENT_COMMIT}));
    EXPECT_TRUE(eventsOf(page0, P_ENABLE).empty());

    // Discarding the main panel takes its pages and the panel loaded into them.
    ui->discardPanel(main);
    EXPECT_EQ(ui->panelWidget(page1), nullptr);
    EXPECT_EQ(ui->panelWidget(port), nullptr);
}

TEST_F(PanelLoading, TopLevelGeometryPositionSizeAndCentre) {
    const int main = ui->loadPanel(0, layout, RES_MAIN);
    ASSERT_GE(main, 1);
    ui->setPanelPos(main, 50, 60);     // top 50, left 60
    ui->setPanelSize(main, 300, 500);  // height 300, width 500
    EXPECT_EQ(ui->panelGeometry(main), QRect(60, 50, 500, 300));

    ui->displayPanel(main);
    ui->centrePanel(main);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect g = ui->panelGeometry(main);
    EXPECT_LE(std::abs(g.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(g.center().y() - screen.center().y()), 1);
    EXPECT_EQ(g.size(), QSize(500, 300));
}

TEST_F(PanelLoading, ChildPanelOfAPanelSitsInsideIt) {
    const int main = ui->loadPanel(0, layout, RES_MAIN);
    const int child = ui->loadPanel(main, layout, RES_PORT);
    ASSERT_GE(child, 1);
    EXPECT_EQ(ui->panelWidget(child)->parentWidget(), ui->panelWidget(main));
    EXPECT_FALSE(ui->panelWidget(child)->isWindow());
    ui->setPanelPos(child, 105, 8);
    EXPECT_EQ(ui->panelGeometry(child).topLeft(), QPoint(8, 105));
    // Its controls report positions in their own panel.
    EXPECT_EQ(ui->boundingRect(child, PORT_ENABLE), QRect(140, 0, 50, 24));
}

TEST_F(PanelLoading, CloseRequestGoesToThePanelCallbackWhichDecides) {
    const int main = ui->loadPanel(0, layout, RES_MAIN);
    ui->displayPanel(main);

    ui->userClosePanel(main);
    EXPECT_EQ(eventsOf(main, 0), std::vector<int>{EVENT_CLOSE});
    EXPECT_TRUE(ui->panelVisible(main));  // the callback did not hide it

    hideOnClose = true;
    ui->userClosePanel(main);
    EXPECT_EQ(eventsOf(main, 0), (std::vector<int>{EVENT_CLOSE, EVENT_CLOSE}));
    EXPECT_FALSE(ui->panelVisible(main));
}

TEST_F(PanelLoading, ResizeOfAShownPanelDeliversPanelSize) {
    const int main = ui->loadPanel(0, layout, RES_MAIN);
    ui->setPanelSize(main, 400, 600);  // not shown: nothing
    EXPECT_TRUE(eventsOf(main, 0).empty());
    ui->displayPanel(main);
    events.clear();
    ui->setPanelSize(main, 548, 780);
    EXPECT_EQ(eventsOf(main, 0), std::vector<int>{EVENT_PANEL_SIZE});
}

TEST_F(PanelLoading, ControlVisibilityIsTheControlsOwnWhileThePanelIsHidden) {
    const int main = ui->loadPanel(0, layout, RES_MAIN);
    EXPECT_TRUE(ui->visible(main, C_LED));
    ui->setVisible(main, C_LED, false);
    EXPECT_FALSE(ui->visible(main, C_LED));
    ui->setVisible(main, C_LED, true);
    EXPECT_TRUE(ui->visible(main, C_LED));
    ui->displayPanel(main);
    EXPECT_TRUE(ui->ctrl(main, C_LED)->isVisible());
}

// The multiplexer loads 112 port panels at start: this must stay quick.
TEST_F(PanelLoading, LoadingTheSmallPanel112Times) {
    const int main = ui->loadPanel(0, layout, RES_MAIN);
    const int page = ui->tabPagePanel(main, C_TAB, 0);
    ASSERT_GE(ui->loadPanel(page, layout, RES_PORT), 1);  // the file is read by now
    QElapsedTimer t;
    t.start();
    int last = 0;
    for (int i = 0; i < 112; ++i) last = ui->loadPanel(page, layout, RES_PORT);
    const qint64 ms = t.elapsed();
    EXPECT_GE(last, 1);
    std::printf("[ timing ] 112 port panels loaded in %lld ms\n", static_cast<long long>(ms));
}

}  // namespace
}  // namespace korvo::ui::test
