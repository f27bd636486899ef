// Faults survived with nothing lost: replies that come byte by byte, stray bytes around replies, a
// sensor that hangs up in the middle of GET or SEND and comes back, settings files whose writer is
// killed half-way, and a port map that is no plain file. Each ends in the right data or a clear
// message, never in wrong data taken for good.

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <random>

#include "LinkRig.h"
#include "core/link/Frame.h"
#include "core/link/PortMap.h"
#include "core/measure/MeasureLoops.h"
#include "core/mplex/MplexIni.h"
#include "core/params/AppSettings.h"
#include "core/params/ParamFile.h"
#include "sim/PortMap.h"
#include "support/TimeScale.h"
#include "support/UnreadableFiles.h"

namespace korvo::test {
namespace {

using sim::Fault;

// An echo as the sensor sends it: sync word, code, argument, the 15 words of a parameter half.
QByteArray echoBytes(std::uint16_t code, std::uint16_t arg, const sim::ParamHalf& words) {
    QByteArray hex = QByteArray("00AA ") + QByteArray::number(code, 16).rightJustified(4, '0') +
                     ' ' + QByteArray::number(arg, 16).rightJustified(4, '0');
    for (std::uint16_t w : words) hex += ' ' + QByteArray::number(w, 16).rightJustified(4, '0');
    return frameHex(hex.constData());
}

class LineFaults : public OpenRig {
protected:
    QByteArray lastReply() const {
        return QByteArray(reinterpret_cast<const char*>(rig->link.rxBuf.data()), kFrameBytes);
    }
    // The 15 words of half `half` of the PC's parameter set, as a SEND would write them.
    sim::ParamHalf pcHalf(int half) {
        DataWords words{};
        ToleranceBand scratch;
        CopyVarsToPP(rig->params, static_cast<std::uint16_t>(half), words, scratch,
                     rig->model.pixelCount);
        sim::ParamHalf out{};
        std::copy_n(words.begin(), out.size(), out.begin());
        return out;
    }
    // A run on COM1 stopped after `records` records (or ended by the line): its end and the
    // records shown.
    int runFor(int records, std::vector<RunRecord>& shown) {
        RunRecord run;
        MeasureLoops loops(rig->sensorLink, rig->params, rig->band, rig->model, run);
        return loops.run(1, [&](const RunRecord& r) {
            shown.push_back(r);
            if (static_cast<int>(shown.size()) == records) rig->link.stopFlag = kStopByUser;
        });
    }
    // The sensor back on a new device, the port map naming it, COM1 opened again.
    void reopen() {
        ASSERT_FALSE(rig->sensor().reopen().isEmpty());
        rig->rewriteMap();
        rig->open();
    }
    void expectOnlyTheRealMeasurement(const std::vector<RunRecord>& shown) {
        for (const RunRecord& r : shown) {
            EXPECT_EQ(r.leftEdge, 300);
            EXPECT_EQ(r.rightEdge, 500);
        }
    }
};

TEST_F(LineFaults, RepliesInSingleBytesArriveWhole) {
    SensorLink& s = rig->sensorLink;
    rig->sensor().setFault(Fault::SplitReply, -1, -1, 2);  // every reply, 2 ms between bytes
    for (std::uint16_t half = 0; half < 2; ++half) {
        const double start = rig->pump.now();
        ASSERT_EQ(s.GetParamHalf(kMemoryRam, half, 1), 1);
        EXPECT_GE(rig->since(start), 0.07);  // 35 gaps
        EXPECT_EQ(lastReply(), echoBytes(2, half, rig->sensor().ramHalf(half)));
    }
    rig->params.power = 777;
    rig->params.umSlope = 70000;
    for (std::uint16_t half = 0; half < 2; ++half) {
        ASSERT_EQ(s.SendParamHalf(kMemoryRam, half, 1), 1);
        EXPECT_EQ(rig->sensor().ramHalf(half), pcHalf(half));
        EXPECT_EQ(lastReply(), echoBytes(1, half, pcHalf(half)));
    }
    EXPECT_EQ(s.readBlockRun(1, 0), 1);
    EXPECT_EQ(rig->video.video, rig->sensor().lastVideo());

    rig->sensor().setMeasurement(300, 500);
    std::vector<RunRecord> shown;
    EXPECT_EQ(runFor(8, shown), kStopByUser);
    EXPECT_EQ(shown.size(), 8u);
    expectOnlyTheRealMeasurement(shown);
}

// Stray bytes after a reply are not part of it; stray bytes before it shift its words, and such a
// frame names neither the request nor starts with the sync word: it is dropped and the exchange
// times out. Random bytes in place of the reply likewise. Run mode never shows any of them.
TEST_F(LineFaults, StrayBytesAndGarbageNeverPassForData) {
    SensorLink& s = rig->sensorLink;
    rig->sensor().setMeasurement(300, 500);
    const struct {
        Fault fault;
        bool survived;
    } cases[] = {{Fault::StrayAfter, true}, {Fault::StrayFirst, false}, {Fault::Garbage, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        rig->params = ParamSet{};
        const ParamSet before = rig->params;
        // A GET, then a SEND of what it got: a request of another code does not wait for the
        // answer that a failed one still owes.
        rig->sensor().setFault(c.fault, 2, 1);
        const int got = s.GetParamHalf(kMemoryRam, 0, 1);
        rig->sensor().setFault(c.fault, 1, 1);
        const sim::ParamHalf stored = rig->sensor().ramHalf(0);
        const int sent = s.SendParamHalf(kMemoryRam, 0, 1);
        if (c.survived) {
            EXPECT_EQ(got, 1);
            EXPECT_EQ(sent, 1);
            EXPECT_EQ(pcHalf(0), stored);
            EXPECT_EQ(rig->sensor().ramHalf(0), stored);  // the same set went back
        } else {
            EXPECT_EQ(got, -1);
            EXPECT_EQ(sent, -1);
            EXPECT_EQ(rig->link.statusText, QStringLiteral("Timeout-RS-232..."));
            EXPECT_EQ(rig->params, before);
        }
        rig->pump.delay(0.05);
        EXPECT_EQ(s.CheckComLine(1), 1);  // the line itself is fine

        // Run mode: the fourth reply is spoilt.
        rig->sensor().setFault(c.fault, 8, 1, 0, 3);
        std::vector<RunRecord> shown;
        const int end = runFor(8, shown);
        expectOnlyTheRealMeasurement(shown);
        if (c.survived) {
            EXPECT_EQ(end, kStopByUser);
            EXPECT_EQ(shown.size(), 8u);
        } else {
            EXPECT_EQ(end, kStopRunTimeout);
            EXPECT_EQ(shown.size(), 3u);
            EXPECT_EQ(rig->link.statusText, QStringLiteral("Timeout RS232-Line!"));
        }
        rig->sensor().clearFaults();
    }
}

// The sensor answers the first half, then hangs up: on the second half's request, or half-way
// through its reply. The exchange fails at once with the device's reason; the PC's set takes
// nothing of the broken reply; after the sensor is back and the port reopened, GET and SEND
// work again.
TEST_F(LineFaults, HangUpInTheMiddleOfGetOrSendThenReopen) {
    SensorLink& s = rig->sensorLink;
    const struct {
        bool send;
        Fault fault;
    } cases[] = {{false, Fault::HangUp},
                 {false, Fault::CutOff},
                 {true, Fault::HangUp},
                 {true, Fault::CutOff}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << (c.send ? "SEND " : "GET ") << static_cast<int>(c.fault));
        const int code = c.send ? 1 : 2;
        rig->params = ParamSet{};
        rig->params.power = 555;
        rig->params.umSlope = 1234;
        const sim::ParamHalf ours1 = pcHalf(1);
        rig->sensor().setFault(c.fault, code, 1, 150, 1);
        const auto exchange = [&](std::uint16_t half) {
            return c.send ? s.SendParamHalf(kMemoryRam, half, 1)
                          : s.GetParamHalf(kMemoryRam, half, 1);
        };
        ASSERT_EQ(exchange(0), 1);
        // What the PC holds while the cut reply waits for bytes that never come.
        int queuedMidway = -1;
        QObject context;
        QTimer::singleShot(60, &context, [&] { queuedMidway = rig->bank.inQLen(1); });
        const double start = rig->pump.now();
        EXPECT_EQ(exchange(1), -1);
        EXPECT_LT(rig->since(start), 0.15 + 0.3 * timeScale());
        EXPECT_EQ(rig->link.statusText, QStringLiteral("Timeout-RS-232..."));
        EXPECT_TRUE(rig->bank.isBroken(1));
        EXPECT_FALSE(rig->bank.errorDetail(1).isEmpty());
        if (c.fault == Fault::CutOff) {
            EXPECT_EQ(queuedMidway, kFrameBytes / 2);
        }
        if (!c.send) {
            EXPECT_EQ(pcHalf(1), ours1);
        }

        reopen();
        for (std::uint16_t half = 0; half < 2; ++half) {
            ASSERT_EQ(exchange(half), 1);
            EXPECT_EQ(rig->sensor().ramHalf(half), pcHalf(half));
        }
    }

    // Run mode likewise: the fourth reply is cut off, the run ends at once having shown only
    // whole records, and runs again once the port is reopened.
    rig->sensor().setMeasurement(300, 500);
    rig->sensor().setFault(Fault::CutOff, 8, 1, 100, 3);
    std::vector<RunRecord> shown;
    EXPECT_EQ(runFor(8, shown), kStopRunTimeout);
    EXPECT_EQ(shown.size(), 3u);
    reopen();
    EXPECT_EQ(runFor(8, shown), kStopByUser);
    EXPECT_EQ(shown.size(), 8u);
    expectOnlyTheRealMeasurement(shown);
}

// Three settings writers replace their files over and over in a child process, which is killed
// at random moments: every file is then whole, the old version or the new one.
TEST(SettingsWrite, KilledHalfWayLeavesTheOldFileOrTheNewOne) {
    QTemporaryDir dir;
    const QString app = dir.filePath(QString::fromLatin1(kAppSettingsFileName));
    const QString mplex = dir.filePath(QStringLiteral("MPLEX16.ini"));
    const QString para = dir.filePath(QStringLiteral("KORVO-PARA.ini"));
    const auto writeVersion = [&](int v) {
        AppSettings a;
        a.comPort = 3 + v;
        ParamSet p;
        p.power = static_cast<std::uint16_t>(100 + v);
        MplexIniContent m;
        m.teachValue = static_cast<std::uint16_t>(200 + v);
        return WriteAppVarToIniFile(a, app).ok && writeMplexIniFile(m, mplex).ok &&
               SendParaToFileI(p, para).ok;
    };
    const auto bytesOf = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    };
    const QString paths[] = {app, mplex, para};
    QByteArray versions[3][2];
    for (int v : {1, 0}) {
        ASSERT_TRUE(writeVersion(v));
        for (int f = 0; f < 3; ++f) versions[f][v] = bytesOf(paths[f]);
    }

