#include "core/link/NetPort.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

#include "core/link/PortSettings.h"
#include "core/link/Pump.h"
#include "core/link/Rfc2217.h"

namespace korvo {

namespace {

// A device server that loses power or its cable sends nothing more; with the system's default
// the first keepalive probe would go out after two hours. Probing an idle connection after 10 s,
// then every 5 s, a dead one is noticed after about 25 s even when no exchange is under way.
void keepAliveSoon(qintptr fd) {
    if (fd < 0) return;
    const int idle = 10, interval = 5, count = 3;
    ::setsockopt(static_cast<int>(fd), IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(static_cast<int>(fd), IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(static_cast<int>(fd), IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
}

// A reply often comes in several pieces. A server that holds back each small piece until the one
// before it is acknowledged (Nagle's rule, on by default) would wait on our delayed
// acknowledgement, 40 ms per piece. The system falls back to delaying after a while, so this is
// asked again after every read.
void ackAtOnce(qintptr fd) {
    if (fd < 0) return;
    const int on = 1;
    ::setsockopt(static_cast<int>(fd), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
}

QString withServerText(QString reason, const QByteArray& bytes) {
    const QString said = serverText(bytes);
    if (!said.isEmpty()) reason += QStringLiteral(" (the server said \"%1\")").arg(said);
    return reason;
}

}  // namespace

QString serverText(const QByteArray& bytes) {
    QString text;
    for (const char c : bytes.left(120)) {
        if (c == '\r' || c == '\n') {
            if (!text.isEmpty() && !text.endsWith(QLatin1Char(' '))) text += QLatin1Char(' ');
        } else if (c >= 0x20 && c < 0x7F) {
            text += QLatin1Char(c);
        } else {
            return {};
        }
    }
    return text.trimmed();
}

NetPort::NetPort(QObject* parent) : QObject(parent), socket_(new QTcpSocket(this)) {
    connect(socket_, &QTcpSocket::readyRead, this, &NetPort::onReadyRead);
    connect(socket_, &QTcpSocket::disconnected, this, &NetPort::onGone);
    connect(socket_, &QTcpSocket::errorOccurred, this, [this] {
        if (phase_ == Phase::Opening) failure_ = socket_->errorString();
        onGone();
    });
}

NetPort::~NetPort() = default;

template <class Done>
bool NetPort::sleepUntil(double seconds, Done done) {
    QtPump pump;
    const double deadline = pump.now() + seconds;
    while (!done()) {
        if (pump.now() >= deadline) return false;
        pump.waitForEvents(deadline);
    }
    return true;
}

int NetPort::open(const PortAddress& address, int baudRate, int queueSize, QString& why) {
    // An opening started from an event that arrived while this one waits would pull the socket
    // away under it.
    if (phase_ == Phase::Opening) {
        why = QStringLiteral("the port is being opened already");
        return kErrCannotOpen;
    }
    const QString where = QStringLiteral("%1 port %2").arg(address.host).arg(address.port);
    const bool takeOver = phase_ == Phase::Released && address == address_ &&
                          socket_->state() == QAbstractSocket::ConnectedState;
    if (!takeOver) close();
    queueSize_ = queueSize;
    address_ = address;
    rx_.clear();
    failure_.clear();
    phase_ = Phase::Opening;
    if (takeOver) {
        // The connection let go of just now (a baud change closes and reopens the port): the
        // server still gives us its port, and over RFC 2217 takes the new settings on it.
        int result = 0;
        if (telnet_) {
            socket_->write(telnet_->settings(static_cast<std::uint32_t>(baudRate)));
            socket_->flush();
            bool closed = false;
            result = negotiate(where, why, closed);
        }
        if (result < 0) {
            close();
            return result;
        }
        phase_ = Phase::Open;
        return 0;
    }

    // A server frees its port some time after the client before left, and until then turns a
    // new client away; within the time for connecting, the port is asked for again.
    QtPump pump;
    const double giveUp = pump.now() + kConnectSeconds;
    for (;;) {
        bool closed = false;
        const int result = connectOnce(address, baudRate, where, giveUp - pump.now(), why, closed);
        if (result == 0) {
            phase_ = Phase::Open;
            return 0;
        }
        close();
        if (!closed || pump.now() + kRetryPause >= giveUp) return result;
        pump.delay(kRetryPause);
        phase_ = Phase::Opening;
        failure_.clear();
    }
}

int NetPort::connectOnce(const PortAddress& address, int baudRate, const QString& where,
                         double seconds, QString& why, bool& closed) {
    socket_->connectToHost(address.host, address.port);
    const bool settled = sleepUntil(seconds, [&] {
        return socket_->state() == QAbstractSocket::ConnectedState || !failure_.isEmpty() ||
               socket_->state() == QAbstractSocket::UnconnectedState;
    });
    if (socket_->state() != QAbstractSocket::ConnectedState) {
        why =
            settled
                ? QStringLiteral("cannot connect to %1: %2")
                      .arg(where, failure_.isEmpty() ? socket_->errorString() : failure_)
                : QStringLiteral("no connection to %1 within %2 s").arg(where).arg(kConnectSeconds);
        return kErrCannotOpen;
    }
    // Each request must leave at once rather than wait for the answer to the one before it.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket_->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    keepAliveSoon(socket_->socketDescriptor());
    // Raw TCP: the server's serial port keeps its own settings; the rate stays with this port.
    if (address.kind != PortAddress::Kind::Rfc2217) return 0;

    telnet_ = std::make_unique<rfc2217::Client>();
    socket_->write(telnet_->opening() + telnet_->settings(static_cast<std::uint32_t>(baudRate)));
    socket_->flush();
    return negotiate(where, why, closed);
}

int NetPort::negotiate(const QString& where, QString& why, bool& closed) {
    const bool answered = sleepUntil(kNegotiationSeconds, [&] {
        return phase_ != Phase::Opening || telnet_->answered() || !telnet_->problem().isEmpty();
    });
    if (phase_ != Phase::Opening) {
        closed = true;
        why = withServerText(
            QStringLiteral("%1 closed the connection while the serial port was being set up")
                .arg(where),
            rx_);
        return kErrCannotOpen;
    }
    const QString problem = telnet_->problem();
    if (!problem.isEmpty()) {
        why = QStringLiteral("%1: %2").arg(where, problem);
        return telnet_->refused() ? kErrCannotOpen : kErrInvalidParameter;
    }
    if (answered) return 0;
    if (!telnet_->heardTelnet()) {
        why = QStringLiteral(
                  "%1 gave no answer to the RFC 2217 negotiation within %2 s: not an RFC 2217 "
                  "server")
                  .arg(where)
                  .arg(kNegotiationSeconds);
        return kErrCannotOpen;
    }
    why = QStringLiteral("%1 did not confirm the baud rate and serial settings within %2 s")
              .arg(where)
              .arg(kNegotiationSeconds);
    return kErrInvalidParameter;
}

void NetPort::release() {
    // A close from an event that arrived while an opening waits is left to that opening, which
    // refuses the nested one.
    if (phase_ == Phase::Released || phase_ == Phase::Opening) return;
    if (!isOpen()) {
        close();
        return;
    }
    // Kept until the next event-loop pass, for an opening of the same address right behind.
    phase_ = Phase::Released;
    rx_.clear();
    QTimer::singleShot(0, this, [this] {
        if (phase_ == Phase::Released) close();
    });
}

void NetPort::close() {
    phase_ = Phase::Closed;
    if (socket_->state() != QAbstractSocket::UnconnectedState) {
        socket_->flush();
        socket_->abort();
    }
    telnet_.reset();
    rx_.clear();
}

bool NetPort::isOpen() const {
    return phase_ == Phase::Open && socket_->state() == QAbstractSocket::ConnectedState;
}

QByteArray NetPort::read(qint64 count) {
    QByteArray bytes = rx_.left(count);
    rx_.remove(0, bytes.size());
    return bytes;
}

void NetPort::flush(bool received, bool toSend) {
    if (!isOpen()) return;
    if (received) {
        // What the socket holds already is received data too; its telnet commands still count.
        takeIn();
        rx_.clear();
    }
    if (telnet_ && (received || toSend)) {
        const std::uint8_t which = received && toSend ? rfc2217::kPurgeBoth
                                   : received         ? rfc2217::kPurgeReceived
                                                      : rfc2217::kPurgeToTransmit;
        socket_->write(rfc2217::Client::purge(which));
        socket_->flush();
    }
}

int NetPort::write(const std::uint8_t* data, int count) {
    if (!isOpen()) return kErrPortNotOpen;
    count = std::max(count, 0);
    const QByteArray wire =
        telnet_ ? rfc2217::escape(data, count)
                : QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
    if (socket_->write(wire) != wire.size()) return kErrIo;
    // Hand the bytes to the system now rather than on the next event-loop pass.
    socket_->flush();
    return count;
}

void NetPort::onReadyRead() {
    if (takeIn() && phase_ == Phase::Open) emit readyRead();
}

bool NetPort::takeIn() {
    if (phase_ != Phase::Opening && phase_ != Phase::Open) return false;
    const QByteArray bytes = socket_->readAll();
    if (bytes.isEmpty()) return false;
    ackAtOnce(socket_->socketDescriptor());
    QByteArray data;
    if (telnet_) {
        QByteArray reply;
        telnet_->receive(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                         static_cast<int>(bytes.size()), data, reply);
        if (!reply.isEmpty()) {
            socket_->write(reply);
            socket_->flush();
        }
    } else {
        data = bytes;
    }
    // What the queue cannot hold is lost, as bytes beyond a full driver queue are.
    const qsizetype room = std::max<qsizetype>(queueSize_ - rx_.size(), 0);
    rx_.append(data.left(room));
    return !data.isEmpty();
}

void NetPort::onGone() {
    if (phase_ == Phase::Released) {
        close();
        return;
    }
    if (phase_ == Phase::Opening) {
        // Reported by open() itself.
        if (failure_.isEmpty()) failure_ = socket_->errorString();
        phase_ = Phase::Lost;
        return;
    }
    if (phase_ != Phase::Open) return;
    phase_ = Phase::Lost;
    emit lost(withServerText(socket_->errorString(), rx_));
}

}  // namespace korvo
