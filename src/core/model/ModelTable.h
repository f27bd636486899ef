#pragma once
// The model table: from the hardware-information reply to the derived model state and to the
// list of things the panels must show for that model. The profile names only what a model row
// or family sets; every item left empty means "leave the control as it is", because the panels
// keep the values of the previous query for everything a row does not name.

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "core/model/ModelState.h"

namespace korvo {

struct ListItem {
    QString label;
    int value = 0;
    bool operator==(const ListItem&) const = default;
};
using ItemList = std::vector<ListItem>;

struct ModelProfile {
    // Model info box of the Calib panel, replaced line by line.
    std::array<std::optional<QString>, 4> infoLines;

    // CCD operation mode switch: labels of the on state (value 1) and off state (value 0).
    std::optional<std::pair<QString, QString>> ccdLabels;
    std::optional<bool> ccdDimmed;
    std::optional<int> ccdValue;

    // Hardware mode list (Para2).
    std::optional<bool> hardwareModeDimmed;

    // Threshold target switch (1 = RAM, 2 = EEPROM).
    std::optional<int> targetValue;
    std::optional<bool> targetDimmed;

    // IN0 function list: rebuilt completely from in0Items, or only the label of the item at
    // index 3 (value 3) replaced by in0Item3Label while the rest stays.
    std::optional<ItemList> in0Items;
    std::optional<QString> in0Item3Label;

    // Output mode list (Para1): rebuilt from outputItems; dimmed state of its own.
    std::optional<ItemList> outputItems;
    std::optional<bool> outputDimmed;

    // Internal trigger mode list, trigger pixel field and the three trigger indicators.
    std::optional<bool> triggerDimmed;

    // Decimal places of the measured-value display and of both tolerance-limit displays.
    std::optional<int> measuredDecimals;
    std::optional<int> toleranceDecimals;

    // Fixed x ranges of the video graph (1 .. pixel count as reported) and the 256-point graph.
    std::optional<std::pair<double, double>> videoXRange;
    std::optional<std::pair<double, double>> profileXRange;

    // What the lookup found: a row of a known family, the fall-back, or neither (known family,
    // unknown variant).
    bool rowMatched = false;
    bool fallBack = false;
};

// Stores reply words 2..12 into the state: the hardware-info words, family code, variant code,
// firmware version and the pixel count as reported. Done for every echo reply to the hardware
// query, also when its command echo is not 10; nothing is derived here.
void storeHardwareInfo(const HardwareInfo& words, ModelState& state);

// The video x table step of a known pixel count (one of the 24 known counts), else empty.
std::optional<int> videoXStepFor(std::uint16_t pixelCount);

// The whole derivation for a reply whose command echo is 10: stores the words, sets pixel count
// (unknown counts become 1024), video x table, and by row/family/fall-back the pixel range,
// hardware type and video full scale. Returns what the panels must apply.
ModelProfile applyHardwareInfo(const HardwareInfo& words, ModelState& state);

// The item lists the model table builds.
ItemList in0List5();
ItemList in0List6();
ItemList in0List6R();
ItemList in0List7();
ItemList outputList3();
ItemList outputList2();

}  // namespace korvo