    QtPump pump;
    std::mt19937 rng(12);
    std::uniform_real_distribution<double> moment(0.0005, 0.02);
    int changed = 0;
    for (int round = 0; round < 25; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            for (int i = 1;; ++i)
                if (!writeVersion(i % 2)) ::_exit(1);
        }
        pump.delay(moment(rng));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed by itself";
        for (int f = 0; f < 3; ++f) {
            const QByteArray now = bytesOf(paths[f]);
            EXPECT_TRUE(now == versions[f][0] || now == versions[f][1])
                << paths[f].toStdString() << " has " << now.size() << " bytes";
            changed += now == versions[f][1];
        }
    }
    EXPECT_GT(changed, 0) << "the writer never got to write";
}

// The virtual sensor keeps the port map with the program's own rules: a FIFO or an oversized file
// under its name is neither read nor rewritten, and the reason is given.
TEST(SimPortMap, OnlyARegularFileOfBoundedSizeIsReadOrRewritten) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo.map"));
    const QString big = dir.filePath(QStringLiteral("big.map"));
    makeFifo(fifo);
    makeSparseFile(big, PortMap::kMaxFileBytes + 1, "COM1 = /dev/ttyUSB0\n");
    for (const QString& path : {fifo, big}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_TRUE(sim::readPortMap(path).empty());
        QString error;
        EXPECT_FALSE(sim::addPortMapEntries(path, {{2, QStringLiteral("/dev/pts/9")}}, &error));
        EXPECT_TRUE(error.startsWith(path)) << error.toStdString();
    }
    EXPECT_EQ(QFileInfo(big).size(), PortMap::kMaxFileBytes + 1);
}

}  // namespace
}  // namespace korvo::test
