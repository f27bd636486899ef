#pragma once
// One virtual sensor on a pseudo-terminal. It serves its line from a thread of its own, so its
// timing does not depend on the PC code, which blocks in its own waits. Every public member is
// safe to call from any thread.

#include <QByteArray>
#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "sim/Faults.h"
#include "sim/LiveMeasurement.h"
#include "sim/ParamMemory.h"
#include "sim/SensorConfig.h"

namespace korvo::sim {

struct ReceivedFrame {
    QByteArray bytes;                                 // the 36 request bytes
    std::chrono::steady_clock::time_point firstByte;  // arrival of its first byte
    std::chrono::steady_clock::time_point taken;      // when the sensor acted on it
    bool garbled = false;  // dropped: the PC side's line rate differed (strict baud only)
};

class VirtualSensor {
public:
    explicit VirtualSensor(SensorConfig config = {});
    ~VirtualSensor();
    VirtualSensor(const VirtualSensor&) = delete;
    VirtualSensor& operator=(const VirtualSensor&) = delete;

    // Opens the pseudo-terminal and starts serving it. False (see errorText()) on failure.
    bool start();
    // Stops serving and closes the pseudo-terminal.
    void stop();
    bool running() const;
    // The path the PC opens (the slave side); it stays the last path after a hang-up.
    QString devicePath() const;
    QString errorText() const;
    SensorConfig config() const;
    std::uint16_t pixelCount() const;

    // Faults: a rule for `commandCode` (-1 any), used `count` times (-1 forever).
    // `skip` matching requests are answered normally first.
    void setFault(Fault fault, int commandCode = -1, int count = -1, int delayMs = 1500,
                  int skip = 0);
    void clearFaults();
    // Closes the device now, as a pulled adapter would; the PC's reads then fail.
    void hangUp();
    // A fresh pseudo-terminal after a hang-up (or at any time); returns its path, empty on error.
    QString reopen();

    // Requests as received, oldest first (at most SensorConfig::frameLogLimit).
    std::vector<ReceivedFrame> receivedFrames() const;
    void clearReceivedFrames();
    // Waits until at least `count` requests have been logged since the last clear.
    bool waitForFrames(std::size_t count, int timeoutMs) const;

    // Parameter memory (half 0 or 1).
    ParamHalf ramHalf(int half) const;
    void setRamHalf(int half, const ParamHalf& words);
    ParamHalf eepromHalf(int half) const;
    void setEepromHalf(int half, const ParamHalf& words);
    // Stored threshold arrays: target 1 RAM, 2 EEPROM.
    Profile thresholds(int target) const;
    void setThresholds(int target, const Profile& words);
    // The video profile the last block reads served.
    Profile lastVideo() const;
    std::vector<std::uint16_t> xflash() const;
    bool calibrating() const;

    // Pins the edges for deterministic measurements; resume lets them move again.
    void setMeasurement(std::uint16_t left, std::uint16_t right, std::uint16_t edgeCount = 2);
    void freezeMeasurement();
    void resumeMeasurement();
    // The value the sensor would report now (per Eval-Mode in RAM).
    std::uint16_t measuredValue() const;

    // Sends one record reply by itself, as a trigger on its input does. False when not running.
    bool triggerRecord();
    // Records sent on the sensor's own (triggered or periodic), since it started.
    long recordsSent() const;

    int currentBaud() const;
    void setPacing(bool pace, int latencyMs);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace korvo::sim
