// The event model: left click before commit however a button is pressed, value changed then
// commit for user edits, nothing for values set from code, right clicks, double clicks, keys,
// dimmed controls, nested loops, focus order, what assistive tools see.

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
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
        if (!HasFatalFailure()) ui->displayPanel(main);
    }
    std::vector<int> of(int ctrl) const { return eventsOf(main, ctrl); }
    // A panel of a layout whose RUN button calls `callback`.
    int panelWithRunCallback(const QString& callback) {
        const int panel =
            ui->loadPanel(0, writeLayout(callback + ".uir", testLayout(callback)), RES_MAIN);
        ui->displayPanel(panel);
        return panel;
    }
};

void sendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button) {
    QMouseEvent e(type, at, w->mapToGlobal(at), button,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void sendKey(QWidget* w, QEvent::Type type, int key,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent e(type, key, modifiers);
    QApplication::sendEvent(w, &e);
}

void pressKey(QWidget* w, int key) {
    sendKey(w, QEvent::KeyPress, key);
    sendKey(w, QEvent::KeyRelease, key);
}

// Runs an assistive tool's action (press or toggle) on a button and lets the click it starts
// run to its end.
void accessibleAction(QAbstractButton* b, const QString& action) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
    ASSERT_TRUE(a && a->actionInterface());
    ASSERT_TRUE(a->actionInterface()->actionNames().contains(action)) << action.toStdString();
    QEventLoop loop;
    QObject::connect(b, &QAbstractButton::released, &loop, &QEventLoop::quit);
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    a->actionInterface()->doAction(action);
    loop.exec();
}

const std::vector<int> kClickThenCommit{EVENT_LEFT_CLICK, EVENT_COMMIT};
const std::vector<int> kToggleClick{EVENT_LEFT_CLICK, EVENT_VAL_CHANGED, EVENT_COMMIT};
const std::vector<int> kEdit{EVENT_VAL_CHANGED, EVENT_COMMIT};

TEST_F(EventDelivery, ValuesSetFromCodeFireNoCallback) {
    for (int c : {C_TOGGLE, C_CHECK, C_RADIO_B, C_SWITCH}) ui->setInt(main, c, 1);
    ui->setInt(main, C_NUM, 123);
    ui->setDouble(main, C_DBL, 2.5);
    ui->setInt(main, C_RING, 4);
    ui->setInt(main, C_SLIDER, 40);
    ui->setText(main, C_BOX, "help");
    ui->setDecimals(main, C_DBL, 0);
    ui->setActiveTabPage(main, C_TAB, 1);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(ui->getInt(main, C_SLIDER), 40);
    // The number beside the slider follows a value set from code too.
    QLabel* readout = nullptr;
    for (QLabel* l : ui->panelWidget(main)->findChildren<QLabel*>())
        if (l->accessibleName() == "slider value") readout = l;
    ASSERT_NE(readout, nullptr);
    EXPECT_EQ(readout->text(), "40");
}

TEST_F(EventDelivery, UserEditsDeliverValueChangedThenCommit) {
    for (const auto& [c, v] : {std::pair{C_NUM, 77}, {C_RING, 8}, {C_SLIDER, 55}}) {
        ui->userSetInt(main, c, v);
        EXPECT_EQ(of(c), kEdit) << "control " << c;
        EXPECT_EQ(ui->getInt(main, c), v) << "control " << c;
    }
    ui->userSetDouble(main, C_DBL, 1.25);
    EXPECT_EQ(of(C_DBL), kEdit);
    // A ring value that no item has is not something a user can pick.
    events.clear();
    ui->userSetInt(main, C_RING, 3);
    EXPECT_TRUE(of(C_RING).empty());
    EXPECT_EQ(ui->getInt(main, C_RING), 8);

    // Typing into a numeric field commits on Enter, not per keystroke.
    events.clear();
    auto* spin = qobject_cast<QSpinBox*>(ui->ctrl(main, C_NUM));
    spin->findChild<QLineEdit*>()->setText("4321");
    EXPECT_TRUE(of(C_NUM).empty());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(spin, &enter);
    EXPECT_EQ(ui->getInt(main, C_NUM), 4321);
    std::vector<int> got = of(C_NUM);
    std::erase(got, EVENT_KEYPRESS);
    EXPECT_EQ(got, kEdit);
}

TEST_F(EventDelivery, RightClicksDoubleClicksAndKeys) {
    ui->rightClick(main, C_BOX);  // the text box: the press lands in its viewport
    EXPECT_EQ(of(C_BOX), std::vector<int>{EVENT_RIGHT_CLICK});
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(ui->ctrl(main, C_RUN), &key);
    EXPECT_EQ(events.back(), (Recorded{main, C_RUN, EVENT_KEYPRESS, Qt::Key_Escape}));

    QWidget* graph = ui->ctrl(main, C_GRAPH);
    QWidget* target = graph->childAt(graph->rect().center());
    ASSERT_NE(target, nullptr);
    sendMouse(target, QEvent::MouseButtonDblClick, target->mapFrom(graph, graph->rect().center()),
              Qt::RightButton);
    EXPECT_EQ(of(C_GRAPH), std::vector<int>{EVENT_RIGHT_DOUBLE_CLICK});

    // On the panel's background the double click is the panel's.
    QWidget* panel = ui->panelWidget(main);
    ASSERT_EQ(panel->childAt(QPoint(630, 470)), nullptr);
    sendMouse(panel, QEvent::MouseButtonDblClick, QPoint(630, 470), Qt::RightButton);
    ui->rightClick(main, C_RUN);  // a press on a control is the control's
    EXPECT_EQ(eventsOf(main, 0), std::vector<int>{EVENT_RIGHT_DOUBLE_CLICK});
}

// However a button or a two-state control is pressed, its left click comes first and once, then
// what the press causes; the state changes once. Assistive tools see each kind in its role.
TEST_F(EventDelivery, EveryWayOfPressingAButtonDeliversItsLeftClickOnceAndFirst) {
    const struct {
        const char* way;
        std::function<void(int ctrl, QAbstractButton*)> press;
    } ways[] = {
        {"mouse", [&](int c, QAbstractButton*) { ui->click(main, c); }},
        {"Space", [](int, QAbstractButton* b) { pressKey(b, Qt::Key_Space); }},
        {"Enter", [](int, QAbstractButton* b) { pressKey(b, Qt::Key_Return); }},
        {"accessible",
         [](int, QAbstractButton* b) {
             accessibleAction(b, b->isCheckable() ? QAccessibleActionInterface::toggleAction()
                                                  : QAccessibleActionInterface::pressAction());
         }},
        {"click()", [](int, QAbstractButton* b) { b->click(); }},
    };
    const struct {
        int ctrl;
        QAccessible::Role role;
    } buttons[] = {{C_RUN, QAccessible::Button},
                   {C_TOGGLE, QAccessible::CheckBox},
                   {C_CHECK, QAccessible::CheckBox},
                   {C_RADIO_A, QAccessible::RadioButton},
                   {C_SWITCH, QAccessible::CheckBox}};
    for (const auto [c, role] : buttons) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(ui->ctrl(main, c));
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->role(), role) << "control " << c;
        EXPECT_EQ(a->state().checkable, c != C_RUN) << "control " << c;
        for (const auto& w : ways) {
            events.clear();
            ui->setInt(main, c, 0);
            w.press(c, qobject_cast<QAbstractButton*>(ui->ctrl(main, c)));
            std::vector<int> got = of(c);
            std::erase(got, EVENT_KEYPRESS);
            EXPECT_EQ(got, c == C_RUN ? kClickThenCommit : kToggleClick) << w.way << " on " << c;
            EXPECT_EQ(ui->getInt(main, c), c == C_RUN ? 0 : 1) << w.way << " on control " << c;
        }
    }
    EXPECT_EQ(ui->getText(main, C_SWITCH), "HIGH");  // the label of its state
    // A radio button switched on is switched off by the next click: the program keeps them
    // exclusive itself.
    ui->click(main, C_RADIO_A);
    EXPECT_EQ(ui->getInt(main, C_RADIO_A), 0);
}

