#pragma once
// The program's top floor: every area's callbacks registered with the platform, and the hooks
// through which the ground floor (app/shell) reaches a feature folder. Nothing below includes
// this folder.

namespace korvo {

struct ScopeApp;

// Fills in app.hooks and registers every callback name the layouts use, area by area; call once,
// before the first panel is loaded.
void wireProgram(ScopeApp& app);

}  // namespace korvo
