// Opening ports and switching the sensor to another baud rate.

#include "core/link/Frame.h"
#include "core/link/PortSettings.h"
#include "core/link/SensorLink.h"

namespace korvo {

int SensorLink::openAndInstall(int port, int baudIndex, int queueSize) {
    const int result = ports_.open(port, baudIndex, queueSize);
    if (result < 0) return result;
    ports_.flushIn(port);
    ports_.flushOut(port);
    ports_.installCallback(port, true);
    ports_.flushIn(port);
    ports_.flushOut(port);
    return result;
}

void SensorLink::showOpenDetail(int port) {
    const QString detail = ports_.errorDetail(port);
    if (!detail.isEmpty()) sink_.showDetail(detail);
}

int SensorLink::InitRS232(int port, int baudIndex) {
    sink_.showPortNumber(port);
    const int result = openAndInstall(port, baudIndex, initQueueSizeForIndex(baudIndex));
    setStatus(result >= 0 ? QStringLiteral("RS232-Init successful!") : rs232ErrorText(result));
    showStatus(StatusLine::Both);
    showOpenDetail(port);
    return result;
}

int SensorLink::Init232(int port, int baudIndex) {
    const int result = openAndInstall(port, baudIndex, kLargeQueue);
    data_.link.setMplexStatus(result >= 0 ? QStringLiteral("RS232-Init OK!")
                                          : rs232ErrorText(result));
    return result >= 0 ? 1 : result;
}

int SensorLink::ChangeBaudRate(int port, int newBaudIndex) {
    data_.link.dataWords.fill(0);
    sendRequest(port, 190, static_cast<std::uint16_t>(newBaudIndex), Flush::InThenOut);
    const double start = pump_.now();
    show(QStringLiteral("Try to change baudrate..."), StatusLine::Both);
    // Decided by the echo itself: a reply that is taken in at the very end of the second still
    // means the sensor has switched, and the port must follow it.
    if (!awaitReply(port, start, kReplyLimit, LimitRule::Inclusive)) {
        setStatus(failText(port, QStringLiteral("Timeout: changing RS-232-baudrate...")));
        showStatus(StatusLine::Both);
        return 0;
    }
    setStatus(QStringLiteral("Baudrate-change OK!"));
    ports_.flushIn(port);
    ports_.flushOut(port);
    ports_.close(port);
    const int result = openAndInstall(port, newBaudIndex, kLargeQueue);
    if (result < 0) setStatus(rs232ErrorText(result));
    showStatus(StatusLine::Both);
    showOpenDetail(port);
    return result < 0 ? result : 1;
}

}  // namespace korvo
