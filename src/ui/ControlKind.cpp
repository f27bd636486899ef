#include "ui/ControlKind.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>

#include "ui/BinarySwitch.h"
#include "ui/Graph.h"
#include "ui/LedIndicator.h"

namespace korvo::ui {

ControlKind controlKindOf(const QWidget* w) {
    if (qobject_cast<const BinarySwitch*>(w)) return ControlKind::Switch;
    if (qobject_cast<const QCheckBox*>(w)) return ControlKind::CheckBox;
    if (qobject_cast<const QRadioButton*>(w)) return ControlKind::Radio;
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->isCheckable() ? ControlKind::Toggle : ControlKind::Command;
    if (qobject_cast<const QSpinBox*>(w)) return ControlKind::SpinInt;
    if (qobject_cast<const QDoubleSpinBox*>(w)) return ControlKind::SpinDouble;
    if (qobject_cast<const QComboBox*>(w)) return ControlKind::Ring;
    if (qobject_cast<const QAbstractSlider*>(w)) return ControlKind::Slider;
    if (qobject_cast<const QLineEdit*>(w)) return ControlKind::TextLine;
    if (qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QTextEdit*>(w))
        return ControlKind::TextBox;
    if (qobject_cast<const QLabel*>(w)) return ControlKind::Label;
    if (qobject_cast<const LedIndicator*>(w)) return ControlKind::Led;
    if (qobject_cast<const GraphWidget*>(w)) return ControlKind::Graph;
    if (qobject_cast<const QTabWidget*>(w)) return ControlKind::Tab;
    return ControlKind::Other;
}

}  // namespace korvo::ui
