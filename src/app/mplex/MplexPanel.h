#pragma once
// The multiplexer window's side of the port table: defaults, transfer between the port records
// and the port panels, group enable switches and the dimming of ports and groups. Groups are
// 0..6 and ports 0..15 in code; the operator sees them from 1.

namespace korvo {

struct ScopeApp;

// Table defaults for every group and port, "P1".."P16" on the enable check boxes and the port
// panels placed in two columns of eight on their tab page.
void InitDefaultMplexSettings(ScopeApp& app);

// Accessible names for the controls of one port panel ("P3 enable", "P3 COM", ...).
void NameMplexPortControls(ScopeApp& app, int group, int port);

// Record -> panel: enable, scope toggle, baud index, COM number and status text.
void SetMplexPortValues(ScopeApp& app, int group, int port);
// Panel -> record for the same five controls; the port becomes the current port. Returns the
// port's panel handle.
int GetMplexPortValues(ScopeApp& app, int group, int port);

// The multiplexer panel's teach value, upper and lower tolerance fields into the general values.
void GetMplexGeneralValues(ScopeApp& app);

// Group state <-> the group's enable switch. A group outside 0..6 acts on group 0.
void SetMplexTabState(ScopeApp& app, int group);
int GetMplexTabState(ScopeApp& app, int group);

// dim 1 dims, 0 enables the port's scope toggle, baud field, COM field and status field.
void DimmPort(ScopeApp& app, int group, int port, int dim);
// dim 1 dims the group's two page controls, all enable check boxes and all other port controls;
// dim 0 enables them, leaving the controls of a disabled port dimmed.
void DimmMplex(ScopeApp& app, int group, int dim);

// The group enable switch (value changed): the active page's switch into its group state, then
// dims or enables the group.
int CC_BINSWenable(ScopeApp& app, int panel, int control, int event, void* callbackData,
                   int eventData1, int eventData2);

// MplexPanelCallbacks.cpp: the enable switch, save and load.
void registerMplexPanelCallbacks(ScopeApp& app);

}  // namespace korvo
