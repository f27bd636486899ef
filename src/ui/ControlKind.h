#pragma once
// What kind of control a layout widget is, decided once from its class.

class QWidget;

namespace korvo::ui {

enum class ControlKind {
    Command,  // push or picture button
    Toggle,   // checkable push button
    CheckBox,
    Radio,
    Switch,      // BinarySwitch
    SpinInt,     // QSpinBox: numeric field or readout
    SpinDouble,  // QDoubleSpinBox
    Ring,        // QComboBox
    Slider,
    TextLine,  // QLineEdit: text display or status line
    TextBox,   // QPlainTextEdit or QTextEdit
    Label,     // QLabel: picture, decoration or text
    Led,
    Graph,
    Tab,
    Other,  // frames and anything else
};

ControlKind controlKindOf(const QWidget* w);

// A two-state control that the user toggles by clicking.
inline bool isTwoState(ControlKind k) {
    return k == ControlKind::Toggle || k == ControlKind::CheckBox || k == ControlKind::Radio ||
           k == ControlKind::Switch;
}

}  // namespace korvo::ui
