#include "ui/Platform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtDebug>
#include <cmath>

#include "ui/AccessibleButton.h"
#include "ui/PlatformImpl.h"

namespace korvo::ui {
namespace {

// Where the user clicks a control: on the indicator of a check box or radio button (only there
// and on its text does it react), else in the middle.
QPoint clickPoint(QWidget* w) {
    const bool check = qobject_cast<QCheckBox*>(w) != nullptr;
    if (check || qobject_cast<QRadioButton*>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(w);
        const QRect r = w->style()->subElementRect(
            check ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator, &opt, w);
        if (r.isValid() && w->rect().contains(r.center())) return r.center();
    }
    return w->rect().center();
}

void sendMouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButton button) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent ev(type, QPointF(local), QPointF(target->mapToGlobal(local)), button, held,
                   Qt::NoModifier);
    QCoreApplication::sendEvent(target, &ev);
}

// A press and release at the control's click point, given to the innermost widget there.
void mouseClick(QWidget* w, Qt::MouseButton button) {
    const QPoint at = clickPoint(w);
    QWidget* inner = w->childAt(at);
    QPointer<QWidget> target = inner ? inner : w;
    const QPoint local = target->mapFrom(w, at);
    sendMouse(target, QEvent::MouseButtonPress, local, button);
    if (target) sendMouse(target, QEvent::MouseButtonRelease, local, button);
}

bool reachable(QWidget* w, const char* what, int panel, int ctrl) {
    if (!w) {
        qWarning("%s: no control %d on panel %d", what, ctrl, panel);
        return false;
    }
    if (!w->isVisible()) {
        qWarning("%s: control %d on panel %d is not visible; ignored", what, ctrl, panel);
        return false;
    }
    return w->isEnabled();  // a dimmed control takes no input
}

}  // namespace

bool ownVisible(const QWidget* w) {
    if (w->isWindow()) return !w->isHidden();
    return !w->isHidden() || !w->testAttribute(Qt::WA_WState_ExplicitShowHide);
}

Platform::Impl::Impl(Platform& owner, QString dir)
    : programDir(std::move(dir)),
      router([&owner](int panel, int ctrl, int event, int d1, int d2) {
          return owner.deliver(panel, ctrl, event, d1, d2);
      }),
      popups(std::make_unique<DialogPopups>()) {
    loader.setWorkingDirectory(QDir(programDir));
    installAccessibleButtons();
}

PanelRec* Platform::Impl::panel(int handle) {
    auto it = panels.find(handle);
    return it == panels.end() || !it->second.widget ? nullptr : &it->second;
}

const PanelRec* Platform::Impl::panel(int handle) const {
    auto it = panels.find(handle);
    return it == panels.end() || !it->second.widget ? nullptr : &it->second;
}

const ControlRec* Platform::Impl::control(int panelHandle, int ctrl) const {
    const PanelRec* p = panel(panelHandle);
    if (!p) return nullptr;
    auto it = p->ctrls.find(ctrl);
    return it == p->ctrls.end() || !it->second.widget ? nullptr : &it->second;
}

const ControlRec* Platform::Impl::known(int panelHandle, int ctrl, const char* access) const {
    const ControlRec* c = control(panelHandle, ctrl);
#ifndef NDEBUG
    if (!c) qFatal("%s: no control %d on panel %d", access, ctrl, panelHandle);
#else
    Q_UNUSED(access);
#endif
    return c;
}

QWidget* Platform::Impl::knownWidget(int panelHandle, int ctrl, const char* access) const {
    const ControlRec* c = known(panelHandle, ctrl, access);
    return c ? c->widget.data() : nullptr;
}

Platform::Platform(QString programDir) : d(std::make_unique<Impl>(*this, std::move(programDir))) {}

