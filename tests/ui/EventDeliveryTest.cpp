// The event model: left click before commit, value changed then commit for user edits, nothing
// for values set from code, right clicks, double clicks, keys, dimmed controls, nested loops.

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTimer>

#include "UiFixture.h"

namespace korvo::ui::test {
namespace {

class EventDelivery : public UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        main = ui->loadPanel(0, layout, RES_MAIN);
        ASSERT_GE(main, 1);
        ui->displayPanel(main);
    }
    std::vector<int> of(int ctrl) const { return eventsOf(main, ctrl); }
    int main = 0;
};

const std::vector<int> kClickThenCommit{EVENT_LEFT_CLICK, EVENT_COMMIT};
const std::vector<int> kToggleClick{EVENT_LEFT_CLICK, EVENT_VAL_CHANGED, EVENT_COMMIT};
const std::vector<int> kEdit{EVENT_VAL_CHANGED, EVENT_COMMIT};

TEST_F(EventDelivery, ButtonClickDeliversLeftClickBeforeCommit) {
    ui->click(main, C_RUN);
    EXPECT_EQ(of(C_RUN), kClickThenCommit);
}

TEST_F(EventDelivery, TwoStateControlsDeliverValueChangedThenCommitAfterTheToggle) {
    for (int c : {C_TOGGLE, C_CHECK, C_RADIO_A, C_SWITCH}) {
        ui->click(main, c);
        EXPECT_EQ(of(c), kToggleClick) << "control " << c;
        EXPECT_EQ(ui->getInt(main, c), 1) << "control " << c;
    }
    // A radio button switched on is switched off by the next click: the program keeps them
    // exclusive itself.
    events.clear();
    ui->click(main, C_RADIO_A);
    EXPECT_EQ(of(C_RADIO_A), kToggleClick);
    EXPECT_EQ(ui->getInt(main, C_RADIO_A), 0);
    EXPECT_EQ(ui->getInt(main, C_RADIO_B), 0);
    // The switch shows the label of its state.
    EXPECT_EQ(ui->getText(main, C_SWITCH), "HIGH");
}

TEST_F(EventDelivery, ValuesSetFromCodeFireNoCallback) {
    ui->setInt(main, C_TOGGLE, 1);
    ui->setInt(main, C_CHECK, 1);
    ui->setInt(main, C_RADIO_B, 1);
    ui->setInt(main, C_NUM, 123);
    ui->setDouble(main, C_DBL, 2.5);
    ui->setInt(main, C_RING, 4);
    ui->setInt(main, C_SLIDER, 40);
    ui->setInt(main, C_SWITCH, 1);
    ui->setText(main, C_BOX, "help");
    ui->setDecimals(main, C_DBL, 0);
    ui->setActiveTabPage(main, C_TAB, 1);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(ui->getInt(main, C_NUM), 123);
    EXPECT_EQ(ui->getInt(main, C_SLIDER), 40);
}

TEST_F(EventDelivery, UserEditsOfNumericRingAndSliderDeliverValueChangedThenCommit) {
    ui->userSetInt(main, C_NUM, 77);
    EXPECT_EQ(of(C_NUM), kEdit);
    EXPECT_EQ(ui->getInt(main, C_NUM), 77);
    ui->userSetDouble(main, C_DBL, 1.25);
    EXPECT_EQ(of(C_DBL), kEdit);
    EXPECT_DOUBLE_EQ(ui->getDouble(main, C_DBL), 1.25);
    ui->userSetInt(main, C_RING, 8);
    EXPECT_EQ(of(C_RING), kEdit);
    EXPECT_EQ(ui->getInt(main, C_RING), 8);
    ui->userSetInt(main, C_SLIDER, 55);
    EXPECT_EQ(of(C_SLIDER), kEdit);
    // A ring value that no item has is not something a user can pick.
    events.clear();
    ui->userSetInt(main, C_RING, 3);
    EXPECT_TRUE(of(C_RING).empty());
    EXPECT_EQ(ui->getInt(main, C_RING), 8);
}

TEST_F(EventDelivery, TypingIntoANumericFieldCommitsOnEnterNotPerKeystroke) {
    auto* spin = qobject_cast<QSpinBox*>(ui->ctrl(main, C_NUM));
    QLineEdit* edit = spin->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->setText("4321");
    EXPECT_TRUE(of(C_NUM).empty());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(spin, &enter);
    EXPECT_EQ(ui->getInt(main, C_NUM), 4321);
    std::vector<int> got = of(C_NUM);
    std::erase(got, EVENT_KEYPRESS);
    EXPECT_EQ(got, kEdit);
}

TEST_F(EventDelivery, RightClickDoubleClickAndKeyPress) {
    ui->rightClick(main, C_BOX);  // the text box: the press lands in its viewport
    EXPECT_EQ(of(C_BOX), std::vector<int>{EVENT_RIGHT_CLICK});

    QWidget* run = ui->ctrl(main, C_RUN);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(run, &key);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), (Recorded{main, C_RUN, EVENT_KEYPRESS, Qt::Key_Escape}));

    events.clear();
    QWidget* graph = ui->ctrl(main, C_GRAPH);
    QWidget* target = graph->childAt(graph->rect().center());
    ASSERT_NE(target, nullptr);
    const QPoint at = target->mapFrom(graph, graph->rect().center());
    QMouseEvent rdbl(QEvent::MouseButtonDblClick, at, target->mapToGlobal(at), Qt::RightButton,
                     Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(target, &rdbl);
    EXPECT_EQ(of(C_GRAPH), std::vector<int>{EVENT_RIGHT_DOUBLE_CLICK});
}

