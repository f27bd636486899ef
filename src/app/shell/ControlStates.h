#pragma once
// The mode-dependent dim and visibility rules of the scope window's controls. RefreshControlStates
// applies them from the controls' current values: at start-up (the layout's initial values) and
// after a successful connection. The single rules are shared with the panel binding and the
// parameter controls, which apply them from the parameter set or from one edited control.

#include "app/shell/ControlIds.h"

namespace korvo {

struct ScopeApp;

// The main panel's internal-trigger readouts (dark-pixel count, caption, trigger indicator) and
// analog-output readouts (value, maximum, minimum, Reset button, caption): shown or hidden, and
// for the model table dimmed, as a group.
inline constexpr int kTriggerIndicators[] = {ids::MAIN_DARKPIX, ids::MAIN_TRIGCOMP,
                                             ids::MAIN_TRIGLED};
inline constexpr int kAnalogIndicators[] = {ids::MAIN_ANAVALUE, ids::MAIN_ANAMAX, ids::MAIN_ANAMIN,
                                            ids::MAIN_RESET, ids::MAIN_ANACOMP};

void RefreshControlStates(ScopeApp& app);

void ShowTriggerIndicators(ScopeApp& app, bool visible);
void ShowAnalogIndicators(ScopeApp& app, bool visible);

// Internal trigger on: a two-output model (hardware type 3) gets output mode 3 with the list
// dimmed, a three-output model (type 1) the list enabled; the trigger pixel field and the trigger
// readouts come up. Off: a three-output model gets output mode 0; the output mode list and the
// trigger pixel field are dimmed and the readouts hidden.
void ApplyInternalTriggerState(ScopeApp& app, bool on);

// Only for model families above 100: CCD operation mode 1 (digital comparison) dims the
// save-threshold button, the filter type and the video threshold mode lists; any other mode dims
// the save-threshold button exactly when Video-Thd-Mode is 0 and enables the two lists.
void ApplyCcdOperationMode(ScopeApp& app, int ccdMode);

// The recorder controls by the RS-232 mode list: modes 2 and 3 (the sensor's own 3-byte output)
// dim the time increment, the samples, START and the stop and file buttons; mode 1 dims the time
// increment only; 0 and 4 enable all five.
void ApplyRecorderModeDims(ScopeApp& app);
// Dims or enables the upper and lower tolerance fields of the Para1 panel.
void DimToleranceFields(ScopeApp& app, bool dim);

// The main panel's tolerance-limit displays in millimetres, by pixelsToMm at the set's um-Slope.
void ShowToleranceLimits(ScopeApp& app, int upperPixels, int lowerPixels);

}  // namespace korvo
