#include "ui/AccessibleButton.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QPushButton>
#include <QRadioButton>

#include "ui/BinarySwitch.h"

namespace korvo::ui {
namespace {

// Qt's own interface names a radio button that is not auto-exclusive (the panels' radios are
// kept exclusive by the program) a check box, and its toggle action flips the state without a
// click, so no callback hears of it. Here the role follows the widget's class, and press and
// toggle both click the button as a user would. The click is animated, as Qt's press is: the
// assistive tool's request returns before a commit that may run a long operation.
class AccessibleButton : public QAccessibleWidget {
public:
    explicit AccessibleButton(QAbstractButton* b) : QAccessibleWidget(b, roleOf(b)) {}

    QAccessible::Role role() const override { return roleOf(button()); }

    QString text(QAccessible::Text t) const override {
        QString s = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && s.isEmpty()) s = button()->text().remove(QLatin1Char('&'));
        return s;
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        const QAbstractButton* b = button();
        s.checkable = b->isCheckable();
        s.checked = b->isChecked();
        s.pressed = b->isDown();
        if (auto* push = qobject_cast<const QPushButton*>(b)) s.defaultButton = push->isDefault();
        return s;
    }

    QStringList actionNames() const override {
        QStringList names;
        if (widget()->isEnabled()) {
            if (button()->isCheckable()) names << toggleAction();
            if (role() != QAccessible::RadioButton) names << pressAction();
        }
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == pressAction() || action == toggleAction())
            button()->animateClick();  // nothing on a dimmed button
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }

    static QAccessible::Role roleOf(const QAbstractButton* b) {
        if (qobject_cast<const QRadioButton*>(b)) return QAccessible::RadioButton;
        return b->isCheckable() ? QAccessible::CheckBox : QAccessible::Button;
    }
};

QAccessibleInterface* buttonInterface(const QString& className, QObject* object) {
    auto* b = qobject_cast<QAbstractButton*>(object);
    if (!b) return nullptr;
    // Push buttons with a menu and tool buttons stay with Qt's interfaces.
    if (className == QLatin1String("QPushButton")) {
        if (static_cast<QPushButton*>(b)->menu()) return nullptr;
    } else if (className != QLatin1String("QCheckBox") &&
               className != QLatin1String("QRadioButton") &&
               className != QLatin1String(BinarySwitch::staticMetaObject.className())) {
        return nullptr;
    }
    return new AccessibleButton(b);
}

}  // namespace

void installAccessibleButtons() {
    QAccessible::installFactory(buttonInterface);
}

}  // namespace korvo::ui
