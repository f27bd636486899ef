#pragma once
// The sensor functions of the Para2 and Calib panels: threshold storage, teach, TEST, the
// two-point calibration and the flash linearisation table.

namespace korvo {

struct ScopeApp;

void registerThresholdTeachCallbacks(ScopeApp& app);  // ThresholdTeach.cpp
void registerCalibrationCallbacks(ScopeApp& app);     // CalibrationPanel.cpp
void registerFlashCallbacks(ScopeApp& app);           // FlashPanel.cpp

}  // namespace korvo
