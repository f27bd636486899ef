#pragma once
// Shows the parameter set in the scope window's bound controls (after validating it) and reads
// it back from them; dims the exchange buttons during an operation.

#include <cstdint>

namespace korvo {

struct ScopeApp;

// Validates para0/para1 (replacing values out of range), shows every field in its control,
// applies the dependent dimming and visibility and redraws the profile graph's lines.
void SetPanelValues(ScopeApp& app);

// Reads every bound control back into para0/para1.
void GetPanelValues(ScopeApp& app);

// state 1 dims the buttons that must not be used during an operation, 0 enables them.
void DimmButtons(ScopeApp& app, std::uint16_t state);

}  // namespace korvo