TEST_F(EventDelivery, TabFollowsTheReadingOrderAndPassesOverDimmedControls) {
    QWidget* panel = ui->panelWidget(main);
    panel->activateWindow();
    QCoreApplication::processEvents();
    ASSERT_TRUE(panel->isActiveWindow());
    ui->setDimmed(main, C_CHECK, true);
    ui->setActiveCtrl(main, C_RUN);
    const auto step = [](bool back) {
        sendKey(QApplication::focusWidget(), QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                back ? Qt::ShiftModifier : Qt::NoModifier);
        for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
            if (w->property("ctrlId").isValid()) return w->property("ctrlId").toInt();
        return 0;
    };
    const std::vector<int> reading{C_RUN, C_TOGGLE, C_RADIO_A,    C_RADIO_B, C_NUM,
                                   C_DBL, C_RING,   C_RING_PLAIN, C_SLIDER,  C_STATUS,
                                   C_BOX, C_SWITCH, C_TAB};
    // Round the whole window, tab pages included: the graph takes no focus.
    std::vector<int> forward{reading.front()};
    while (forward.size() < 2 * reading.size()) forward.push_back(step(false));
    EXPECT_EQ(std::vector<int>(forward.begin(), forward.begin() + reading.size()), reading);
    EXPECT_EQ(std::count(forward.begin(), forward.end(), C_GRAPH), 0);
    ui->setActiveCtrl(main, C_TAB);
    std::vector<int> backward{reading.back()};
    while (backward.size() < reading.size()) backward.push_back(step(true));
    EXPECT_EQ(backward, std::vector<int>(reading.rbegin(), reading.rend()));
}

