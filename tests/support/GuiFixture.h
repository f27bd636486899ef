#pragma once
// The started program with virtual sensors behind its COM ports: sensor i of the farm answers on
// COM i+1 through the port map in the test's program directory.

#include <QByteArray>
#include <initializer_list>
#include <vector>

#include "../gui/ScopeAppFixture.h"
#include "app/ControlIds.h"
#include "core/params/ParamSet.h"
#include "sim/SensorFarm.h"
#include "ui/Events.h"
#include "ui/QtPrinters.h"

namespace korvo::test {

class FarmAppTest : public ScopeAppTest {
protected:
    // Starts the sensors, maps COM1.. to them, then starts the program. Ports of group 1 that
    // have no sensor are disabled, so a group INIT only touches the sensors of the test.
    void startWith(const std::vector<sim::SensorConfig>& configs) {
        for (const sim::SensorConfig& c : configs) farm.add(c);
        QString error;
        ASSERT_TRUE(farm.start(&error)) << error.toStdString();
        ASSERT_TRUE(farm.writePortMap(dir.file(QStringLiteral("COMPORTS.map")), 1, &error))
            << error.toStdString();
        ASSERT_EQ(start(), 0);
        std::vector<int> ports;
        for (int i = 0; i < farm.size() && i < kMplexPortsPerGroup; ++i) ports.push_back(i);
        enableOnly(0, ports);
    }

    void TearDown() override {
        ScopeAppTest::TearDown();
        farm.stop();
    }

    sim::VirtualSensor& sensor(int index) { return farm.sensor(index); }

    // Enables exactly the given ports (0-based) of a group, record and check box alike.
    void enableOnly(int group, const std::vector<int>& ports) {
        for (int p = 0; p < kMplexPortsPerGroup; ++p) {
            bool on = false;
            for (int q : ports) on = on || q == p;
            app().state.mplex.groups[group].ports[p].enabled = on ? 1 : 0;
            ui().setInt(portPanel(group, p), ids::PORT_ENABLE, on ? 1 : 0);
        }
    }

    MplexPort& port(int group, int p) { return app().state.mplex.groups[group].ports[p]; }
    QString portStatus(int group, int p) {
        return ui().getText(portPanel(group, p), ids::PORT_STATUS);
    }
    QString mpcStatus() { return ui().getText(panels().mpc, ids::MPC_STATUS); }
    QString mainStatus() { return ui().getText(panels().main, ids::MAIN_STATUS); }
    QString popupStatus() { return ui().getText(panels().connect, ids::CON_STATUS); }

    void clickScope(int group, int p) { ui().click(portPanel(group, p), ids::PORT_SCOPE); }

    // Puts a parameter set into the sensor's RAM, packed as the program packs it.
    void setSensorRam(int index, const ParamSet& params) {
        for (std::uint16_t half = 0; half < 2; ++half) {
            DataWords words{};
            ToleranceBand band;
            CopyVarsToPP(params, half, words, band, 4096);
            sim::ParamHalf h{};
            for (int i = 0; i < 15; ++i) h[i] = words[i];
            sensor(index).setRamHalf(half, h);
        }
    }

    // Command codes of the requests the sensor received since the last clear, oldest first.
    std::vector<int> commands(int index) {
        std::vector<int> codes;
        for (const sim::ReceivedFrame& f : sensor(index).receivedFrames()) {
            if (f.bytes.size() >= 4)
                codes.push_back((static_cast<unsigned char>(f.bytes[2]) << 8) |
                                static_cast<unsigned char>(f.bytes[3]));
        }
        return codes;
    }
    bool received(int index, int code) {
        for (int c : commands(index))
            if (c == code) return true;
        return false;
    }

    sim::SensorFarm farm;
};

// A sensor of the given model row.
inline sim::SensorConfig model(std::uint16_t family, std::uint16_t variant, std::uint16_t firmware,
                               std::uint16_t pixelCount = 0) {
    sim::SensorConfig c;
    c.family = family;
    c.variant = variant;
    c.firmware = firmware;
    c.pixelCount = pixelCount;
    c.noise = false;
    return c;
}

}  // namespace korvo::test
