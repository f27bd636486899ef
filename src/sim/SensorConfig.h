#pragma once
// What one virtual sensor is: its model row, identity and line behaviour.

#include <QByteArray>
#include <cstdint>

namespace korvo::sim {

inline constexpr int kFirmwareTextBytes = 72;

struct SensorConfig {
    std::uint16_t family = 1;
    std::uint16_t variant = 80;
    std::uint16_t firmware = 318;  // version x 100
    std::uint16_t pixelCount = 0;  // 0: the pixel count of the model row
    std::uint16_t videoResolution = 256;
    QByteArray firmwareId = "KORVO-KM";
    QByteArray firmwareText;  // non-empty: sent instead of the built text (cut/padded to 72)
    std::uint16_t serial = 4711;

    bool pace = false;  // emulate the line rate (a pseudo-terminal ignores it)
    int baud = 19200;   // current line rate
    int latencyMs = 0;  // adapter latency before each reply when pacing
    // Paced replies leave in one write when their last byte is due: the reader sees each frame
    // complete exactly when the line would complete it, at a fraction of the kernel's work per
    // frame. For benchmarks of many sensors on few cores; the default hands bytes out as they
    // come, about a millisecond's worth at a time.
    bool wholeReplies = false;
    // Spontaneous record replies while RS-232-Mode in RAM is 1 or 4; 0 sends them only on
    // VirtualSensor::triggerRecord().
    int recordPeriodMs = 300;
    // The stream pauses while the PC talks: no spontaneous record within this time after a request.
    int recordQuietMs = 1000;
    // Drop requests while the PC side's configured rate differs from the sensor's, as a real
    // line would garble them. Off by default: plain test clients never set a rate.
    bool strictBaud = false;
    bool noise = true;          // profile noise and edge jitter
    std::uint32_t seed = 0;     // random seed; 0 derives one from the serial number
    int frameLogLimit = 10000;  // requests kept for receivedFrames()
};

}  // namespace korvo::sim
