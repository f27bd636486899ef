// Sensor functions of the scope window: teach, reset of the analog maximum/minimum, calibration,
// storing the automatic video threshold, and the record sample.

#include "core/link/SensorLink.h"

namespace korvo {

int SensorLink::TeachSetpoint(int port) {
    CopyVarsToPP(data_.params, 0, data_.link.dataWords, data_.band, data_.model.pixelCount);
    sendRequest(port, 6, 0, Flush::InThenOut);
    const double start = pump_.now();
    pump_.processEvents();
    show(QStringLiteral("New setpoint value teached!"), StatusLine::Main);
    if (awaitReply(port, start, kReplyLimit)) return 1;
    setStatus(failText(port, QStringLiteral("Timeout RS232-Line!")));
    showStatus(StatusLine::Main);
    data_.link.stopFlag = kStopByUser;
    return -1;
}

int SensorLink::ResetMaxMin(int port) {
    sendRequest(port, 11, 0, Flush::InThenOut);
    pump_.processEvents();
    show(QStringLiteral("Reset Max/Min values..."), StatusLine::Main);
    const double start = pump_.now();
    const bool ok = awaitReply(port, start, kReplyLimit, LimitRule::Inclusive);
    if (ok) {
        setStatus(QStringLiteral("Reset of analog-output Max/Min OK!"));
    } else {
        setStatus(failText(port, QStringLiteral("Timeout-RS-232...")));
        data_.link.stopFlag = kStopByUser;
    }
    showStatus(StatusLine::Main);
    resumeRunLoop();
    return ok ? 1 : -1;
}

// Command 12 with the data-word buffer as it stands; the echo carries um-Slope and um-Offset in
// data words 0..3, each low word first.
int SensorLink::calibrationExchange(int port, std::uint16_t arg) {
    sendRequest(port, 12, arg, Flush::InThenOut);
    const double start = pump_.now();
    switch (arg) {
        case 0:
            show(QStringLiteral("Reset Max/Min values..."), StatusLine::Main);
            break;
        case 1:
            show(QStringLiteral("Starting calibration..."), StatusLine::Main);
            break;
        default:
            show(QStringLiteral("Save calibration values..."), StatusLine::Main);
            break;
    }
    if (!awaitReply(port, start, kReplyLimit)) {
        setStatus(failText(port, QStringLiteral("Timeout-RS-232...")));
        showStatus(StatusLine::Main);
        return -1;
    }
    const auto& d = data_.link.dataWords;
    data_.params.umSlope =
        static_cast<std::uint32_t>(d[0]) | (static_cast<std::uint32_t>(d[1]) << 16);
    data_.params.umOffset =
        static_cast<std::uint32_t>(d[2]) | (static_cast<std::uint32_t>(d[3]) << 16);
    return 1;
}

int SensorLink::ActivateCalibration(int port) {
    const int result = calibrationExchange(port, 1);
    if (result == 1) {
        setStatus(QStringLiteral("Calibration activated!"));
        showStatus(StatusLine::Main);
    }
    return result;
}

int SensorLink::SaveCalibration(int port, std::uint32_t umSlope, std::uint32_t umOffset) {
    data_.params.umSlope = umSlope;
    data_.params.umOffset = umOffset;
    data_.link.dataWords.fill(0);
    data_.link.dataWords[0] = static_cast<std::uint16_t>(umSlope & 0xFFFF);
    data_.link.dataWords[1] = static_cast<std::uint16_t>(umSlope >> 16);
    data_.link.dataWords[2] = static_cast<std::uint16_t>(umOffset & 0xFFFF);
    data_.link.dataWords[3] = static_cast<std::uint16_t>(umOffset >> 16);
    const int result = calibrationExchange(port, 2);
    if (result == 1) {
        setStatus(QStringLiteral("New Calibration values in activated in RAM!"));
        showStatus(StatusLine::Main);
    }
    return result;
}

int SensorLink::StopCalibration(int port) {
    data_.link.stopFlag = kStopByUser;
    const int result = calibrationExchange(port, 0);
    if (result == 1) {
        setStatus(QStringLiteral("Calibration stopped successfully!"));
        showStatus(StatusLine::Main);
    }
    return result;
}

int SensorLink::ActivateAutoThdSave(int port, std::uint16_t percent, std::uint16_t target) {
    data_.link.dataWords.fill(0);
    data_.link.dataWords[0] = target;
    sendRequest(port, 13, percent, Flush::InThenOut);
    const double start = pump_.now();
    show(QStringLiteral("Save auto-video-threshold..."), StatusLine::Main);
    if (!awaitReply(port, start, kReplyLimit)) {
        setStatus(failText(port, QStringLiteral("Timeout-RS-232...")));
        showStatus(StatusLine::Main);
        return -1;
    }
    setStatus(target == 2 ? QStringLiteral("Auto video-threshold saved in EEPROM!")
                          : QStringLiteral("Auto video-threshold saved in RAM!"));
    showStatus(StatusLine::Main);
    return 1;
}

int SensorLink::RequestRecordSample(int port) {
    CopyVarsToPP(data_.params, 0, data_.link.dataWords, data_.band, data_.model.pixelCount);
    sendRequest(port, 18, 0, Flush::InThenOut);
    const double start = pump_.now();
    if (awaitReply(port, start, kReplyLimit)) return data_.link.replyKind;
    setStatus(failText(port, QStringLiteral("Timeout RS232-Line!")));
    showStatus(StatusLine::Main);
    data_.link.stopFlag = kStopRecordTimeout;
    return -1;
}

}  // namespace korvo
