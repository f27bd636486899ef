// Panels from layout files: resource numbers, failures, control lookup, tab pages, display
// state, the close request. Moving, sizing and centring are the program's tests' (the windows'
// geometry).

#include <QCheckBox>
#include <QPushButton>

#include "UiFixture.h"

namespace korvo::ui::test {
namespace {

using PanelLoading = UiFixture;

// Showing, hiding and sizing the windows are the program's tests'.
TEST_F(PanelLoading, LoadsEachResourceByNumberAsHiddenWindowWithOnlyItsOwnControls) {
    const int main = ui->loadPanel(0, layout, RES_MAIN);
    const int port = ui->loadPanel(0, layout, RES_PORT);
    ASSERT_GE(main, 1);
    ASSERT_GE(port, 1);
    QWidget* w = ui->panelWidget(main);
    EXPECT_TRUE(w->isWindow());
    EXPECT_EQ(w->windowTitle(), "Main panel");
    EXPECT_FALSE(ui->panelVisible(main));
    EXPECT_EQ(ui->ctrl(port, C_RUN + 100), nullptr);
    EXPECT_TRUE(qobject_cast<QCheckBox*>(ui->ctrl(port, PORT_ENABLE)));
    EXPECT_EQ(ui->panelOfWidget(ui->ctrl(port, PORT_ENABLE)), port);
    EXPECT_EQ(ui->ctrl(main, C_RUN)->accessibleName(), "run");  // the layout's names stay
}

QString gLastWarning;
void captureWarning(QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (type == QtWarningMsg) gLastWarning = msg;
}

TEST_F(PanelLoading, FailuresGiveNegativeHandles) {
    EXPECT_EQ(ui->loadPanel(0, "no-such-layout.uir", RES_MAIN), kLayoutFileMissing);
    EXPECT_EQ(ui->loadPanel(0, layout, 42), kResourceMissing);
    EXPECT_EQ(ui->loadPanel(999, layout, RES_PORT), kBadParentPanel);
    const QString broken = writeLayout("broken.uir", "<ui version=\"4.0\"><widget class=");
    EXPECT_EQ(ui->loadPanel(0, broken, RES_MAIN), kLayoutUnreadable);

    // An unknown callback name fails the load and is named in the warning.
    const QString withExtra = writeLayout("extra.uir", testLayout("CB_CTRL", "CC_NotRegistered"));
    gLastWarning.clear();
    QtMessageHandler previous = qInstallMessageHandler(captureWarning);
    const int handle = ui->loadPanel(0, withExtra, RES_PORT);
    qInstallMessageHandler(previous);
    EXPECT_EQ(handle, kUnknownCallback);
    EXPECT_TRUE(gLastWarning.contains("CC_NotRegistered")) << gLastWarning.toStdString();
    // Failures do not spoil later loads; once registered, the same resource loads.
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
    EXPECT_NE(ui->ctrl(page0, P_ENABLE), ui->ctrl(page1, P_ENABLE));
    EXPECT_TRUE(qobject_cast<QPushButton*>(ui->ctrl(main, P_ENABLE)));

    // A panel loaded into a page becomes a child of that page at its stored position.
    const int port = ui->loadPanel(page1, layout, RES_PORT);
    ASSERT_GE(port, 1);
    EXPECT_EQ(ui->panelWidget(port)->parentWidget(), ui->panelWidget(page1));
    EXPECT_EQ(ui->panelGeometry(port).topLeft(), QPoint(0, 500));

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

TEST_F(PanelLoading, CloseRequestAndResizeGoToThePanelCallback) {
    const int main = ui->loadPanel(0, layout, RES_MAIN);
    ui->setPanelSize(main, 400, 600);  // not shown: no event
    ui->displayPanel(main);
    ui->userClosePanel(main);
    EXPECT_EQ(eventsOf(main, 0), std::vector<int>{EVENT_CLOSE});
    EXPECT_TRUE(ui->panelVisible(main));  // the callback decides, and did not hide it
    events.clear();
    ui->setPanelSize(main, 548, 780);
    EXPECT_EQ(eventsOf(main, 0), std::vector<int>{EVENT_PANEL_SIZE});
}

}  // namespace
}  // namespace korvo::ui::test
