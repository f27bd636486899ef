#pragma once
// The handles of every panel the program loads at start-up. Panels live until the end of the
// program; they are shown and hidden, never re-created. A handle of 0 means "not loaded".

#include <array>

#include "core/mplex/PortTable.h"

namespace korvo {

struct Panels {
    // Multiplexer window ("MPLEX-16-ControlV100.uir")
    int mpc = 0;
    std::array<int, kMplexGroups> tabPages{};     // the tab pages of the tab control, one per group
    std::array<int, kMplexGroups> groupPanels{};  // loaded into the tab pages, never displayed
    std::array<std::array<int, kMplexPortsPerGroup>, kMplexGroups> portPanels{};

    // Scope window ("KORVO-KM-MPLEX-ScopeV318.uir")
    int main = 0;
    int para1 = 0;
    int para2 = 0;
    int recorder = 0;
    int calib = 0;
    int connect = 0;
};

}  // namespace korvo
