#include "ui/EventRouter.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

#include "ui/ControlKind.h"
#include "ui/Events.h"

namespace korvo::ui {
namespace {
constexpr const char* kPanelProp = "korvoPanel";
constexpr const char* kCtrlProp = "korvoCtrl";
constexpr const char* kRootProp = "korvoControlRoot";

// The position of a point of w in the control (or panel) that w belongs to.
QPoint inOwner(QWidget* w, QPoint pos) {
    QWidget* owner = w;
    while (owner && !owner->property(kRootProp).toBool()) owner = owner->parentWidget();
    return owner ? w->mapTo(owner, pos) : pos;
}

// Enter (Return or the keypad's Enter) presses a focused button as Space does; Qt itself lets
// Enter press only a dialog's default button.
bool isEnter(const QKeyEvent* e) {
    return (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !e->isAutoRepeat() &&
           (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}
}  // namespace

struct EventRouter::Press {
    QPointer<QWidget> widget;
    std::unique_ptr<QMouseEvent> release;  // a mouse release that came during the callback
    std::function<void()> completion;      // value changed and commit that came during it
};

EventRouter::EventRouter(Deliver deliver, QObject* parent)
    : QObject(parent), deliver_(std::move(deliver)) {}

EventRouter::~EventRouter() = default;

bool EventRouter::bindingOf(const QObject* o, Binding* b) {
    const QVariant p = o->property(kPanelProp);
    if (!p.isValid()) return false;
    b->panel = p.toInt();
    b->ctrl = o->property(kCtrlProp).toInt();
    return true;
}

void EventRouter::bind(QWidget* w, int panel, int ctrl) {
    w->setProperty(kPanelProp, panel);
    w->setProperty(kCtrlProp, ctrl);
    w->installEventFilter(this);
}

void EventRouter::bindInner(QWidget* parent, int panel, int ctrl) {
    for (QWidget* inner : parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (inner->property("ctrlId").isValid()) continue;  // a control of its own
        bind(inner, panel, ctrl);
        inner->setContextMenuPolicy(Qt::NoContextMenu);
        bindInner(inner, panel, ctrl);
    }
}

void EventRouter::watchPanel(QWidget* panelWidget, int panel) {
    panelWidget->setProperty(kRootProp, true);
    bind(panelWidget, panel, 0);
}

void EventRouter::watchControl(QWidget* control, int panel, int ctrl) {
    control->setProperty(kRootProp, true);
    bind(control, panel, ctrl);
    if (auto* tab = qobject_cast<QTabWidget*>(control)) {
        // The pages are panels of their own: only the tab bar belongs to the control.
        bind(tab->tabBar(), panel, ctrl);
    } else {
        bindInner(control, panel, ctrl);
    }
    // The right click is the program's (help texts); no context menus of Qt's own.
    control->setContextMenuPolicy(Qt::NoContextMenu);
    connectSignals(control, panel, ctrl);
}

void EventRouter::changedThenCommit(QWidget* w, int panel, int ctrl) {
    QPointer<QWidget> guard(w);
    deliver_(panel, ctrl, EVENT_VAL_CHANGED, 0, 0);
    if (guard) deliver_(panel, ctrl, EVENT_COMMIT, 0, 0);
}

void EventRouter::connectSignals(QWidget* control, int panel, int ctrl) {
    const ControlKind kind = controlKindOf(control);
    if (auto* btn = qobject_cast<QAbstractButton*>(control)) {
        // Every way of pressing a button passes through pressed() and ends in clicked(): the
        // mouse, Space, click(), animateClick() (accessible actions, shortcuts), Enter (below).
        const Binding b{panel, ctrl};
        const bool twoState = isTwoState(kind);
        connect(btn, &QAbstractButton::pressed, btn, [this, btn, b] { buttonPressed(btn, b); });
        connect(btn, &QAbstractButton::clicked, btn,
                [this, btn, b, twoState] { buttonClicked(btn, b, twoState); });
    } else if (auto* s = qobject_cast<QSpinBox*>(control)) {
        connect(s, &QSpinBox::valueChanged, s,
                [this, s, panel, ctrl] { changedThenCommit(s, panel, ctrl); });
    } else if (auto* ds = qobject_cast<QDoubleSpinBox*>(control)) {
        connect(ds, &QDoubleSpinBox::valueChanged, ds,
                [this, ds, panel, ctrl] { changedThenCommit(ds, panel, ctrl); });
    } else if (auto* c = qobject_cast<QComboBox*>(control)) {
        connect(c, &QComboBox::activated, c,
                [this, c, panel, ctrl] { changedThenCommit(c, panel, ctrl); });
    } else if (auto* sl = qobject_cast<QAbstractSlider*>(control)) {
        connect(sl, &QAbstractSlider::valueChanged, sl,
                [this, sl, panel, ctrl] { changedThenCommit(sl, panel, ctrl); });
    }
}

bool EventRouter::eventFilter(QObject* watched, QEvent* e) {
    switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::KeyPress:
        case QEvent::Close:
        case QEvent::Resize:
            break;
        default:
            return false;
    }
    if (!watched->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(watched);
    Binding b;
    if (!bindingOf(w, &b)) return false;
    return b.ctrl == 0 ? panelEvent(w, b, e) : controlEvent(w, b, e);
}

bool EventRouter::panelEvent(QWidget* w, Binding b, QEvent* e) {
    switch (e->type()) {
        case QEvent::Close:
            if (!w->isWindow()) return false;
            // The callback decides: it hides the panel or ends the program.
            e->ignore();
            deliver_(b.panel, 0, EVENT_CLOSE, 0, 0);
            return true;
        case QEvent::Resize: {
            auto* re = static_cast<QResizeEvent*>(e);
            if (w->isVisible() && re->oldSize().isValid() && re->oldSize() != re->size())
                deliver_(b.panel, 0, EVENT_PANEL_SIZE, re->size().height(), re->size().width());
            return false;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* me = static_cast<QMouseEvent*>(e);
            const QPoint pos = me->position().toPoint();
            if (w->childAt(pos)) return false;  // a control or child panel is under the pointer
            const bool dbl = e->type() == QEvent::MouseButtonDblClick;
            int event = 0;
            if (me->button() == Qt::LeftButton)
                event = dbl ? EVENT_LEFT_DOUBLE_CLICK : EVENT_LEFT_CLICK;
            if (me->button() == Qt::RightButton)
                event = dbl ? EVENT_RIGHT_DOUBLE_CLICK : EVENT_RIGHT_CLICK;
            if (event) deliver_(b.panel, 0, event, pos.y(), pos.x());
            return false;
        }
        default:
            return false;
    }
}

bool EventRouter::holdRelease(QWidget* w, QMouseEvent* e) {
    for (Press* p : presses_) {
        if (p->widget == w) {
            if (!p->release) p->release.reset(e->clone());
            return true;
        }
    }
    return false;
}

void EventRouter::leftClick(QWidget* w, Binding b, QPoint at) {
    Press press{w, nullptr, {}};
    presses_.push_back(&press);
    deliver_(b.panel, b.ctrl, EVENT_LEFT_CLICK, at.y(), at.x());
    presses_.erase(std::find(presses_.begin(), presses_.end(), &press));
    if (!press.widget) return;
    // A mouse press is still on its way to the widget; the held release must follow it.
    if (press.release) QCoreApplication::postEvent(w, press.release.release());
    if (press.completion) press.completion();
}

void EventRouter::buttonPressed(QWidget* button, Binding b) {
    if (mousePressed_ == button) {  // the mouse press delivered the left click before
        mousePressed_ = nullptr;
        return;
    }
    leftClick(button, b, QPoint());
}

void EventRouter::buttonClicked(QWidget* button, Binding b, bool twoState) {
    auto complete = [this, button, b, twoState] {
        if (twoState)
            changedThenCommit(button, b.panel, b.ctrl);
        else
            deliver_(b.panel, b.ctrl, EVENT_COMMIT, 0, 0);
    };
    // A key release or the end of an animated click may come while the left-click callback
    // runs a loop of its own: the commit follows once that callback has returned.
    for (Press* p : presses_) {
        if (p->widget == button) {
            p->completion = std::move(complete);
            return;
        }
    }
    complete();
}

bool EventRouter::controlEvent(QWidget* w, Binding b, QEvent* e) {
    if (e->type() == QEvent::MouseButtonRelease) {
        if (mousePressed_ == w) mousePressed_ = nullptr;  // the press missed the button
        return holdRelease(w, static_cast<QMouseEvent*>(e));
    }
    if (!w->isEnabled()) return false;  // a dimmed control makes no events
    if (e->type() == QEvent::KeyPress) {
        // Keys go to the focus widget first and then climb to its parents: deliver once.
        QWidget* focus = QApplication::focusWidget();
        Binding f;
        if (focus && focus != w && w->isAncestorOf(focus) && bindingOf(focus, &f) &&
            f.panel == b.panel && f.ctrl == b.ctrl)
            return false;
        auto* ke = static_cast<QKeyEvent*>(e);
        QPointer<QWidget> guard(w);
        deliver_(b.panel, b.ctrl, EVENT_KEYPRESS, ke->key(), 0);
        auto* button = qobject_cast<QAbstractButton*>(w);
        if (!button || !isEnter(ke)) return false;
        if (guard) button->click();
        return true;
    }
    if (e->type() != QEvent::MouseButtonPress && e->type() != QEvent::MouseButtonDblClick)
        return false;
    auto* me = static_cast<QMouseEvent*>(e);
    const QPoint pos = me->position().toPoint();
    // A press that a child ignored climbs to its parent: it was delivered at the child already.
    if (w->childAt(pos)) return false;
    const QPoint at = inOwner(w, pos);
    const bool dbl = e->type() == QEvent::MouseButtonDblClick;
    QPointer<QWidget> guard(w);
    if (me->button() == Qt::LeftButton) {
        // The second press of a double click is a press too: the widget acts on it.
        leftClick(w, b, at);
        if (guard && qobject_cast<QAbstractButton*>(w)) mousePressed_ = w;
        if (dbl && guard) deliver_(b.panel, b.ctrl, EVENT_LEFT_DOUBLE_CLICK, at.y(), at.x());
    } else if (me->button() == Qt::RightButton) {
        deliver_(b.panel, b.ctrl, dbl ? EVENT_RIGHT_DOUBLE_CLICK : EVENT_RIGHT_CLICK, at.y(),
                 at.x());
    }
    return false;
}

}  // namespace korvo::ui
