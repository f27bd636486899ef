#include "app/params/ModelApply.h"

#include <algorithm>
#include <vector>

#include "app/shell/ControlIds.h"
#include "app/shell/ControlStates.h"
#include "app/shell/ScopeApp.h"
#include "core/model/ModelTable.h"
#include "ui/Graph.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

constexpr int kIn0RelabelIndex = 3;

// Rebuilds a ring from the model's item list. The ring keeps its value when the new list offers
// it; otherwise it shows the first item, as a freshly filled list does.
void rebuildRing(ui::Platform& ui, int panel, int ctrl, const ItemList& items) {
    const int previous = ui.getInt(panel, ctrl);
    ui.clearRing(panel, ctrl);
    for (const ListItem& item : items) ui.insertRingItem(panel, ctrl, item.label, item.value);
    if (items.empty()) return;
    const bool offered = std::any_of(items.begin(), items.end(),
                                     [previous](const ListItem& i) { return i.value == previous; });
    ui.setInt(panel, ctrl, offered ? previous : items.front().value);
}

// Gives one item of a ring a new label; every other item, and the ring's value, stay.
void relabelRingItem(ui::Platform& ui, int panel, int ctrl, int index, const QString& label) {
    std::vector<ui::RingItem> items = ui.ringItems(panel, ctrl);
    if (index < 0 || index >= static_cast<int>(items.size())) return;
    items[index].label = label;
    const int previous = ui.getInt(panel, ctrl);
    ui.clearRing(panel, ctrl);
    for (const ui::RingItem& item : items) ui.insertRingItem(panel, ctrl, item.label, item.value);
    ui.setInt(panel, ctrl, previous);
}

void applyCalibControls(ScopeApp& app, const ModelProfile& profile) {
    ui::Platform& ui = app.ui;
    const int calib = app.panels.calib;
    app.state.modelLine = profile.infoLines[0] ? profile.infoLines[0]->trimmed() : QString();
    for (int line = 0; line < static_cast<int>(profile.infoLines.size()); ++line) {
        if (profile.infoLines[line])
            ui.replaceTextBoxLine(calib, CAL_INFO, line, *profile.infoLines[line]);
    }
    if (profile.ccdLabels)
        ui.setSwitchLabels(calib, CAL_CCDMODE, profile.ccdLabels->first, profile.ccdLabels->second);
    if (profile.ccdDimmed) ui.setDimmed(calib, CAL_CCDMODE, *profile.ccdDimmed);
    if (profile.ccdValue) ui.setInt(calib, CAL_CCDMODE, *profile.ccdValue);
}

void applyParameterControls(ScopeApp& app, const ModelProfile& profile) {
    ui::Platform& ui = app.ui;
    const int p1 = app.panels.para1;
    const int p2 = app.panels.para2;
    if (profile.hardwareModeDimmed) ui.setDimmed(p2, P2_HWMODE, *profile.hardwareModeDimmed);
    if (profile.targetValue) ui.setInt(p2, P2_TARGET, *profile.targetValue);
    if (profile.targetDimmed) ui.setDimmed(p2, P2_TARGET, *profile.targetDimmed);
    if (profile.in0Items) rebuildRing(ui, p2, P2_TRIGMODE, *profile.in0Items);
    if (profile.in0Item3Label)
        relabelRingItem(ui, p2, P2_TRIGMODE, kIn0RelabelIndex, *profile.in0Item3Label);
    if (profile.outputItems) rebuildRing(ui, p1, P1_OUTMODE, *profile.outputItems);
    if (profile.triggerDimmed) {
        const bool dim = *profile.triggerDimmed;
        ui.setDimmed(p1, P1_INTRGMODE, dim);
        ui.setDimmed(p1, P1_TRGPIX, dim);
        for (int c : kTriggerIndicators) ui.setDimmed(app.panels.main, c, dim);
    }
    if (profile.outputDimmed) ui.setDimmed(p1, P1_OUTMODE, *profile.outputDimmed);
}

void applyMainDisplays(ScopeApp& app, const ModelProfile& profile) {
    ui::Platform& ui = app.ui;
    const int main = app.panels.main;
    if (profile.measuredDecimals) ui.setDecimals(main, MAIN_MVALUE_MM, *profile.measuredDecimals);
    if (profile.toleranceDecimals) {
        ui.setDecimals(main, MAIN_TOLUP_MM, *profile.toleranceDecimals);
        ui.setDecimals(main, MAIN_TOLLOW_MM, *profile.toleranceDecimals);
    }
    if (profile.videoXRange) {
        if (ui::GraphWidget* g = ui.graph(main, MAIN_VIDEOGRAPH))
            g->setXAxisManual(profile.videoXRange->first, profile.videoXRange->second);
    }
    if (profile.profileXRange) {
        if (ui::GraphWidget* g = ui.graph(main, MAIN_GRAPH256))
            g->setXAxisManual(profile.profileXRange->first, profile.profileXRange->second);
    }
}

}  // namespace

void applyModelProfile(ScopeApp& app, const ModelProfile& profile) {
    applyMainDisplays(app, profile);
    applyCalibControls(app, profile);
    applyParameterControls(app, profile);
}

}  // namespace korvo
