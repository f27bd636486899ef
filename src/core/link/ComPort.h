#pragma once
// One serial port, addressed by its COM number and opened by device path. Replies are taken in
// by the receive callback: once at least one frame's worth of bytes is queued it reads exactly 36
// bytes into this port's own list of received frames and discards whatever else was queued,
// except a further reply right behind it (starting with the sync word). The
// exchange that waits on this port picks its answer from that list (see SensorLink), so a frame
// never reaches an exchange on another port. Reads never block: waits poll while the pump runs
// events (mixing blocking waits with signals stalls Qt 6.4's serial port).
//
// A hang-up (pseudo-terminal closed, USB adapter pulled) marks the port broken and closes it,
// so a wait on it ends at once; the port can be opened again later.
//
// A port map line may name a serial device server instead of a device (`rfc2217://HOST:PORT`,
// `tcp://HOST:PORT`): the port then works a NetPort in place of its serial port, and everything
// here behaves alike, a dropped connection counting as a hang-up.

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <array>
#include <cstdint>
#include <deque>

#include "core/link/LinkState.h"
#include "core/link/NetPort.h"

namespace korvo {

class ComPort final : public QObject {
    Q_OBJECT
public:
    explicit ComPort(int comNumber, QObject* parent = nullptr);
    ~ComPort() override;

    // Opens devicePath at the baud rate, 8N1, no flow control, with a receive queue of queueSize
    // bytes; the receive callback is off. Returns 0, or a negative error code with the reason in
    // errorDetail(). An open port is closed first. A network address (see PortAddress.h) connects
    // to its server, sleeping on the event loop for at most a few seconds.
    int open(const QString& devicePath, int baudRate, int queueSize);
    void close();

    // False after a hang-up even before the device itself has been closed.
    bool isOpen() const;
    // True after a hang-up until the next successful open.
    bool isBroken() const { return broken_; }
    int comNumber() const { return comNumber_; }
    QString devicePath() const { return devicePath_; }
    int baudRate() const { return baudRate_; }
    int queueSize() const { return queueSize_; }
    // Device path (or network address) and the system's reason of the last failure ("" when
    // none).
    QString errorDetail() const { return detail_; }

    // All return a negative error code when the port is not open.
    int flushIn();   // discards every received byte, queued here or in the driver
    int flushOut();  // discards bytes not yet sent
    // flushIn() then flushOut() in a single request to the driver.
    int flushInThenOut();
    // Writes and pushes the bytes out at once; what a full driver queue cannot take yet follows
    // in order as soon as it has room. Returns the count accepted.
    int write(const std::uint8_t* data, int count);
    // Reads up to count queued bytes and returns them (none when the port is not open). At most
    // kLinkBufferSize bytes are kept: the rest of count is read and discarded.
    QByteArray read(int count);
    int inQLen() const;

    void installCallback(bool on) { callbackOn_ = on; }
    bool callbackInstalled() const { return callbackOn_; }

    // Frames the receive callback took in, numbered from 1 over the port's whole life.
    struct ReceivedFrame {
        std::uint64_t number = 0;
        std::array<std::uint8_t, kFrameBytes> bytes{};
        bool taken = false;  // an exchange took it as its answer
    };
    // The number of the newest frame (0 before the first).
    std::uint64_t framesReceived() const { return received_; }
    // Frame `number` while it is still kept (the newest kKeptFrames), else nullptr.
    ReceivedFrame* frame(std::uint64_t number);
    // Frames that no exchange took: late answers, answers to another request, noise.
    std::uint64_t framesDropped() const;
    static constexpr int kKeptFrames = 16;

signals:
    // Emitted once per hang-up, after the port has been closed.
    void linkLost(int comNumber);
    // Emitted after the receive callback took in one or more frames.
    void framesArrived(int comNumber);

private:
    // The receive callback: one frame once at least 36 bytes are queued.
    void RX_Receive_Function();
    void takeFrame();
    void onError(QSerialPort::SerialPortError error);
    void onNetLost(const QString& reason);
    // The received bytes, from the serial port or the network alike.
    qint64 queued() const;
    QByteArray peekQueued(qint64 count) const;
    void clearQueued();

    int comNumber_;
    QSerialPort* serial_;     // child
    NetPort* net_ = nullptr;  // child, made at the first network opening
    bool onNet_ = false;      // the port works net_, not serial_
    QString devicePath_;
    QString detail_;
    int baudRate_ = 0;
    int queueSize_ = 0;
    bool callbackOn_ = false;
    bool broken_ = false;
    std::deque<ReceivedFrame> frames_;
    std::uint64_t received_ = 0;
    std::uint64_t taken_ = 0;  // of the frames no longer kept
};

}  // namespace korvo