TEST_F(EventDelivery, RightDoubleClickOnThePanelBackgroundGoesToThePanel) {
    QWidget* panel = ui->panelWidget(main);
    const QPoint empty(630, 470);
    ASSERT_EQ(panel->childAt(empty), nullptr);
    QMouseEvent rdbl(QEvent::MouseButtonDblClick, empty, panel->mapToGlobal(empty), Qt::RightButton,
                     Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &rdbl);
    EXPECT_EQ(eventsOf(main, 0), std::vector<int>{EVENT_RIGHT_DOUBLE_CLICK});
    // A press on a control is the control's, not the panel's.
    events.clear();
    ui->rightClick(main, C_RUN);
    EXPECT_TRUE(eventsOf(main, 0).empty());
    EXPECT_EQ(of(C_RUN), std::vector<int>{EVENT_RIGHT_CLICK});
}

TEST_F(EventDelivery, DimmedAndHiddenControlsTakeNoClicks) {
    ui->setDimmed(main, C_RUN, true);
    EXPECT_TRUE(ui->dimmed(main, C_RUN));
    ui->click(main, C_RUN);
    ui->setDimmed(main, C_TOGGLE, true);
    ui->click(main, C_TOGGLE);
    ui->setVisible(main, C_CHECK, false);
    ui->click(main, C_CHECK);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(ui->getInt(main, C_TOGGLE), 0);
    EXPECT_EQ(ui->getInt(main, C_CHECK), 0);
    ui->setDimmed(main, C_RUN, false);
    ui->click(main, C_RUN);
    EXPECT_EQ(of(C_RUN), kClickThenCommit);
}

// The left click's callback may run a loop of its own that processes events; the mouse release
// can arrive inside it. The click must still complete, in order, once the callback returns.
TEST_F(EventDelivery, ReleaseArrivingDuringTheLeftClickCallbackStillCompletesTheClick) {
    QWidget* run = ui->ctrl(main, C_RUN);
    const QPoint at = run->rect().center();
    std::vector<int> order;
    ui->registerCallback("CB_NESTED", [&](int, int, int e, void*, int, int) {
        order.push_back(e);
        if (e == EVENT_LEFT_CLICK) {
            QMouseEvent release(QEvent::MouseButtonRelease, at, run->mapToGlobal(at),
                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(run, &release);
            QCoreApplication::processEvents();
        }
        return 0;
    });
    // Rebind the button to the nested callback by loading a layout that names it.
    QByteArray doc = testLayout();
    doc.replace(
        "<string>CB_CTRL</string></property><property name=\"accessibleName\"><string>run",
        "<string>CB_NESTED</string></property><property name=\"accessibleName\"><string>run");
    const int panel = ui->loadPanel(0, writeLayout("nested.uir", doc), RES_MAIN);
    ASSERT_GE(panel, 1);
    ui->displayPanel(panel);
    run = ui->ctrl(panel, C_RUN);

    QMouseEvent press(QEvent::MouseButtonPress, at, run->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(run, &press);
    EXPECT_EQ(order, std::vector<int>{EVENT_LEFT_CLICK});  // the release was held back
    QCoreApplication::processEvents();
    EXPECT_EQ(order, kClickThenCommit);
}

TEST_F(EventDelivery, CallbackMayDiscardItsOwnPanel) {
    ui->registerCallback("CB_DISCARD", [&](int p, int, int e, void*, int, int) {
        if (e == EVENT_COMMIT) ui->discardPanel(p);
        return 0;
    });
    QByteArray doc = testLayout();
    doc.replace(
        "<string>CB_CTRL</string></property><property name=\"accessibleName\"><string>run",
        "<string>CB_DISCARD</string></property><property name=\"accessibleName\"><string>run");
    const int panel = ui->loadPanel(0, writeLayout("discard.uir", doc), RES_MAIN);
    ui->displayPanel(panel);
    ui->click(panel, C_RUN);
    EXPECT_EQ(ui->panelWidget(panel), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(EventDelivery, DeliverCallsTheBoundCallbackDirectly) {
    EXPECT_EQ(ui->deliver(main, C_RUN, EVENT_RIGHT_CLICK, 7, 8), 0);
    EXPECT_EQ(events.back(), (Recorded{main, C_RUN, EVENT_RIGHT_CLICK, 7}));
    events.clear();
    ui->deliver(main, C_STATUS, EVENT_COMMIT);  // no callback bound: nothing
    ui->deliver(main, 999, EVENT_COMMIT);
    EXPECT_TRUE(events.empty());
}

TEST_F(EventDelivery, EventLoopRunsUntilQuit) {
    // Quit from inside a callback that itself runs a nested loop.
    QTimer::singleShot(0, [&] {
        ui->quitUserInterface(3);
        QCoreApplication::processEvents();
    });
    EXPECT_EQ(ui->runUserInterface(), 3);
    EXPECT_TRUE(ui->quitRequested());
}

}  // namespace
}  // namespace korvo::ui::test