TEST_F(EventDelivery, DimmedAndHiddenControlsTakeNoClicks) {
    ui->setDimmed(main, C_RUN, true);
    ui->click(main, C_RUN);
    ui->setDimmed(main, C_TOGGLE, true);
    ui->click(main, C_TOGGLE);
    ui->setVisible(main, C_CHECK, false);
    ui->click(main, C_CHECK);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(ui->getInt(main, C_TOGGLE), 0);
    ui->setDimmed(main, C_RUN, false);
    ui->click(main, C_RUN);
    EXPECT_EQ(of(C_RUN), kClickThenCommit);
}

// The left click's callback may run a loop of its own that processes events; the release (of the
// mouse button or of Space) can arrive inside it. The click must still complete, and its commit
// comes once the left-click callback has returned.
TEST_F(EventDelivery, ReleaseArrivingDuringTheLeftClickCallbackCompletesTheClickAfterIt) {
    constexpr int kLeftClickReturned = -1;
    QWidget* run = nullptr;
    std::function<void()> release;
    std::vector<int> order;
    ui->registerCallback("CB_NESTED", [&](int, int, int e, void*, int, int) {
        if (e == EVENT_KEYPRESS) return 0;
        order.push_back(e);
        if (e == EVENT_LEFT_CLICK) {
            release();
            QCoreApplication::processEvents();
            order.push_back(kLeftClickReturned);
        }
        return 0;
    });
    run = ui->ctrl(panelWithRunCallback("CB_NESTED"), C_RUN);
    ASSERT_NE(run, nullptr);
    const QPoint at = run->rect().center();
    const struct {
        const char* way;
        std::function<void()> press, release;
    } ways[] = {
        {"mouse", [&] { sendMouse(run, QEvent::MouseButtonPress, at, Qt::LeftButton); },
         [&] { sendMouse(run, QEvent::MouseButtonRelease, at, Qt::LeftButton); }},
        {"Space", [&] { sendKey(run, QEvent::KeyPress, Qt::Key_Space); },
         [&] { sendKey(run, QEvent::KeyRelease, Qt::Key_Space); }},
    };
    for (const auto& w : ways) {
        order.clear();
        release = w.release;
        w.press();
        QCoreApplication::processEvents();
        EXPECT_EQ(order, (std::vector<int>{EVENT_LEFT_CLICK, kLeftClickReturned, EVENT_COMMIT}))
            << w.way;
    }
}

TEST_F(EventDelivery, CallbackMayDiscardItsOwnPanel) {
    ui->registerCallback("CB_DISCARD", [&](int p, int, int e, void*, int, int) {
        if (e == EVENT_COMMIT) ui->discardPanel(p);
        return 0;
    });
    const int panel = panelWithRunCallback("CB_DISCARD");
    ui->click(panel, C_RUN);
    EXPECT_EQ(ui->panelWidget(panel), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(EventDelivery, DeliverCallsTheBoundCallbackAndTheLoopRunsUntilQuit) {
    EXPECT_EQ(ui->deliver(main, C_RUN, EVENT_RIGHT_CLICK, 7, 8), 0);
    EXPECT_EQ(events.back(), (Recorded{main, C_RUN, EVENT_RIGHT_CLICK, 7}));
    events.clear();
    ui->deliver(main, C_STATUS, EVENT_COMMIT);  // no callback bound: nothing
    ui->deliver(main, 999, EVENT_COMMIT);
    EXPECT_TRUE(events.empty());

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
