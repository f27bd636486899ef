#include "core/serve/ServeReport.h"

#include <algorithm>
#include <cmath>

namespace korvo {

namespace {

constexpr int kMaxReadCount = 125;  // Modbus: registers in one read
constexpr std::uint16_t kHeld = 0xFFFF;

std::uint16_t held(long value) {
    return static_cast<std::uint16_t>(std::clamp<long>(value, 0, kHeld));
}

void put32(PortRegisters& r, int at, std::uint32_t value) {
    r[at] = static_cast<std::uint16_t>(value >> 16);
    r[at + 1] = static_cast<std::uint16_t>(value & 0xFFFF);
}

double mm(double um) {
    return um / 1000.0;
}

}  // namespace

std::uint16_t modbusStateCode(WatchState state) {
    switch (state) {
        case WatchState::Joining:
            return kStateJoining;
        case WatchState::Live:
            return kStateLive;
        case WatchState::Stale:
            return kStateStale;
        case WatchState::LineLost:
            return kStateLineLost;
        case WatchState::Refused:
            return kStateRefused;
        case WatchState::NotConnected:
            return kStateNotConnected;
        case WatchState::Paused:
            return kStatePaused;
    }
    return kStateNotServed;
}

PortRegisters portRegisters(const PortWatch& w, double now) {
    PortRegisters r{};
    r[kRegState] = modbusStateCode(stateAt(w, now));
    r[kRegSerial] = w.serialNumber;
    r[kRegTeachValue] = w.run.teachValue;
    r[kRegUpperLimit] = held(w.limits.upper);
    r[kRegLowerLimit] = held(w.limits.lower);
    put32(r, kRegSamples, static_cast<std::uint32_t>(std::max<long>(w.samples, 0)));
    r[kRegTimeouts] = held(w.timeouts);
    r[kRegSecondsSinceRecord] = kHeld;
    if (!w.sampled) return r;
    r[kRegValuePixels] = w.run.measuredValue;
    put32(r, kRegValueUm, w.run.measuredUm);
    r[kRegLeftEdge] = w.run.leftEdge;
    r[kRegRightEdge] = w.run.rightEdge;
    r[kRegOutputs] = w.run.outputState;
    r[kRegInTolerance] = w.inTolerance ? 1 : 0;
    r[kRegSecondsSinceRecord] = held(std::lround(std::floor(std::max(0.0, now - w.lastAnswer))));
    return r;
}

std::optional<std::vector<std::uint16_t>> inputRegisters(const std::vector<PortWatch>& ports,
                                                         int first, int count, double now) {
    if (count < 1 || count > kMaxReadCount || first < 0 || first > kInputRegisters - count)
        return std::nullopt;
    std::vector<std::uint16_t> out;
    out.reserve(static_cast<std::size_t>(count));
    int block = -1;
    PortRegisters registers{};
    for (int address = first; address < first + count; ++address) {
        if (address / kRegistersPerPort != block) {
            block = address / kRegistersPerPort;
            const int com = block + 1;
            const auto it = std::find_if(ports.begin(), ports.end(),
                                         [com](const PortWatch& w) { return w.com == com; });
            registers = it != ports.end() ? portRegisters(*it, now) : PortRegisters{};
        }
        out.push_back(registers[address % kRegistersPerPort]);
    }
    return out;
}

void ValueInterval::add(const RunRecord& run, bool inTolerance) {
    const int px = run.measuredValue;
    if (samples == 0) {
        minPixels = maxPixels = px;
        minUm = maxUm = run.measuredUm;
    }
    minPixels = std::min(minPixels, px);
    maxPixels = std::max(maxPixels, px);
    minUm = std::min(minUm, run.measuredUm);
    maxUm = std::max(maxUm, run.measuredUm);
    sumPixels += px;
    sumUm += run.measuredUm;
    ++samples;
    if (!inTolerance) ++outOfTolerance;
}

QJsonObject stateMessage(const PortWatch& w, double now, std::optional<std::uint32_t> umSlope,
                         long droppedValues) {
    QJsonObject j;
    j[QStringLiteral("port")] = w.com;
    j[QStringLiteral("device")] = w.device;
    j[QStringLiteral("serial")] = w.serialNumber != 0 ? QJsonValue(w.serialNumber) : QJsonValue();
    j[QStringLiteral("model")] = w.modelLine;
    j[QStringLiteral("firmware")] = w.firmwareText.trimmed();
    j[QStringLiteral("state")] = QString::fromLatin1(watchStateWord(stateAt(w, now)));
    j[QStringLiteral("reason")] = w.reason;
    j[QStringLiteral("teachValue")] = w.run.teachValue;
    QJsonObject limits;
    limits[QStringLiteral("upperPixels")] = w.limits.upper;
    limits[QStringLiteral("lowerPixels")] = w.limits.lower;
    if (umSlope) {
        limits[QStringLiteral("upperMm")] = pixelsToMm(w.limits.upper, *umSlope);
        limits[QStringLiteral("lowerMm")] = pixelsToMm(w.limits.lower, *umSlope);
    }
    j[QStringLiteral("limits")] = limits;
    j[QStringLiteral("droppedValues")] = static_cast<qint64>(droppedValues);
    return j;
}

QJsonObject valueMessage(const PortWatch& w, const ValueInterval& v, const QDateTime& time) {
    QJsonObject j;
    j[QStringLiteral("time")] = time.toUTC().toString(Qt::ISODateWithMs);
    j[QStringLiteral("samples")] = static_cast<qint64>(v.samples);
    const double n = v.samples > 0 ? static_cast<double>(v.samples) : 1.0;
    QJsonObject px, inMm;
    px[QStringLiteral("last")] = w.run.measuredValue;
    inMm[QStringLiteral("last")] = mm(w.run.measuredUm);
    if (v.samples > 0) {
        px[QStringLiteral("min")] = v.minPixels;
        px[QStringLiteral("max")] = v.maxPixels;
        px[QStringLiteral("mean")] = v.sumPixels / n;
        inMm[QStringLiteral("min")] = mm(v.minUm);
        inMm[QStringLiteral("max")] = mm(v.maxUm);
        inMm[QStringLiteral("mean")] = mm(v.sumUm / n);
    }
    j[QStringLiteral("pixels")] = px;
    j[QStringLiteral("mm")] = inMm;
    j[QStringLiteral("leftEdge")] = w.run.leftEdge;
    j[QStringLiteral("rightEdge")] = w.run.rightEdge;
    j[QStringLiteral("outputs")] = w.run.outputState;
    j[QStringLiteral("inTolerance")] = w.inTolerance;
    j[QStringLiteral("outOfTolerance")] = static_cast<qint64>(v.outOfTolerance);
    return j;
}

}  // namespace korvo
