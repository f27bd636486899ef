#include "core/link/ComPort.h"

#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <span>

#include "core/link/Frame.h"
#include "core/link/PortAddress.h"
#include "core/link/PortRefusal.h"
#include "core/link/PortSettings.h"

namespace korvo {

namespace {

// The fixed error code for a failed open, and a reason a user can act on.
int codeForOpenError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return kErrNoSerialPort;
        case QSerialPort::PermissionError:
        case QSerialPort::OpenError:
            return kErrCannotOpen;
        case QSerialPort::UnsupportedOperationError:
            return kErrInvalidParameter;
        case QSerialPort::NotOpenError:
            return kErrPortNotOpen;
        case QSerialPort::TimeoutError:
            return kErrTimeout;
        case QSerialPort::ResourceError:
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
            return kErrIo;
        default:
            return kErrUnknownSystem;
    }
}

QString hintForOpenError(QSerialPort::SerialPortError error, const QString& device) {
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return QStringLiteral("no such device: check the port map");
        case QSerialPort::PermissionError:
            // Reported alike for a device the user may not open and one another program holds.
            return portRefusalHint(gatherPortRefusalFacts(device));
        case QSerialPort::OpenError:
            return QStringLiteral("the port is already open");
        case QSerialPort::UnsupportedOperationError:
            return QStringLiteral("the device does not accept these serial settings");
        default:
            return {};
    }
}

// USB serial adapters hold short replies back up to their latency timer (16 ms on common ones),
// which would cap the exchange rate far below the line rate. Drivers that know low-latency mode
// hand bytes on at once; others (pseudo-terminals) refuse the request, which changes nothing.
void askForLowLatency(int fd) {
    serial_struct ss{};
    if (fd < 0 || ::ioctl(fd, TIOCGSERIAL, &ss) != 0) return;
    if (ss.flags & ASYNC_LOW_LATENCY) return;
    ss.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &ss);
}

// One write() of the bytes to the device; what it returns (-1 on any failure).
ssize_t writeOnce(int fd, const std::uint8_t* data, int count) {
    if (fd < 0) {
        errno = EBADF;
        return -1;
    }
    ssize_t n = 0;
    do {
        n = ::write(fd, data, static_cast<std::size_t>(count));
    } while (n < 0 && errno == EINTR);
    return n;
}

}  // namespace

ComPort::ComPort(int comNumber, QObject* parent)
    : QObject(parent), comNumber_(comNumber), serial_(new QSerialPort(this)) {
    connect(serial_, &QSerialPort::readyRead, this, &ComPort::RX_Receive_Function);
    connect(serial_, &QSerialPort::errorOccurred, this, &ComPort::onError);
}

ComPort::~ComPort() {
    if (serial_->isOpen()) serial_->close();
    if (net_ != nullptr) net_->close();
}

