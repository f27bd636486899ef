#pragma once
// What `korvo serve` hands plant systems of each port the line monitor watches, with no socket
// here: the Modbus input-register block of a COM number, and the JSON of the MQTT state and
// value messages, with the interval a value message sums up.

#include <QDateTime>
#include <QJsonObject>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/monitor/PortWatch.h"

namespace korvo {

// ---- Modbus input registers --------------------------------------------------------------

inline constexpr int kRegistersPerPort = 20;
inline constexpr int kServedComs = 112;
inline constexpr int kInputRegisters = kRegistersPerPort * kServedComs;

// Register offsets within a port's block (COM n starts at 20 x (n - 1)). 32-bit values take two
// registers, high word first; offsets 16..19 are reserved and read 0.
enum PortRegister : int {
    kRegState = 0,        // kStateCode...
    kRegSerial = 1,       // serial number, 0 when not known
    kRegValuePixels = 2,  // last value in pixels
    kRegValueUm = 3,      // last value in micrometres, 32 bits (3, 4)
    kRegLeftEdge = 5,
    kRegRightEdge = 6,
    kRegOutputs = 7,      // output bits of the last record
    kRegInTolerance = 8,  // 1 in tolerance, 0 not (or no record yet)
    kRegTeachValue = 9,
    kRegUpperLimit = 10,          // pixels
    kRegLowerLimit = 11,          // pixels
    kRegSamples = 12,             // samples since start, 32 bits (12, 13)
    kRegTimeouts = 14,            // time-outs since start, held at 65535
    kRegSecondsSinceRecord = 15,  // held at 65535; 65535 before the first record
};

// The state register: 0 for a COM number this process does not serve, else the monitor's state.
enum ModbusStateCode : std::uint16_t {
    kStateNotServed = 0,
    kStateJoining = 1,
    kStateLive = 2,
    kStateStale = 3,
    kStateLineLost = 4,
    kStateRefused = 5,
    kStateNotConnected = 6,
    kStatePaused = 7,
};
std::uint16_t modbusStateCode(WatchState state);

using PortRegisters = std::array<std::uint16_t, kRegistersPerPort>;
// The block of a watched port at pump time `now` (its state as stateAt() judges it).
PortRegisters portRegisters(const PortWatch& w, double now);

// `count` input registers from `first` over the watched ports (any order; COM numbers not among
// them read as not served). Empty when the range leaves the 2240 registers, or count is 0 or
// more than Modbus allows in one read (125): the server answers such a request with an
// exception.
std::optional<std::vector<std::uint16_t>> inputRegisters(const std::vector<PortWatch>& ports,
                                                         int first, int count, double now);

// ---- MQTT messages -------------------------------------------------------------------------

// What the samples of one value interval held. Reset after each message.
struct ValueInterval {
    long samples = 0;
    int minPixels = 0, maxPixels = 0;
    double sumPixels = 0.0;
    std::uint32_t minUm = 0, maxUm = 0;
    double sumUm = 0.0;
    long outOfTolerance = 0;
    void add(const RunRecord& run, bool inTolerance);
};

// The retained state message of a port: port, device, serial, model, firmware, state (the
// monitor's word), reason, Teach-Value, the limits in pixels (and in mm when um-Slope is known),
// and the values dropped while the broker was away.
QJsonObject stateMessage(const PortWatch& w, double now, std::optional<std::uint32_t> umSlope,
                         long droppedValues);
// The value message of one interval: time, samples in it, last/min/max/mean in pixels and mm
// (the sensor's own micrometres), the last record's edges and outputs, whether the last record
// was in tolerance, and how many of the interval's were not.
QJsonObject valueMessage(const PortWatch& w, const ValueInterval& interval, const QDateTime& time);

}  // namespace korvo
