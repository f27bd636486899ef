#pragma once
// The floating help boxes of the scope window. A right click on a control that has a row in the
// help table (app/help/HelpTable.h) moves the row's box beside the control, toggles the box's
// visibility and writes the control's help text into it. The toggle goes by the box's
// visibility, not by the control: a right click on another control while the box is shown hides
// it too. A click on a box hides it.
//
// The main panel has two boxes (an ordinary one and a large one for long texts); the connect
// pop-up has one of its own.
//
// The right clicks reach the help through bindCallback: a callback bound to a name with a help
// row never sees them. Names with a help row and no behaviour of their own are bound here.

#include "app/help/HelpTable.h"

namespace korvo {

struct ScopeApp;

// Shows (or hides) the help of `row` for the right click on (panel, control).
void ToggleHelp(ScopeApp& app, const HelpRow& row, int panel, int control);

// Hides both help boxes of the main panel.
void HideHelpBoxes(ScopeApp& app);
void HideConnectHelpBox(ScopeApp& app);

// Left or right click on a box: CC_HelpText1 and CC_HelpText2 hide both boxes of the main panel,
// CC_HelpText3 hides the connect pop-up's box.
int CC_HelpText1(ScopeApp& app, int panel, int control, int event, void* callbackData,
                 int eventData1, int eventData2);
int CC_HelpText2(ScopeApp& app, int panel, int control, int event, void* callbackData,
                 int eventData1, int eventData2);
int CC_HelpText3(ScopeApp& app, int panel, int control, int event, void* callbackData,
                 int eventData1, int eventData2);

// The three boxes' callbacks, and every help row's name as a callback that only shows its help;
// an area that gives a name behaviour of its own binds it again after this.
void registerHelpBoxCallbacks(ScopeApp& app);

}  // namespace korvo