int ComPort::open(const QString& devicePath, int baudRate, int queueSize) {
    close();
    devicePath_ = devicePath;
    baudRate_ = baudRate;
    queueSize_ = queueSize;
    detail_.clear();
    callbackOn_ = false;

    const PortAddress address = parsePortAddress(devicePath);
    if (address.isNetwork()) {
        if (net_ == nullptr) {
            net_ = new NetPort(this);
            connect(net_, &NetPort::readyRead, this, &ComPort::RX_Receive_Function);
            connect(net_, &NetPort::lost, this, &ComPort::onNetLost);
        }
        onNet_ = true;
        QString why;
        const int result = net_->open(address, baudRate, queueSize, why);
        if (result < 0) {
            detail_ = QStringLiteral("COM%1 (%2): %3").arg(comNumber_).arg(devicePath, why);
            return result;
        }
        broken_ = false;
        return 0;
    }
    onNet_ = false;
    if (!address.ok()) {
        // The port map refuses such a line before it comes here; a caller that passes a device
        // string of its own learns the same.
        detail_ = QStringLiteral("COM%1 (%2): %3").arg(comNumber_).arg(devicePath, address.error);
        return kErrInvalidParameter;
    }

    // A stable name (/dev/serial/by-id/..., by-path/...) is a link to the device node. Qt names
    // its lock file after the path it opens, so it opens the node itself: another program that
    // opened the node by its kernel name then holds the same lock.
    const QString node = QFileInfo(devicePath).canonicalFilePath();
    const QString target = node.isEmpty() ? devicePath : node;
    serial_->setPortName(target);
    serial_->setBaudRate(baudRate);
    serial_->setDataBits(QSerialPort::Data8);
    serial_->setParity(QSerialPort::NoParity);
    serial_->setStopBits(QSerialPort::OneStop);
    serial_->setFlowControl(QSerialPort::NoFlowControl);
    serial_->setReadBufferSize(queueSize);
    if (!serial_->open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = serial_->error();
        QString reason = serial_->errorString();
        const QString hint = hintForOpenError(error, target);
        if (!hint.isEmpty())
            reason = reason.isEmpty() ? hint : reason + QStringLiteral(" - ") + hint;
        const QString shown =
            target == devicePath ? devicePath : QStringLiteral("%1 -> %2").arg(devicePath, target);
        detail_ = QStringLiteral("COM%1 (%2): %3").arg(comNumber_).arg(shown, reason);
        serial_->clearError();
        return codeForOpenError(error);
    }
    broken_ = false;
    askForLowLatency(static_cast<int>(serial_->handle()));
    return 0;
}

void ComPort::close() {
    callbackOn_ = false;
    if (serial_->isOpen()) serial_->close();
    serial_->clearError();
    if (net_ != nullptr) net_->release();
}

bool ComPort::isOpen() const {
    return onNet_ ? net_->isOpen() : serial_->isOpen();
}

int ComPort::flushIn() {
    if (!isOpen()) return kErrPortNotOpen;
    if (onNet_) {
        net_->flush(true, false);
    } else {
        serial_->clear(QSerialPort::Input);
    }
    return 0;
}

int ComPort::flushOut() {
    if (!isOpen()) return kErrPortNotOpen;
    if (onNet_) {
        net_->flush(false, true);
    } else {
        serial_->clear(QSerialPort::Output);
    }
    return 0;
}

int ComPort::flushInThenOut() {
    if (!isOpen()) return kErrPortNotOpen;
    if (onNet_) {
        net_->flush(true, true);
    } else {
        // Both directions at once: the driver empties its input queue first, then its output
        // queue.
        serial_->clear(QSerialPort::AllDirections);
    }
    return 0;
}

int ComPort::write(const std::uint8_t* data, int count) {
    if (!isOpen()) return kErrPortNotOpen;
    if (onNet_) return net_->write(data, count);
    const char* bytes = reinterpret_cast<const char*>(data);
    if (count > 0 && serial_->bytesToWrite() > 0) {
        // Earlier bytes still wait for room in the driver: these go out after them, sent by the
        // serial port as soon as the driver takes more.
        const qint64 n = serial_->write(bytes, count);
        return n < 0 ? kErrIo : static_cast<int>(n);
    }
    if (count > 0) {
        // Straight to the driver: what the serial port's flush would do too, without switching
        // its write notification on and off around every frame (each switch wakes the event
        // loop once more).
        const ssize_t n = writeOnce(static_cast<int>(serial_->handle()), data, count);
        if (n == count) return count;
        if (n >= 0 || errno == EAGAIN || errno == EWOULDBLOCK) {
            // The driver queue is full: the rest waits in the serial port, which sends it as soon
            // as the driver has room. Pushing it now would only fail again, and the serial port
            // would take that failure for a lost device.
            const int done = n > 0 ? static_cast<int>(n) : 0;
            const qint64 queued = serial_->write(bytes + done, count - done);
            if (queued < 0) return done > 0 ? done : kErrIo;
            return done + static_cast<int>(queued);
        }
        // Any other failure takes the serial port's own way below, which reports it (a hang-up
        // marks the port broken).
    }
    const qint64 n = serial_->write(bytes, count);
    if (n < 0) return kErrIo;
    // Hand the bytes to the driver now rather than on the next event-loop pass.
    if (isOpen()) serial_->flush();
    return static_cast<int>(n);
}

