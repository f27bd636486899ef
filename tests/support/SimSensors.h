#pragma once
// Virtual sensors for the tests that drive the program's code against them: sensors behind COM1..
// through a port map of the test's own, sensor configurations by model row, the requests a
// sensor received, and parameter halves packed as the program packs them.

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/params/ParamSet.h"
#include "sim/PortMap.h"
#include "sim/SensorFarm.h"

namespace korvo::test {

// A sensor of the given model row, without measurement noise.
inline sim::SensorConfig model(std::uint16_t family = 1, std::uint16_t variant = 80,
                               std::uint16_t firmware = 318, std::uint16_t pixelCount = 0) {
    sim::SensorConfig c;
    c.family = family;
    c.variant = variant;
    c.firmware = firmware;
    c.pixelCount = pixelCount;
    c.noise = false;
    return c;
}

// Word i of a frame a sensor received, high byte first as on the line.
inline int receivedWord(const sim::ReceivedFrame& f, int i) {
    return (static_cast<std::uint8_t>(f.bytes.at(2 * i)) << 8) |
           static_cast<std::uint8_t>(f.bytes.at(2 * i + 1));
}

// A request as a sensor received it: command code and argument word.
struct SeenRequest {
    int code = -1;
    int argument = -1;
    bool operator==(const SeenRequest&) const = default;
};

inline std::vector<SeenRequest> requestsOf(const sim::VirtualSensor& sensor) {
    std::vector<SeenRequest> out;
    for (const sim::ReceivedFrame& f : sensor.receivedFrames())
        if (f.bytes.size() >= 6) out.push_back({receivedWord(f, 1), receivedWord(f, 2)});
    return out;
}

inline int requestCount(const sim::VirtualSensor& sensor, int code) {
    const std::vector<SeenRequest> seen = requestsOf(sensor);
    return static_cast<int>(std::count_if(seen.begin(), seen.end(),
                                          [code](const SeenRequest& r) { return r.code == code; }));
}

// One half of a parameter set in a sensor's memory layout, packed by the program's own code.
inline sim::ParamHalf packedHalf(const ParamSet& p, std::uint16_t half, std::uint16_t pixelCount) {
    DataWords words{};
    ToleranceBand band;
    CopyVarsToPP(p, half, words, band, pixelCount);
    sim::ParamHalf h{};
    std::copy_n(words.begin(), h.size(), h.begin());
    return h;
}

// Sensors started and reached as COM1, COM2, ... through the port map "COMPORTS.map" of a
// folder: this object's own temporary one, or one the test names.
class SensorMap {
public:
    SensorMap() = default;
    explicit SensorMap(const std::vector<sim::SensorConfig>& configs) {
        start(configs, dir.path());
    }

    void start(const std::vector<sim::SensorConfig>& configs, const QString& folder) {
        mapPath = folder + QStringLiteral("/COMPORTS.map");
        for (const sim::SensorConfig& c : configs) farm.add(c);
        QString error;
        if (!farm.start(&error)) ADD_FAILURE() << "virtual sensors: " << error.toStdString();
        rewriteMap();
    }
    // After a sensor reopened its device, or to undo the test's own lines.
    void rewriteMap() {
        QString error;
        if (!farm.writePortMap(mapPath, 1, &error))
            ADD_FAILURE() << "port map: " << error.toStdString();
    }
    // A map line of the test's own: a device that is not there, a file without permission.
    void mapLine(int com, const QString& device) {
        EXPECT_TRUE(sim::addPortMapEntries(mapPath, {{com, device}}));
    }
    sim::VirtualSensor& sensor(int index = 0) { return farm.sensor(index); }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    QString mapPath;
    sim::SensorFarm farm;
};

}  // namespace korvo::test
