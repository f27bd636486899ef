#include "core/link/SensorLink.h"

#include "core/link/Frame.h"

namespace korvo {

SensorLink::SensorLink(LinkState& link, PortBank& ports, Pump& pump, StatusSink& sink,
                       ParamSet& params, ToleranceBand& band, ModelState& model,
                       VideoBuffers& video)
    : link_(link),
      ports_(ports),
      pump_(pump),
      sink_(sink),
      params_(params),
      band_(band),
      model_(model),
      video_(video) {}

int SensorLink::WriteDummyFrame(int port) {
    link_.commandCode = 0;
    link_.argumentWord = 0;
    link_.txBuf.fill(0);
    link_.dataWords.fill(0);
    FillTxBuf(link_, 0, 0, link_.dataWords);
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
