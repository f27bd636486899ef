#pragma once
// A started program for GUI tests: a program directory of its own (the layout files and bitmaps
// copied from beside this test program), a platform with scripted pop-ups, and virtual sensors
// behind the COM ports (sensor i answers on COM i+1 through the port map of that directory).

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "app/program/Startup.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "core/audit/AuditLog.h"
#include "core/params/ParamSet.h"
#include "support/QtPrinters.h"
#include "support/ScriptedPopups.h"
#include "support/SimSensors.h"
#include "support/TestFiles.h"
#include "ui/Events.h"
#include "ui/Graph.h"
#include "ui/Platform.h"

namespace korvo::test {

class ProgramDir {
public:
    ProgramDir() {
        const QDir bin(QCoreApplication::applicationDirPath());
        const QStringList files = bin.entryList({"*.uir", "*.bmp"}, QDir::Files);
        EXPECT_GE(files.size(), 4) << "layout files missing in " << bin.path().toStdString();
        for (const QString& f : files) QFile::copy(bin.filePath(f), file(f));
    }
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return QDir(path()).filePath(name); }
    void remove(const QString& name) const { QFile::remove(file(name)); }
    bool exists(const QString& name) const { return QFile::exists(file(name)); }
    void write(const QString& name, const QByteArray& bytes) const {
        writeFileBytes(file(name), bytes);
    }
    QByteArray read(const QString& name) const { return fileBytes(file(name)); }

private:
    QTemporaryDir dir_;
};

// CR LF line ends for INI text written in a test.
inline QByteArray crlf(const char* lines) {
    return QByteArray(lines).replace("\n", "\r\n");
}

class ScopeAppTest : public ::testing::Test {
protected:
    // Builds platform and program on the program directory; returns the start-up result.
    int start() {
        platform_ = std::make_unique<ui::Platform>(dir.path());
        auto scripted = std::make_unique<ScriptedPopups>();
        popups = scripted.get();
        platform_->setPopups(std::move(scripted));
        app_ = std::make_unique<ScopeApp>(*platform_);
        return StartScopeApp(*app_);
    }

    // Starts the sensors, maps COM1.. to them, then the program. Ports of group 1 without a
    // sensor are disabled, so a group operation only touches the sensors of the test.
    void startWith(const std::vector<sim::SensorConfig>& configs) {
        sensors.start(configs, dir.path());
        ASSERT_FALSE(HasFailure());
        ASSERT_EQ(start(), 0);
        std::vector<int> ports;
        for (int i = 0; i < sensors.farm.size() && i < kMplexPortsPerGroup; ++i) ports.push_back(i);
        enableOnly(0, ports);
    }

    // The program (with sensors, if any) and the scope window shown with its Para1 panel.
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

    // The program with one sensor whose COM1 is open for the scope window.
    void launchOpen(const sim::SensorConfig& config = model(1, 80, 312)) {
        launch({config});
        if (!HasFatalFailure()) openPort(1);
    }

    // Runs `action` once a measurement loop runs and sensor 0 has had `requests` requests since
    // they were last cleared (a click that starts a loop returns only when the loop has ended).
    void whenRunning(std::function<void()> action, std::size_t requests = 5) {
        auto* tick = new QTimer(&timers);
        QObject::connect(tick, &QTimer::timeout, [this, tick, action, requests] {
            if (app().sensor.link.stopFlag != kStopRunning || commands(0).size() < requests) return;
            tick->stop();
            tick->deleteLater();
            action();
        });
        tick->start(20);
    }

    void TearDown() override {
        if (popups) popups->expectAllShown();
        app_.reset();
        platform_.reset();
        sensors.farm.stop();
    }

    ui::Platform& ui() { return *platform_; }
    ScopeApp& app() { return *app_; }
    const Panels& panels() const { return app_->panels; }
    int portPanel(int group, int port) const { return app_->panels.portPanels[group][port]; }
    int mainPanel() const { return panels().main; }
    sim::VirtualSensor& sensor(int index) { return sensors.sensor(index); }
    MplexPort& port(int group, int p) { return app().state.mplex.groups[group].ports[p]; }

    // Enables exactly the given ports (0-based) of a group, record and check box alike.
    void enableOnly(int group, const std::vector<int>& ports) {
        for (int p = 0; p < kMplexPortsPerGroup; ++p) {
            const int on = std::count(ports.begin(), ports.end(), p) > 0 ? 1 : 0;
            port(group, p).enabled = on;
            ui().setInt(portPanel(group, p), ids::PORT_ENABLE, on);
        }
    }

    // Opens COM port `com` for the scope window as a connection does, without identification.
    void openPort(int com, int baudIndex = 1) {
        app().sensor.link.portNumber = static_cast<std::uint16_t>(com);
        app().sensor.link.baudIndex = static_cast<std::uint16_t>(baudIndex);
        ASSERT_GE(app().sensor.InitRS232(com, baudIndex), 0)
            << app().sensor.link.statusText.toStdString();
    }

    // Shows one of the child panels Para1, Para2, Calib and hides the others.
    void showChild(int panel) {
        for (int p : {panels().para1, panels().para2, panels().recorder, panels().calib})
            if (p != panel) ui().hidePanel(p);
        ui().displayPanel(panel);
    }

    QString portStatus(int group, int p) {
        return ui().getText(portPanel(group, p), ids::PORT_STATUS);
    }
    QString mpcStatus() { return ui().getText(panels().mpc, ids::MPC_STATUS); }
    QString mainStatus() { return ui().getText(panels().main, ids::MAIN_STATUS); }
    QString popupStatus() { return ui().getText(panels().connect, ids::CON_STATUS); }
    void clickScope(int group, int p) { ui().click(portPanel(group, p), ids::PORT_SCOPE); }
    const ui::GraphModel& graphModel(int panel, int ctrl) {
        return ui().graph(panel, ctrl)->model();
    }

    // Puts a parameter set into the sensor's RAM, packed as the program packs it.
    void setSensorRam(int index, const ParamSet& params) {
        for (std::uint16_t half = 0; half < 2; ++half)
            sensor(index).setRamHalf(half, packedHalf(params, half, 4096));
    }

    // Command codes of the requests the sensor received since the last clear, oldest first.
    std::vector<int> commands(int index) {
        std::vector<int> codes;
        for (const SeenRequest& r : requestsOf(sensor(index))) codes.push_back(r.code);
        return codes;
    }
    bool received(int index, int code) { return requestCount(sensor(index), code) > 0; }

    // The audit log's rows in the program directory, oldest first.
    std::vector<AuditEntry> auditRows() {
        QString error;
        const auto rows = AuditLog(dir.file(QStringLiteral("audit.db"))).read({}, &error);
        EXPECT_TRUE(rows) << error.toStdString();
        return rows.value_or(std::vector<AuditEntry>{});
    }

    ProgramDir dir;
    SensorMap sensors;                 // their port map is the program directory's
    QObject timers;                    // owns the timers a test starts
    ScriptedPopups* popups = nullptr;  // owned by the platform

private:
    std::unique_ptr<ui::Platform> platform_;
    std::unique_ptr<ScopeApp> app_;
};

}  // namespace korvo::test
