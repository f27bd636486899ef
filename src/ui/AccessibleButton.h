#pragma once
// What assistive tools see of push buttons, toggles, check boxes, radio buttons and binary
// switches, and what their press and toggle actions do.

namespace korvo::ui {

// Puts the interface in front of Qt's own for these buttons; needs a QApplication. Installing it
// again changes nothing.
void installAccessibleButtons();

}  // namespace korvo::ui
