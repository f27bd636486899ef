// Panels from layout files: resource numbers, failures, control lookup, tab pages, display
// state, the close request (moving, sizing and centring are the program's tests': the windows'
// geometry); control values and attributes as the program reads them back.

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <string>
#include <utility>

#include "UiFixture.h"

namespace korvo::ui::test {
namespace {

using PanelLoading = UiFixture;

TEST_F(PanelLoading, LoadsEachResourceByNumberAsHiddenWindowWithOnlyItsOwnControls) {
    const int port = ui->loadPanel(0, layout, RES_PORT);
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
    ui->setPanelSize(main, 400, 600);  // not shown: no event
    ui->displayPanel(main);
    ui->userClosePanel(main);
    EXPECT_EQ(eventsOf(main, 0), std::vector<int>{EVENT_CLOSE});
    EXPECT_TRUE(ui->panelVisible(main));  // the callback decides, and did not hide it
    events.clear();
    ui->setPanelSize(main, 548, 780);
    EXPECT_EQ(eventsOf(main, 0), std::vector<int>{EVENT_PANEL_SIZE});
}

class ControlValues : public UiFixture {
protected:
    std::vector<int> ringValues(int ctrl) const {
        std::vector<int> values;
        for (const RingItem& i : ui->ringItems(main, ctrl)) values.push_back(i.value);
        return values;
    }
};

TEST_F(ControlValues, RingsSelectByItemValue) {
    EXPECT_EQ(ringValues(C_RING), (std::vector<int>{1, 2, 4, 8}));
    EXPECT_EQ(ringValues(C_RING_PLAIN), (std::vector<int>{0, 1}));  // without values: the index
    ui->setInt(main, C_RING, 4);
    EXPECT_EQ(ui->getText(main, C_RING), "C");
    // A value no item has: no selection, and the value reads back.
    ui->setInt(main, C_RING, 3);
    EXPECT_EQ(ui->getText(main, C_RING), "");
    EXPECT_EQ(ui->getInt(main, C_RING), 3);
    // The ring shows the number where an item's label would stand.
    EXPECT_EQ(qobject_cast<QComboBox*>(ui->ctrl(main, C_RING))->placeholderText(), "3");

    ui->clearRing(main, C_RING);
    ui->insertRingItem(main, C_RING, "TEACH IN0", 5);
    ui->insertRingItem(main, C_RING, "SAVE-VTHD->EE", 3);
    EXPECT_EQ(ringValues(C_RING), (std::vector<int>{5, 3}));
    ui->setInt(main, C_RING, 3);
    EXPECT_EQ(ui->getText(main, C_RING), "SAVE-VTHD->EE");
}

TEST_F(ControlValues, NumbersTextsAndTextBoxLines) {
    ui->setDouble(main, C_DBL, 0.1234);
    EXPECT_DOUBLE_EQ(ui->getDouble(main, C_DBL), 0.123);
    ui->setDecimals(main, C_DBL, 1);
    EXPECT_DOUBLE_EQ(ui->getDouble(main, C_DBL), 0.1);
    ui->setInt(main, C_NUM, 9999);  // above the field's maximum of 5000
    EXPECT_EQ(ui->getInt(main, C_NUM), 5000);
    // A text display is a read-only line edit, so its text is there for screen readers too.
    ui->setText(main, C_STATUS, "Data-Transfer Stopped!");
    EXPECT_EQ(ui->getText(main, C_STATUS), "Data-Transfer Stopped!");
    EXPECT_TRUE(qobject_cast<QLineEdit*>(ui->ctrl(main, C_STATUS))->isReadOnly());

    ui->resetTextBox(main, C_BOX, "RUN-BUTTON:\nStart the continuosly serial RS232-data-");
    ui->replaceTextBoxLine(main, C_BOX, 1, "second");
    ui->replaceTextBoxLine(main, C_BOX, 3, "fourth");
    EXPECT_EQ(ui->textBoxLines(main, C_BOX), (QStringList{"RUN-BUTTON:", "second", "", "fourth"}));
    ui->resetTextBox(main, C_BOX, "");
    EXPECT_TRUE(ui->textBoxLines(main, C_BOX).isEmpty());
}

TEST_F(ControlValues, PositionsSwitchLabelsAndRunTimeTexts) {
    // Controls inside a tab page report positions in the page.
    const int page = ui->tabPagePanel(main, C_TAB, 0);
    EXPECT_EQ(ui->boundingRect(page, P_ENABLE).topLeft(), QPoint(5, 5));

    ui->setSwitchLabels(main, C_SWITCH, "DIGITAL-COMPARATION-MODE", "ANALOG-DIGITAL-CONV.-MODE");
    EXPECT_EQ(ui->getText(main, C_SWITCH), "ANALOG-DIGITAL-CONV.-MODE");
    ui->setInt(main, C_SWITCH, 1);
    EXPECT_EQ(ui->getText(main, C_SWITCH), "DIGITAL-COMPARATION-MODE");

    const int a = ui->newTextCtrl(main, "KORVO-KM-Scope", 300, 35);
    const int b = ui->newTextCtrl(main, "V3.18", 450, 42);
    ASSERT_GE(a, 1);
    EXPECT_NE(a, b);
    EXPECT_EQ(ui->ctrl(main, C_RUN)->property("ctrlId").toInt(), C_RUN);  // untouched
    EXPECT_EQ(ui->getText(main, a), "KORVO-KM-Scope");
    EXPECT_EQ(ui->boundingRect(main, b).topLeft(), QPoint(450, 42));
}

TEST_F(ControlValues, PictureTakesTheBitmapAndItsSize) {
    QImage img(24, 12, QImage::Format_RGB32);
    img.fill(Qt::blue);
    ASSERT_TRUE(img.save(dir.filePath("logo.bmp")));
    EXPECT_TRUE(ui->displayImageFile(main, C_PICTURE, "logo.bmp"));
    EXPECT_EQ(ui->boundingRect(main, C_PICTURE).size(), QSize(24, 12));
    EXPECT_FALSE(ui->displayImageFile(main, C_PICTURE, "missing.bmp"));
}

// A debug build stops at an access to an id that no control has and names it; a release build
// goes on without the access. Asking whether the control is there is no slip.
TEST_F(ControlValues, AnUnknownControlIdStopsADebugBuild) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::pair<const char*, std::function<void()>> accesses[] = {
        {"setInt", [&] { ui->setInt(main, 99, 1); }},
        {"getText", [&] { ui->getText(main, 99); }},
        {"setDimmed", [&] { ui->setDimmed(main, 99, true); }},
        {"boundingRect", [&] { ui->boundingRect(main, 99); }},
        {"rightClick", [&] { ui->rightClick(main, 99); }},
    };
    for (const auto& [access, run] : accesses)
        EXPECT_DEBUG_DEATH(run(), std::string(access) + ": no control 99 on panel");
    EXPECT_FALSE(ui->hasCtrl(main, 99));
}

}  // namespace
}  // namespace korvo::ui::test
