#pragma once
// The mode-dependent dim and visibility rules of the scope window's controls, applied from the
// controls' current values: at start-up (the layout's initial values) and after a successful
// connection.

namespace korvo {

struct ScopeApp;

void RefreshControlStates(ScopeApp& app);

}  // namespace korvo
