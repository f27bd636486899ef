#pragma once
// The network end of a COM port whose port map line names a serial device server (see
// PortAddress.h): one TCP connection, raw or telnet with the COM-PORT-OPTION (RFC 2217). ComPort
// holds one for such a port and works it as it works its serial device, so frames, reply routing
// and the loops above the port see no difference. Received data waits here, bounded by the queue
// size as a driver's queue is; bytes for the sensor go out at once (Nagle is off).
//
// Opening sleeps on the event loop, as every wait of the link does: the connection has 3 s, the
// RFC 2217 negotiation 2 s more. A connection that ends while open is reported once by lost(),
// like a hang-up of a local device.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <memory>

#include "core/link/PortAddress.h"

class QTcpSocket;

namespace korvo {

namespace rfc2217 {
class Client;
}

// What a server wrote as text before it closed the connection ("Port already in use" when
// another client has the port), for the reason shown: printable ASCII with each line break one
// space, cut at 120 characters; empty when it holds any other byte.
QString serverText(const QByteArray& bytes);

class NetPort final : public QObject {
    Q_OBJECT
public:
    static constexpr double kConnectSeconds = 3.0;
    static constexpr double kNegotiationSeconds = 2.0;
    // Between two attempts at a server that closed the connection while it was being set up.
    static constexpr double kRetryPause = 0.2;

    explicit NetPort(QObject* parent = nullptr);
    ~NetPort() override;

    // Connects and, for an RFC 2217 server, sets its serial port to baudRate, 8 data bits, no
    // parity, 1 stop bit, no flow control, each confirmed by the server. A raw TCP server takes
    // no settings: the rate only stays with the port. Returns 0, or a negative error code (the
    // fixed codes of PortSettings.h) with the reason in `why`.
    int open(const PortAddress& address, int baudRate, int queueSize, QString& why);
    // Closes the port now; the connection is kept until the next event-loop pass, and an opening
    // of the same address before then takes it over. A baud change closes the port and opens it
    // again at once: a device server frees its port only some time after a client left, and
    // would turn the new connection away.
    void release();
    // Closes the port and the connection now.
    void close();
    bool isOpen() const;

    qint64 bytesAvailable() const { return rx_.size(); }
    QByteArray peek(qint64 count) const { return rx_.left(count); }
    QByteArray read(qint64 count);
    void skip(qint64 count) { rx_.remove(0, std::min<qsizetype>(count, rx_.size())); }
    // Drops the data received (here, and for RFC 2217 in the server's buffer from the device)
    // and/or asks an RFC 2217 server to drop what it has not sent to the device yet. Bytes
    // written here never wait: they are handed to the system at once.
    void flush(bool received, bool toSend);
    // Returns count, or a negative error code when the port is not open.
    int write(const std::uint8_t* data, int count);

signals:
    void readyRead();
    // The connection ended while the port was open; the reason in the system's words.
    void lost(const QString& reason);

private:
    enum class Phase { Closed, Opening, Open, Released, Lost };
    void onReadyRead();
    // Reads what the socket holds into the queue (answering telnet commands on the way); true
    // when data came.
    bool takeIn();
    void onGone();
    // One connection attempt, then the RFC 2217 set-up; `closed` tells that the server closed
    // the connection during the set-up.
    int connectOnce(const PortAddress& address, int baudRate, const QString& where, double seconds,
                    QString& why, bool& closed);
    // Waits for the server's answers to the settings just sent.
    int negotiate(const QString& where, QString& why, bool& closed);
    // Sleeps on the event loop until done() or the seconds have passed; false on the time-out.
    template <class Done>
    bool sleepUntil(double seconds, Done done);

    QTcpSocket* socket_;  // child
    std::unique_ptr<rfc2217::Client> telnet_;
    QByteArray rx_;
    PortAddress address_;
    int queueSize_ = 0;
    Phase phase_ = Phase::Closed;
    QString failure_;  // the socket's error while opening
};

}  // namespace korvo
