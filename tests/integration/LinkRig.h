#pragma once
// The PC side's link code wired to virtual sensors over real pseudo-terminals: a farm of sensors
// on COM1.., a port map in a temporary directory, and one instance of every piece of shared
// state, as the program holds them.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <vector>

#include "core/link/LinkState.h"
#include "core/link/PortBank.h"
#include "core/link/Pump.h"
#include "core/link/SensorLink.h"
#include "core/link/StatusSink.h"
#include "core/model/ModelState.h"
#include "core/params/ParamSet.h"
#include "core/params/VideoBuffers.h"
#include "sim/SensorFarm.h"

namespace korvo::test {

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
    bool saw(const QString& text, StatusLine where) const;
    QString last() const { return shown.empty() ? QString() : shown.back().text; }
    void clear() { shown.clear(); }

    std::vector<Shown> shown;
    std::vector<int> ports;
};

class LinkRig {
public:
    explicit LinkRig(const std::vector<sim::SensorConfig>& configs = {sim::SensorConfig{}});
    ~LinkRig();

    sim::VirtualSensor& sensor(int index = 0) { return farm.sensor(index); }
    // Opens COM com the way the connect pop-up does; asserts success.
    void open(int com = 1, int baudIndex = 1);
    // Points the map at the sensors' current devices (after a reopen).
    void rewriteMap();
    // The last request the sensor received since the previous call (waiting up to a second for
    // one to arrive); empty when none came.
    QByteArray takeRequest(int index = 0);

    QTemporaryDir dir;
    QString mapPath;
    sim::SensorFarm farm;
    LinkState link;
    RecordingSink sink;
    QtPump pump;
    PortBank bank;
    ParamSet params;
    ToleranceBand band;
    ModelState model;
    VideoBuffers video;
    SensorLink sensorLink;
};

// A request or reply written out as hex words ("0055 0005 ..."); missing words are zero.
QByteArray frameHex(const char* hexWords);

}  // namespace korvo::test
