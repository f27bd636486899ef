#pragma once
// What the scope window shows of a measurement: the readouts, indicators and profile-graph marks
// of a run record, one roll-graph step, and one video cycle's profile and threshold curve. The
// arithmetic is core's (core/measure); these functions only draw it.

namespace korvo {

struct ScopeApp;
struct RunRecord;

// A run record on the readouts, the indicators and the profile graph.
void PlotVIDEOBarGraph(ScopeApp& app, const RunRecord& run);
// Rolls a run record's sample into the roll graph and redraws it.
void PlotRAWGraph(ScopeApp& app, const RunRecord& run);
// One video cycle: its run record (PlotVIDEOBarGraph) and the profile with its threshold curve.
// previousThdMode is the Video-Thd-Mode that the last cycle read (0 before the first); the cycle
// stores the one it reads now.
void drawVideoCycle(ScopeApp& app, const RunRecord& run, int& previousThdMode);

// The roll graph's six traces in their standard colours and style.
void RestoreRollGraphTraces(ScopeApp& app);

}  // namespace korvo
