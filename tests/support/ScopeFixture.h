#pragma once

#include <algorithm>
// The scope window ready for work: the program started with its virtual sensors (sensor i on
// COM i+1), the main panel shown with the Para1 panel, and helpers that open a port without the
// identification and read back what a sensor received.

#include <cstdint>
#include <vector>

#include "app/ControlIds.h"
#include "support/GuiFixture.h"
#include "ui/Graph.h"

namespace korvo::test {

// A request as the virtual sensor received it: command code and argument word.
struct SeenRequest {
    int code = -1;
    int argument = -1;
    bool operator==(const SeenRequest&) const = default;
};

inline std::vector<SeenRequest> requestsOf(const sim::VirtualSensor& sensor) {
    std::vector<SeenRequest> out;
    for (const sim::ReceivedFrame& f : sensor.receivedFrames()) {
        if (f.bytes.size() < 6) continue;
        const auto b = [&f](int i) { return static_cast<std::uint8_t>(f.bytes.at(i)); };
        out.push_back({(b(2) << 8) | b(3), (b(4) << 8) | b(5)});
    }
    return out;
}

class ScopeWindowTest : public FarmAppTest {
protected:
    // Starts the sensors (none is fine) and the program, and shows the scope window.
    void launch(const std::vector<sim::SensorConfig>& configs = {}) {
        if (configs.empty()) {
            ASSERT_EQ(start(), 0);
        } else {
            startWith(configs);
            if (HasFatalFailure()) return;
        }
        ui().displayPanel(panels().main);
        ui().displayPanel(panels().para1);
    }

    // Opens COM port `com` for the scope window as a connection does, without identification.
    void openPort(int com, int baudIndex = 1) {
        app().state.link.portNumber = static_cast<std::uint16_t>(com);
        app().state.link.baudIndex = static_cast<std::uint16_t>(baudIndex);
        ASSERT_GE(app().sensor.InitRS232(com, baudIndex), 0)
            << app().state.link.statusText.toStdString();
    }

    // Shows one of the child panels Para1, Para2, Calib and hides the others.
    void showChild(int panel) {
        for (int p : {panels().para1, panels().para2, panels().recorder, panels().calib})
            if (p != panel) ui().hidePanel(p);
        ui().displayPanel(panel);
    }

    // Where a help box lands: at the wanted place, moved back inside its panel where it would
    // stick out of it.
    QPoint helpBoxAt(int panel, int box, QPoint wanted) {
        const QRect area = ui().panelGeometry(panel);
        const QRect size = ui().boundingRect(panel, box);
        return {std::max(0, std::min(wanted.x(), area.width() - size.width())),
                std::max(0, std::min(wanted.y(), area.height() - size.height()))};
    }

    int mainPanel() const { return panels().main; }
    const ui::GraphModel& graphModel(int panel, int ctrl) {
        return ui().graph(panel, ctrl)->model();
    }
};

}  // namespace korvo::test