QByteArray ComPort::read(int count) {
    if (!isOpen()) return {};
    count = std::max(count, 0);
    const int fits = std::min(count, kLinkBufferSize);
    if (onNet_) {
        QByteArray bytes = net_->read(fits);
        if (count > fits) net_->skip(count - fits);
        return bytes;
    }
    QByteArray bytes = serial_->read(fits);
    if (count > fits) serial_->skip(count - fits);
    return bytes;
}

int ComPort::inQLen() const {
    if (!isOpen()) return kErrPortNotOpen;
    return static_cast<int>(queued());
}

qint64 ComPort::queued() const {
    return onNet_ ? net_->bytesAvailable() : serial_->bytesAvailable();
}

QByteArray ComPort::peekQueued(qint64 count) const {
    return onNet_ ? net_->peek(count) : serial_->peek(count);
}

void ComPort::clearQueued() {
    if (onNet_) {
        net_->skip(net_->bytesAvailable());
    } else {
        serial_->clear(QSerialPort::Input);
    }
}

void ComPort::takeFrame() {
    ReceivedFrame f;
    f.number = ++received_;
    if (onNet_) {
        const QByteArray bytes = net_->read(kFrameBytes);
        std::copy(bytes.begin(), bytes.end(), f.bytes.begin());
    } else {
        serial_->read(reinterpret_cast<char*>(f.bytes.data()), kFrameBytes);
    }
    if (static_cast<int>(frames_.size()) == kKeptFrames) {
        if (frames_.front().taken) ++taken_;
        frames_.pop_front();
    }
    frames_.push_back(f);
}

void ComPort::RX_Receive_Function() {
    if (!callbackOn_ || queued() < kFrameBytes) return;
    // Whatever came beyond the frame is not part of this reply and is discarded, except further
    // replies right behind it (see splitReceived).
    const QByteArray bytes = peekQueued(queued());
    const ReceiveSplit split =
        splitReceived(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                static_cast<std::size_t>(bytes.size())));
    for (int i = 0; i < split.frames; ++i) takeFrame();
    if (!split.keepRest) clearQueued();
    emit framesArrived(comNumber_);
}

ComPort::ReceivedFrame* ComPort::frame(std::uint64_t number) {
    if (frames_.empty() || number < frames_.front().number || number > received_) return nullptr;
    return &frames_[static_cast<std::size_t>(number - frames_.front().number)];
}

std::uint64_t ComPort::framesDropped() const {
    std::uint64_t taken = taken_;
    for (const ReceivedFrame& f : frames_) taken += f.taken ? 1 : 0;
    return received_ - taken;
}

void ComPort::onNetLost(const QString& reason) {
    if (broken_ || !onNet_) return;
    // As for a device that is gone: waits on the port end at once, and the next opening
    // connects anew. The socket itself is already closed.
    detail_ = QStringLiteral("COM%1 (%2): %3").arg(comNumber_).arg(devicePath_, reason);
    broken_ = true;
    callbackOn_ = false;
    emit linkLost(comNumber_);
}

void ComPort::onError(QSerialPort::SerialPortError error) {
    if (broken_ || !serial_->isOpen()) return;  // failures of open() are reported by open()
    switch (error) {
        case QSerialPort::ResourceError:
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
            // The device is gone or unusable. The port counts as closed from now on, so waits on
            // it end at once; the device itself is closed on the next event-loop pass, outside
            // the serial port's own notification handler that is reporting the error.
            detail_ = QStringLiteral("COM%1 (%2): %3")
                          .arg(comNumber_)
                          .arg(devicePath_, serial_->errorString());
            broken_ = true;
            callbackOn_ = false;
            QTimer::singleShot(0, this, [this] {
                if (broken_ && serial_->isOpen()) serial_->close();
            });
            emit linkLost(comNumber_);
            break;
        default:
            break;
    }
}

}  // namespace korvo