Platform::~Platform() {
    d->closing = true;
    // Top-level panels take their child panels with them.
    for (auto& [handle, rec] : d->panels) rec.window.reset();
    d->panels.clear();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

const QString& Platform::programDir() const {
    return d->programDir;
}

void Platform::registerCallback(const QString& name, Callback cb) {
    d->callbacks[name] = std::move(cb);
}

int Platform::deliver(int panel, int ctrl, int event, int eventData1, int eventData2) {
    if (d->closing) return 0;
    Callback cb;  // a copy: the callback may discard the panel that holds it
    if (ctrl == 0) {
        const PanelRec* p = d->panel(panel);
        if (!p) return 0;
        cb = p->callback;
    } else {
        const ControlRec* c = d->control(panel, ctrl);
        if (!c) return 0;
        cb = c->callback;
    }
    if (!cb) return 0;
    return cb(panel, ctrl, event, nullptr, eventData1, eventData2);
}

void Platform::click(int panel, int ctrl) {
    QWidget* w = d->knownWidget(panel, ctrl, "click");
    if (!reachable(w, "click", panel, ctrl)) return;
    if (w->width() > 0 && w->height() > 0) {
        mouseClick(w, Qt::LeftButton);
        return;
    }
    // A control without area cannot be hit by the pointer: a button is clicked from code, which
    // delivers its left click too; anything else gets the left click alone.
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->click();
    else
        deliver(panel, ctrl, EVENT_LEFT_CLICK, 0, 0);
}

void Platform::rightClick(int panel, int ctrl) {
    QWidget* w = d->knownWidget(panel, ctrl, "rightClick");
    if (!reachable(w, "rightClick", panel, ctrl)) return;
    mouseClick(w, Qt::RightButton);
}

void Platform::userSetInt(int panel, int ctrl, int value) {
    const ControlRec* c = d->known(panel, ctrl, "userSetInt");
    if (!reachable(c ? c->widget.data() : nullptr, "userSetInt", panel, ctrl)) return;
    if (isTwoState(c->kind)) {
        if ((getInt(panel, ctrl) != 0) != (value != 0)) click(panel, ctrl);
        return;
    }
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(c->widget); spin && spin->isReadOnly()) {
        qWarning("userSetInt: control %d on panel %d is a read-only display", ctrl, panel);
        return;
    }
    if (c->kind == ControlKind::Ring) {
        auto* combo = qobject_cast<QComboBox*>(c->widget);
        if (combo->findData(value) < 0) {
            qWarning("userSetInt: ring %d on panel %d has no item of value %d", ctrl, panel, value);
            return;
        }
    }
    setInt(panel, ctrl, value);
    QPointer<QWidget> guard(c->widget);
    deliver(panel, ctrl, EVENT_VAL_CHANGED, 0, 0);
    if (guard) deliver(panel, ctrl, EVENT_COMMIT, 0, 0);
}

void Platform::userSetDouble(int panel, int ctrl, double value) {
    const ControlRec* c = d->known(panel, ctrl, "userSetDouble");
    if (!c || c->kind != ControlKind::SpinDouble) {
        userSetInt(panel, ctrl, static_cast<int>(std::lround(value)));
        return;
    }
    if (!reachable(c->widget, "userSetDouble", panel, ctrl)) return;
    if (qobject_cast<QAbstractSpinBox*>(c->widget)->isReadOnly()) {
        qWarning("userSetDouble: control %d on panel %d is a read-only display", ctrl, panel);
        return;
    }
    setDouble(panel, ctrl, value);
    QPointer<QWidget> guard(c->widget);
    deliver(panel, ctrl, EVENT_VAL_CHANGED, 0, 0);
    if (guard) deliver(panel, ctrl, EVENT_COMMIT, 0, 0);
}

void Platform::userClosePanel(int panel) {
    const PanelRec* p = d->panel(panel);
    if (p && p->widget->isWindow()) p->widget->close();
}

int Platform::runUserInterface() {
    QApplication::setQuitOnLastWindowClosed(false);  // only quitUserInterface ends the loop
    QEventLoop loop;
    QEventLoop* outer = d->loop;
    d->loop = &loop;
    d->quitRequested = false;
    d->quitCode = 0;
    loop.exec();
    d->loop = outer;
    return d->quitCode;
}

void Platform::quitUserInterface(int code) {
    d->quitRequested = true;
    d->quitCode = code;
    if (d->loop) d->loop->exit(code);
}

bool Platform::quitRequested() const {
    return d->quitRequested;
}

Popups& Platform::popups() {
    return *d->popups;
}

void Platform::setPopups(std::unique_ptr<Popups> popups) {
    if (popups) d->popups = std::move(popups);
}

}  // namespace korvo::ui
