#include "LinkRig.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

namespace korvo::test {

QByteArray LinkRig::takeRequest(int index) {
    sim::VirtualSensor& s = farm.sensor(index);
    s.waitForFrames(1, 1000);
    const auto frames = s.receivedFrames();
    s.clearReceivedFrames();
    return frames.empty() ? QByteArray() : frames.back().bytes;
}

void BarePty::SetUp() {
    char name[128] = {};
    ASSERT_EQ(openpty(&master, &keeper, name, nullptr, nullptr), 0);
    termios t{};
    tcgetattr(master, &t);
    cfmakeraw(&t);
    tcsetattr(master, TCSANOW, &t);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    path = QString::fromLocal8Bit(name);
}

void BarePty::TearDown() {
    pc.reset();
    ::close(keeper);
    ::close(master);
}

void BarePty::sensorWrites(const QByteArray& bytes) {
    ASSERT_EQ(::write(master, bytes.constData(), bytes.size()), bytes.size());
}

QByteArray BarePty::sensorReads(int count) {
    QByteArray got;
    char buf[4096];
    const double end = pump.now() + 2.0;
    while (got.size() < count && pump.now() < end) {
        pump.processEvents();
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n > 0)
            got.append(buf, static_cast<int>(n));
        else
            pump.waitForEvents(pump.now() + 0.001);
    }
    return got;
}

void BarePty::linkUp(Pump* clock) {
    const QString map = dir.filePath(QStringLiteral("COMPORTS.map"));
    ASSERT_TRUE(sim::addPortMapEntries(map, {{1, path}}));
    pc = std::make_unique<PcSide>(map, clock);
    pc->open();
}

QByteArray frameHex(const char* hexWords) {
    QByteArray bytes = QByteArray::fromHex(QByteArray(hexWords).replace(' ', ""));
    bytes.append(QByteArray(36 - bytes.size(), '\0'));
    return bytes;
}

double threadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    const auto sec = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
    return sec(usage.ru_utime) + sec(usage.ru_stime);
}

}  // namespace korvo::test
