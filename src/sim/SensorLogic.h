#pragma once
// The sensor's answer to each request: parameter memory, measurement, thresholds, X-FLASH,
// calibration and line rate. Pure logic without any device or thread; VirtualSensor feeds it the
// requests it reads and sends what it returns.

#include <QByteArray>
#include <array>
#include <cstdint>
#include <vector>

#include "sim/Faults.h"
#include "sim/LiveMeasurement.h"
#include "sim/ParamMemory.h"
#include "sim/SensorConfig.h"
#include "sim/SimFrame.h"

namespace korvo::sim {

inline constexpr int kXFlashPageWords = 256;
inline constexpr int kXFlashPages = 16;

struct Reply {
    QByteArray bytes;  // empty: the sensor stays silent
    ReplyShape shape = ReplyShape::Frame;
    int newBaud = 0;  // above 0: the line switches to this rate once the reply has left
};

class SensorLogic {
public:
    explicit SensorLogic(const SensorConfig& config);

    // Answers one 36-byte request; `seconds` since the sensor started drives the measurement.
    Reply handle(const QByteArray& request, double seconds);
    // A record reply the sensor sends by itself (recorder modes, external trigger).
    QByteArray recordReply(double seconds);
    // RS-232-Mode in RAM asks for records sent on a trigger (modes 1 and 4).
    bool recorderMode() const;

    const SensorConfig& config() const { return config_; }
    std::uint16_t pixelCount() const { return pixelCount_; }
    int baud() const { return baud_; }
    void setBaud(int baud) { baud_ = baud; }
    bool calibrating() const { return calibrating_; }

    ParamMemory& params() { return params_; }
    LiveMeasurement& measurement() { return measurement_; }
    // Threshold arrays: target 1 RAM, 2 EEPROM.
    Profile& thresholds(int target) { return thresholds_[target == 2 ? 1 : 0]; }
    // The profile of the last raw-data measurement, computed when first asked for: most
    // raw-data requests are never followed by a block read.
    const Profile& lastVideo();
    std::vector<std::uint16_t>& xflash() { return xflash_; }

private:
    FrameWords echo(const Request& r) const;
    Reply frame(const FrameWords& w) const;
    Reply halfReply(const Request& r, const ParamHalf& half) const;
    Reply block(const Request& r);
    Reply hardwareInfo() const;
    Reply calibration(const Request& r);
    Reply xflashWrite(const Request& r);
    Reply baudChange(const Request& r);

    SensorConfig config_;
    std::uint16_t pixelCount_;
    int baud_;
    ParamMemory params_;
    LiveMeasurement measurement_;
    std::array<Profile, 2> thresholds_{};
    Profile video_{};
    LiveMeasurement::Edges videoEdges_{};
    bool videoPending_ = false;  // video_ still has to be computed from videoEdges_
    std::vector<std::uint16_t> xflash_;
    bool calibrating_ = false;
};

}  // namespace korvo::sim
