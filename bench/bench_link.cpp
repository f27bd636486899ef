// Throughput and idle cost of the sensor link.
//
//   bench_link [--pace] [--runs N] [--seconds S]
//
// 1. Raw-data exchanges (command 8) per second through the link code against an unpaced virtual
//    sensor, next to a plain POSIX client against the same kind of virtual sensor (what the
//    sensor itself costs) and a minimal request/reply loop over a bare pseudo-terminal pair
//    answered by a plain echo thread. Every exchange of the link empties both queues before it
//    writes; the plain client and the second minimal loop do the same (tcflush), so the ratio
//    against them is what the port layer and the event loop cost.
// 2. With --pace: the same exchanges with the sensor pacing its bytes at 115200 baud, against the
//    line's limit of 72 bytes x 10 bits per exchange = 160 exchanges per second.
// 3. CPU time the calling thread uses while it waits 1.0 s for a reply that never comes.
// Every figure is the median over several runs.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "BenchFigures.h"
#include "BenchRig.h"
#include "core/link/Frame.h"
#include "core/link/LinkState.h"
#include "core/link/PortBank.h"
#include "core/link/Pump.h"
#include "core/link/SensorLink.h"
#include "core/link/StatusSink.h"
#include "sim/SensorFarm.h"

namespace {

using namespace korvo::bench;

using namespace korvo;
using Clock = std::chrono::steady_clock;

using CoreRig = SensorRig;

// Raw-data exchanges per second for `seconds`.
double coreRate(CoreRig& rig, double seconds) {
    const double start = rig.pump.now();
    int count = 0;
    while (rig.pump.now() - start < seconds) {
        if (rig.scope.PushGETRAW(1) != kReplyRawData) {
            std::fprintf(stderr, "exchange failed: %s\n", qPrintable(rig.scope.link.statusText));
            return 0.0;
        }
        ++count;
    }
    return count / (rig.pump.now() - start);
}

void makeRaw(int fd) {
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
}

bool readExactly(int fd, char* buf, int n) {
    int got = 0;
    while (got < n) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 1000) <= 0) return false;
        const ssize_t r = ::read(fd, buf + got, n - got);
        if (r <= 0) return false;
        got += static_cast<int>(r);
    }
    return true;
}

// The floor: 36 bytes out, 36 bytes back over a bare pseudo-terminal pair, blocking reads, an
// echo thread on the other side. With flush, both queues are emptied before each write, as
// every exchange of the link does.
double minimalRate(double seconds, bool flush) {
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return 0.0;
    makeRaw(master);
    makeRaw(slave);
    std::atomic<bool> stop{false};
    std::thread echo([&] {
        char buf[36];
        while (!stop) {
            if (!readExactly(master, buf, 36)) continue;
            buf[1] = static_cast<char>(0xAA);
            if (::write(master, buf, 36) != 36) break;
        }
    });
    char request[36] = {0, 0x55, 0, 8};
    char reply[36];
    int count = 0;
    const auto start = Clock::now();
    double elapsed = 0.0;
    while (elapsed < seconds) {
        if (flush) tcflush(slave, TCIOFLUSH);
        if (::write(slave, request, 36) != 36 || !readExactly(slave, reply, 36)) break;
        ++count;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    }
    stop = true;
    echo.join();
    ::close(slave);
    ::close(master);
    return elapsed > 0 ? count / elapsed : 0.0;
}

