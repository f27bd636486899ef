#pragma once
// The PC end of a virtual sensor's line for tests: plain POSIX reads and writes on the slave path,
// so the sensor is checked without any of the program's own serial code.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QByteArray>
#include <QString>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "sim/VirtualSensor.h"

namespace korvo::sim::test {

// A 36-byte request: start word, code, argument and up to 15 data words (rest zero).
inline QByteArray request(std::uint16_t code, std::uint16_t argument,
                          std::initializer_list<std::uint16_t> data = {}) {
    std::vector<std::uint16_t> words = {0x0055, code, argument};
    words.insert(words.end(), data.begin(), data.end());
    words.resize(18, 0);
    QByteArray bytes;
    for (std::uint16_t w : words) {
        bytes.append(static_cast<char>(w >> 8));
        bytes.append(static_cast<char>(w & 0xFF));
    }
    return bytes;
}

// Bytes written out in hex ("00AA 0005 ..."), padded with zero bytes to `size`.
inline QByteArray hexBytes(QByteArray hex, int size = 36) {
    QByteArray bytes = QByteArray::fromHex(hex.replace(' ', ""));
    if (bytes.size() < size) bytes.append(QByteArray(size - bytes.size(), '\0'));
    return bytes;
}

inline std::uint16_t word(const QByteArray& bytes, int index) {
    return static_cast<std::uint16_t>((static_cast<std::uint8_t>(bytes.at(index * 2)) << 8) |
                                      static_cast<std::uint8_t>(bytes.at(index * 2 + 1)));
}

class LineClient {
public:
    explicit LineClient(const QString& path) {
        fd_ = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    }
    ~LineClient() {
        if (fd_ >= 0) ::close(fd_);
    }
    LineClient(const LineClient&) = delete;
    LineClient& operator=(const LineClient&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    bool send(const QByteArray& bytes) {
        return ::write(fd_, bytes.constData(), bytes.size()) == bytes.size();
    }

    // Reads until `count` bytes came or the time is up; returns what came.
    QByteArray read(int count, int timeoutMs) {
        QByteArray out;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (out.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{fd_, POLLIN, 0};
            const int ready = left.count() > 0 ? ::poll(&p, 1, static_cast<int>(left.count())) : 0;
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0 || (p.revents & (POLLHUP | POLLERR))) break;
            char buf[512];
            const ssize_t n =
                ::read(fd_, buf, std::min<std::size_t>(sizeof buf, count - out.size()));
            if (n > 0) out.append(buf, static_cast<int>(n));
            if (n < 0 && errno == EIO) break;
        }
        return out;
    }

    // Everything that arrives within `ms`.
    QByteArray readFor(int ms) { return read(1 << 20, ms); }

    QByteArray exchange(const QByteArray& req, int replyBytes, int timeoutMs = 1000) {
        send(req);
        return read(replyBytes, timeoutMs);
    }

private:
    int fd_ = -1;
};

// A sensor, quiet (no noise, no records of its own) unless a test changes `config` and calls
// start() again, with a client on its line.
class SensorOnLine : public ::testing::Test {
protected:
    void SetUp() override { start(); }
    void start() {
        sensor = std::make_unique<VirtualSensor>(config);
        ASSERT_TRUE(sensor->start()) << sensor->errorText().toStdString();
        client = std::make_unique<LineClient>(sensor->devicePath());
        ASSERT_TRUE(client->isOpen());
    }
    SensorConfig config = [] {
        SensorConfig c;
        c.noise = false;
        c.recordPeriodMs = 0;
        return c;
    }();
    std::unique_ptr<VirtualSensor> sensor;
    std::unique_ptr<LineClient> client;
};

}  // namespace korvo::sim::test
