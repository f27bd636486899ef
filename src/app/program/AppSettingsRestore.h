#pragma once
// Start-up use of the application settings that the connect pop-up's ACCEPT writes: the COM port
// and baud rate come back into the pop-up and into use, and the scope window gets its last
// geometry. Values out of range, and the hardware type (which only a connected sensor may set),
// are ignored.

namespace korvo {

struct ScopeApp;

// Reads "KORVO-KM-Scope.ini" from the program directory; a missing or unreadable file changes
// nothing. Call after the start values have been set and before the first port is opened.
void RestoreAppSettings(ScopeApp& app);

}  // namespace korvo
