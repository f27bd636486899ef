// The parameter halves: read from and written to the sensor's RAM or EEPROM.

#include "core/link/SensorLink.h"

namespace korvo {

int SensorLink::GetParamHalf(int target, std::uint16_t half, int port, ParamSet& params) {
    if (target == kMemoryFile) return 0;
    const std::uint16_t code = target == kMemoryEeprom ? 4 : 2;
    CopyVarsToPP(params, half, data_.link.dataWords, data_.band, data_.model.pixelCount);
    const int written = sendRequest(port, code, half, Flush::InThenOut);
    if (written == kFrameBytes)
        show(QStringLiteral("Waiting for parameter-frame ..."), StatusLine::Main);
    const double start = pump_.now();
    if (!awaitReply(port, start, kReplyLimit)) {
        setStatus(failText(port, QStringLiteral("Timeout-RS-232...")));
        showStatus(StatusLine::Main);
        return -1;
    }
    CopyPPtoVars(params, half, data_.link.dataWords, data_.band, data_.model.pixelCount);
    setStatus(QStringLiteral("Parameter-frame received! - Line Ok!"));
    showStatus(StatusLine::Main);
    return 1;
}

int SensorLink::SendParamHalf(int target, std::uint16_t half, int port) {
    data_.link.startWord = 0x0055;
    const std::uint16_t code = target == kMemoryEeprom ? 3 : 1;
    CopyVarsToPP(data_.params, half, data_.link.dataWords, data_.band, data_.model.pixelCount);
    // Only the input queue is emptied here.
    const int written = sendRequest(port, code, half, Flush::InOnly);
    if (written == kFrameBytes) {
        show(half == 0 ? QStringLiteral("Transmit para0 - Line Ok!")
                       : QStringLiteral("Transmit para1 - Line Ok!"),
             StatusLine::Main);
    }
    const double start = pump_.now();
    const bool ok = awaitReply(port, start, kReplyLimit);
    setStatus(ok ? QStringLiteral("Transmission successful - Line Ok!")
                 : failText(port, QStringLiteral("Timeout-RS-232...")));
    showStatus(StatusLine::Main);
    return ok ? 1 : -1;
}

}  // namespace korvo
