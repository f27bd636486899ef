#pragma once
// The floating help boxes of the scope window. A right click on a control moves a help box beside
// it, toggles the box's visibility and writes the control's help text into it. The toggle goes by
// the box's visibility, not by the control: a right click on another control while the box is
// shown hides it too. A click on a box hides it.
//
// The main panel has two boxes (an ordinary one and a large one for long texts); the connect
// pop-up has one of its own.

#include <QRect>
#include <QString>

namespace korvo {

struct ScopeApp;

enum class HelpBox {
    Normal,  // the main panel's help box
    Large,   // the main panel's large help box
};

// The rectangle of a control in main-panel coordinates: a control of a child panel (Para1, Para2,
// Recorder, Calib, connect pop-up) is offset by its panel's position in the main panel.
QRect ctrlRectInMain(ScopeApp& app, int panel, int control);

// Moves the box so that its top-left corner is at (left, top) of the main panel, toggles its
// visibility and sets its text.
void ToggleHelpBox(ScopeApp& app, HelpBox box, int left, int top, const QString& text);

// Hides both help boxes of the main panel.
void HideHelpBoxes(ScopeApp& app);

// The connect pop-up's help box: moved to (left, top) of the pop-up, brought to the front,
// toggled, text set.
void ToggleConnectHelpBox(ScopeApp& app, int left, int top, const QString& text);
void HideConnectHelpBox(ScopeApp& app);

// Left or right click on a box: CC_HelpText1 and CC_HelpText2 hide both boxes of the main panel,
// CC_HelpText3 hides the connect pop-up's box.
int CC_HelpText1(ScopeApp& app, int panel, int control, int event, void* callbackData,
                 int eventData1, int eventData2);
int CC_HelpText2(ScopeApp& app, int panel, int control, int event, void* callbackData,
                 int eventData1, int eventData2);
int CC_HelpText3(ScopeApp& app, int panel, int control, int event, void* callbackData,
                 int eventData1, int eventData2);

void registerHelpBoxCallbacks(ScopeApp& app);

}  // namespace korvo
