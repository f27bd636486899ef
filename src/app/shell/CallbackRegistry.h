#pragma once
// Binding the callback names that the layout files use to the program's functions. The platform
// refuses to load a panel whose layout names an unregistered callback, so every name must be
// registered before the first panel is loaded; the program's wiring (app/program/Wiring.h) does
// that, each area registering its own names.
//
// A right click on a control whose name has a help row toggles its help text (through
// FeatureHooks::toggleHelp); the bound function never sees it.

#include <QString>

namespace korvo {

struct ScopeApp;

// The program's form of a callback: the running program first, then the platform's arguments.
using AppCallback = int (*)(ScopeApp& app, int panel, int control, int event, void* callbackData,
                            int eventData1, int eventData2);

void bindCallback(ScopeApp& app, const QString& name, AppCallback fn);

}  // namespace korvo
