#pragma once
// The start values of the scope window's state and the start-up marks of its profile graph.

namespace korvo {

struct ScopeApp;

// Resets the parameter set, link flags, model values and buffers to their start values, draws
// the header, fills the recorder's file name and date and marks the profile graph.
void InitDefaultScopeSettings(ScopeApp& app);

// Profile graph at start: all plots removed; cursors 1, 2, 3 at Teach-Value, Eval-Begin and
// Eval-End (y 1.0); a green band from Teach - Lower to Teach + Upper, y 0 to 0.25.
void DrawProfileStartMarks(ScopeApp& app);

}  // namespace korvo
