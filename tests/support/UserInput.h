#pragma once
// Ways of pressing a control other than the mouse: keys sent to the widget, and the actions an
// assistive tool runs through the widget's accessible interface.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>

namespace korvo::test {

inline void sendKey(QWidget* w, QEvent::Type type, int key,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent e(type, key, modifiers);
    QApplication::sendEvent(w, &e);
}

// A key pressed and released on the widget.
inline void pressKey(QWidget* w, int key) {
    sendKey(w, QEvent::KeyPress, key);
    sendKey(w, QEvent::KeyRelease, key);
}

// Runs an accessible action (QAccessibleActionInterface::pressAction() or toggleAction()) on a
// button and lets the click it starts run to its end.
inline void accessibleAction(QAbstractButton* b, const QString& action) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
    ASSERT_TRUE(a && a->actionInterface());
    ASSERT_TRUE(a->actionInterface()->actionNames().contains(action)) << action.toStdString();
    QEventLoop loop;
    QObject::connect(b, &QAbstractButton::released, &loop, &QEventLoop::quit);
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    a->actionInterface()->doAction(action);
    loop.exec();
}

}  // namespace korvo::test
