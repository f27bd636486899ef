#pragma once
// The scope window's measurement commands: RUN and STOP (run mode with the roll graph), VIDEO
// (the CCD profile), Reset of the analog maximum and minimum and the Raw toggle. The Zoom toggle
// and the three graphs have only their help texts (app/help).

namespace korvo {

struct ScopeApp;

// Run mode until STOP, GET or CONNECT ends it or the line times out; then PushSTOP.
void PushRUN(ScopeApp& app);
// Video mode likewise.
void PushVIDEO(ScopeApp& app);
// Enables the commands again, says why the loop ended, and ends a loop still running.
void PushSTOP(ScopeApp& app);

void registerMeasureCallbacks(ScopeApp& app);

}  // namespace korvo