// Raw-data requests from a plain POSIX client (blocking reads, both queues emptied before each
// write) against a virtual sensor of its own: what the sensor side costs without the link code.
double plainClientRate(const sim::SensorConfig& config, double seconds) {
    sim::VirtualSensor sensor(config);
    if (!sensor.start()) return 0.0;
    const int fd = ::open(sensor.devicePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0) return 0.0;
    makeRaw(fd);
    LinkState link;
    FillTxBuf(link, 8, 0, link.dataWords);
    char reply[36];
    int count = 0;
    const auto start = Clock::now();
    double elapsed = 0.0;
    while (elapsed < seconds) {
        tcflush(fd, TCIOFLUSH);
        if (::write(fd, link.txBuf.data(), 36) != 36 || !readExactly(fd, reply, 36) ||
            reply[3] != 8) {
            count = 0;
            break;
        }
        ++count;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    }
    ::close(fd);
    sensor.stop();
    return elapsed > 0 ? count / elapsed : 0.0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bool pace = false;
    int runs = 5;
    double seconds = 1.0;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--pace"))
            pace = true;
        else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc)
            seconds = std::atof(argv[++i]);
    }

    sim::SensorConfig unpaced;
    unpaced.noise = false;
    CoreRig rig(unpaced);
    if (!rig.ok || rig.scope.InitRS232(1, 4) != 0) {
        std::fprintf(stderr, "cannot open the virtual sensor: %s\n",
                     qPrintable(rig.bank.errorDetail(1)));
        return 1;
    }

    std::vector<double> core, plain, minimal, minimalFlush;
    for (int r = 0; r < runs; ++r) {
        core.push_back(coreRate(rig, seconds));
        plain.push_back(plainClientRate(unpaced, seconds));
        minimal.push_back(minimalRate(seconds, false));
        minimalFlush.push_back(minimalRate(seconds, true));
    }
    const double coreMedian = median(core), plainMedian = median(plain);
    const double minimalMedian = median(minimal), flushMedian = median(minimalFlush);
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    const auto us = [](double rate) { return rate > 0 ? 1e6 / rate : 0.0; };
    std::printf("raw-data exchanges/s, unpaced sensor (median of %d x %.2f s)\n", runs, seconds);
    std::printf("  link code (PushGETRAW)                   %9.0f /s %6.1f us\n", coreMedian,
                us(coreMedian));
    std::printf("  plain POSIX client, virtual sensor       %9.0f /s %6.1f us\n", plainMedian,
                us(plainMedian));
    std::printf("  minimal loop, echo thread, no flush      %9.0f /s %6.1f us\n", minimalMedian,
                us(minimalMedian));
    std::printf("  minimal loop + tcflush both queues       %9.0f /s %6.1f us\n", flushMedian,
                us(flushMedian));
    std::printf(
        "  (the link empties both queues before every request; the plain client and\n"
        "   the flushing minimal loop do the same)\n");
    std::printf("  ratio link / plain client                %9.2f\n",
                ratio(coreMedian, plainMedian));
    std::printf("  ratio link / minimal loop + tcflush      %9.2f\n",
                ratio(coreMedian, flushMedian));
    std::printf("  ratio link / minimal loop, no flush      %9.2f\n",
                ratio(coreMedian, minimalMedian));

    if (pace) {
        sim::SensorConfig paced;
        paced.noise = false;
        paced.pace = true;
        paced.baud = 115200;
        CoreRig pacedRig(paced);
        if (!pacedRig.ok || pacedRig.scope.InitRS232(1, 4) != 0) {
            std::fprintf(stderr, "cannot open the paced virtual sensor\n");
            return 1;
        }
        std::vector<double> rates;
        for (int r = 0; r < runs; ++r) rates.push_back(coreRate(pacedRig, seconds));
        const double limit = 115200.0 / (72 * 10);
        const double m = median(rates);
        std::printf("raw-data exchanges/s, sensor paced at 115200 baud\n");
        std::printf("  link code                                %9.1f /s\n", m);
        std::printf("  line limit (72 bytes x 10 bits)          %9.1f /s\n", limit);
        std::printf("  ratio                                    %9.2f\n", m / limit);
    }

    // A reply that never comes: the wait must sleep through its second.
    std::vector<double> cpu, wall;
    for (int r = 0; r < std::min(runs, 3); ++r) {
        rig.farm.sensor(0).setFault(sim::Fault::NoReply, 8, 1);
        const double c0 = threadCpuSeconds();
        const double t0 = rig.pump.now();
        rig.scope.PushGETRAW(1);
        wall.push_back(rig.pump.now() - t0);
        cpu.push_back(threadCpuSeconds() - c0);
    }
    std::printf("waiting for a reply that never comes (median of %zu)\n", cpu.size());
    std::printf("  wall time                                %9.3f s\n", median(wall));
    std::printf("  CPU time of the waiting thread           %9.2f ms (%.2f %% of the wait)\n",
                median(cpu) * 1000.0, 100.0 * median(cpu) / median(wall));
    return 0;
}
