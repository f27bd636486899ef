#pragma once
// The line monitor's window: one tile per enabled port of every enabled multiplexer group, live,
// with the line's counts in a header and a switch that puts the worst ports first. A tile's
// double click or Enter opens the scope window on its port, as the port's scope toggle does.

#include <QString>

namespace korvo {

struct ScopeApp;

// Opens the window (or brings it to the front) over the ports the multiplexer table enables now.
void ShowLineWindow(ScopeApp& app);

// Colour of a tile, by state and tolerance: green in tolerance, red out, grey stale, dark for
// line lost and not connected, amber refused, light grey while joining or paused.
struct PortWatch;
QString tileColour(const PortWatch& w);

// The button LINE of the multiplexer panel.
int CC_BTNline(ScopeApp& app, int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);
void registerLineCallbacks(ScopeApp& app);

}  // namespace korvo
