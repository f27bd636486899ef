#pragma once
// The PC side's link code wired to virtual sensors over real pseudo-terminals, or to a bare
// pseudo-terminal pair for tests that play the sensor's end themselves.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <vector>

#include "core/link/LinkState.h"
#include "core/link/PortBank.h"
#include "core/link/PortSensor.h"
#include "core/link/Pump.h"
#include "core/link/StatusSink.h"
#include "core/model/ModelState.h"
#include "core/params/ParamSet.h"
#include "core/params/VideoBuffers.h"
#include "support/SimSensors.h"

namespace korvo::test {

using sim::Fault;  // what the rigs' sensors can be told to do wrong

class RecordingSink final : public StatusSink {
public:
    struct Shown {
        QString text;
        StatusLine where;
    };
    void showStatus(const QString& text, StatusLine where) override {
        shown.push_back({text, where});
    }
    void showPortNumber(int port) override { ports.push_back(port); }
    void showDetail(const QString& detail) override { details.push_back(detail); }
    bool saw(const QString& text, StatusLine where = StatusLine::Main) const {
        return std::any_of(shown.begin(), shown.end(),
                           [&](const Shown& s) { return s.text == text && s.where == where; });
    }
    QString last() const { return shown.empty() ? QString() : shown.back().text; }
    void clear() { shown.clear(); }

    std::vector<Shown> shown;
    std::vector<int> ports;
    std::vector<QString> details;
};

// The PC's side of the link as the window holds it, on the port map at `mapPath`; it waits with
// its own event loop, or with `clock` when one is given.
struct PcSide {
    explicit PcSide(const QString& mapPath, Pump* clock = nullptr)
        : bank(mapPath), scope(bank, clock ? *clock : pump, sink) {}
    ~PcSide() { bank.closeAll(); }
    void open(int com = 1, int baudIndex = 1) {  // asserts success
        ASSERT_EQ(scope.InitRS232(com, baudIndex), 0) << bank.errorDetail(com).toStdString();
    }
    double since(double start) { return pump.now() - start; }

    RecordingSink sink;
    QtPump pump;
    PortBank bank;
    PortSensor scope;
};

class LinkRig : public SensorMap, public PcSide {
public:
    explicit LinkRig(const std::vector<sim::SensorConfig>& configs = {sim::SensorConfig{}})
        : SensorMap(configs), PcSide(mapPath) {}
    // The last request the sensor received since the previous call (waits up to a second).
    QByteArray takeRequest(int index = 0);
};

// One sensor on COM1, opened, with a still measurement and an empty status log.
class OpenRig : public ::testing::Test {
protected:
    void SetUp() override {
        rig = std::make_unique<LinkRig>();
        rig->open();
        rig->sensor().freezeMeasurement();
        rig->sink.clear();
    }
    std::unique_ptr<LinkRig> rig;
};

// A raw pseudo-terminal pair; the test reads and writes the master (the sensor's end).
class BarePty : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void sensorWrites(const QByteArray& bytes);
    // Reads at the sensor's end while the pump runs, until `count` bytes or two seconds.
    QByteArray sensorReads(int count);
    // The PC's side on this line as COM1, opened.
    void linkUp(Pump* clock = nullptr);

    int master = -1;
    int keeper = -1;  // keeps the slave side alive while the port is closed
    QString path;
    QtPump pump;
    QTemporaryDir dir;
    std::unique_ptr<PcSide> pc;
};

// A request or reply written out as hex words ("0055 0005 ..."); missing words are zero.
QByteArray frameHex(const char* hexWords);
// CPU seconds of the calling thread (virtual sensors run on threads of their own).
double threadCpuSeconds();

}  // namespace korvo::test
