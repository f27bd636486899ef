#pragma once
// The handles of every panel the program loads at start-up. Panels live until the end of the
// program; they are shown and hidden, never re-created. A handle of 0 means "not loaded".

#include <array>

namespace korvo {

inline constexpr int kGroupCount = 7;
inline constexpr int kPortsPerGroup = 16;

struct Panels {
    // Multiplexer window ("MPLEX-16-ControlV100.uir")
    int mpc = 0;
    std::array<int, kGroupCount> tabPages{};     // the tab pages of the tab control, one per group
    std::array<int, kGroupCount> groupPanels{};  // loaded into the tab pages, never displayed
    std::array<std::array<int, kPortsPerGroup>, kGroupCount> portPanels{};

    // Scope window ("KORVO-KM-MPLEX-ScopeV318.uir")
    int main = 0;
    int para1 = 0;
    int para2 = 0;
    int recorder = 0;
    int calib = 0;
    int connect = 0;
};

}  // namespace korvo
