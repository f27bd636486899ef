#include "core/link/SensorLink.h"

#include "core/link/Frame.h"

namespace korvo {

SensorLink::SensorLink(SensorData& data, PortBank& ports, Pump& pump, StatusSink& sink)
    : data_(data), ports_(ports), pump_(pump), sink_(sink) {}

int SensorLink::WriteDummyFrame(int port) {
    data_.link.commandCode = 0;
    data_.link.argumentWord = 0;
    data_.link.txBuf.fill(0);
    data_.link.dataWords.fill(0);
    FillTxBuf(data_.link, 0, 0, data_.link.dataWords);
    ports_.flushOut(port);
    ports_.flushIn(port);
    const int written = writeRequest(port);
    pump_.processEvents();
    const bool ok = written == kFrameBytes;
    setStatus(ok ? QStringLiteral("Writing RS-232 dummy frame ok!")
                 : QStringLiteral("Error transmit dummy frame!"));
    showStatus(StatusLine::Main);
    return ok ? 1 : 0;
}

}  // namespace korvo
