// korvo where its work leaves the program: standard output that fails, output files that are not
// regular files, port map names the map cannot hold; and the signals that end it half way
// through a write to a sensor.

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <map>

#include "CliRig.h"
#include "core/link/PortMap.h"
#include "core/params/ParamFile.h"
#include "core/sensorfn/LinearisationTable.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

namespace korvo::test {
namespace {

using sim::Fault;

// Standard error holds exactly one line that starts with `start`.
void saidOnce(const CliRun& r, const QString& start) {
    const QStringList lines = QString::fromLocal8Bit(r.err).split('\n');
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [&](const QString& l) { return l.startsWith(start); }),
              1)
        << r.err.toStdString();
}

TEST(CliOutput, LostOutputRefusedFilesAndUnfitNamesEndWithTheReason) {
    CliRig rig({model()});
    const QString fifo = rig.path(QStringLiteral("fifo"));
    makeFifo(fifo);
    const QString folder = rig.path(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString kept = rig.path(QStringLiteral("kept.ini"));
    writeFileBytes(kept, "kept");
    const QString link = rig.path(QStringLiteral("link.ini"));
    ASSERT_TRUE(QFile::link(kept, link));

    // Standard output on a full device. Its only product lost, a run without a sample count ends
    // by itself; a recording's product is its file: it goes on to the end.
    for (const char* line : {"get 1 --from ram", "identify 1", "ports", "--help", "video 1",
                             "run 1", "record 1 --samples 3 --step 0.1 -o DIR/RECORD.DAT --json"}) {
        SCOPED_TRACE(line);
        const CliRun r = rig.run(rig.words(line), {}, QStringLiteral("/dev/full"));
        EXPECT_EQ(r.exit, 2);
        saidOnce(r, QStringLiteral("korvo: standard output: No space left on device"));
    }
    EXPECT_EQ(fileBytes(rig.path(QStringLiteral("RECORD.DAT"))).count("\r\n"), 7 + 3);

    // Output files that are not regular files, known before any sensor is touched.
    const struct {
        const char* line;
        QString said;
    } refused[] = {
        {"get 1 --from ram -o DIR/fifo --force", fifo + " is a FIFO"},
        {"get 1 --from ram -o DIR/folder --force", folder + " is a folder"},
        {"get 1 --from ram -o DIR/link.ini --force", link + " is a link to " + kept},
        {"record 1 --samples 3 -o DIR/fifo --force", fifo + " is a FIFO"},
        {"get 1 --from ram -o /dev/null --force", "/dev/null is a device"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.line);
        rig.sensor(0).clearReceivedFrames();
        const CliRun r = rig.run(rig.words(c.line));
        EXPECT_EQ(r.exit, 2);
        saidOnce(r, "korvo: " + c.said + "; --force replaces only a regular file");
        EXPECT_TRUE(rig.sensor(0).receivedFrames().empty());
    }
    EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());  // still the FIFO
    EXPECT_EQ(fileBytes(kept), "kept");
    EXPECT_TRUE(QFileInfo(link).isSymLink());

    // Adapters, one under a name the map holds and four under names it cannot: '#' and ';'
    // would cut the name, a line feed would add a line of its own that overrides COM1, and a
    // carriage return, which the map's reader keeps, is a line break to an editor.
    const QString serial = rig.path(QStringLiteral("serial"));
    ASSERT_TRUE(QDir().mkpath(serial + "/by-id"));
    const QString good = serial + "/by-id/usb-FTDI_A1-if00-port0";
    const QStringList unfit = {
        serial + "/by-id/usb-Hub#2-if00-port0", serial + "/by-id/usb-X\nCOM1 = evil-if00",
        serial + "/by-id/usb-Y;3-if00-port0", serial + "/by-id/usb-Z\r-if00-port0"};
    int node = 0;
    for (const QString& name : QStringList{good} + unfit) {
        const QString target = rig.path(QStringLiteral("ttyUSB%1").arg(node++));
        writeFileBytes(target, {});
        ASSERT_TRUE(QFile::link(target, name));
    }
    std::map<int, QString> mapped = PortMap::load(rig.mapPath).entries();
    const QStringList writeMap = {"ports", "--write-map", "--serial-dir", serial};
    {
        FileSizeLimit tooSmall(16);  // a map that cannot be written: the reason, and no change
        const CliRun refused = rig.run(writeMap);
        EXPECT_EQ(refused.exit, 2);
        EXPECT_TRUE(refused.err.contains("Cannot write")) << refused.err.toStdString();
    }
    const CliRun written = rig.run(writeMap);
    EXPECT_EQ(written.exit, 0);
    saidOnce(written, "korvo: warning: not added to the port map: " + unfit[0]);
    saidOnce(written, "Added 1 line(s) to the port map " + rig.mapPath + ".");
    mapped[2] = good;  // numbered on from COM1, the sensor's, which stays as it was
    EXPECT_EQ(PortMap::load(rig.mapPath).entries(), mapped);
    const CliRun again = rig.run(writeMap);  // every adapter left is one it cannot hold
    EXPECT_EQ(again.err.count("warning: not added"), 4);
    saidOnce(again, "The port map " + rig.mapPath + " stays as it is.");
}

// What korvo writes to a terminal (a pseudo-terminal's other end) as its standard output, its
// standard error or both.
QByteArray terminalBytes(CliRig& rig, const QStringList& args, bool output, bool errors) {
    int master = -1, slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return {};
    const QString tty = QString::fromLatin1(name);
    rig.run(args, {}, output ? tty : QString(), errors ? tty : QString());
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    QByteArray bytes;
    char buf[4096];
    for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;) bytes.append(buf, n);
    ::close(slave);
    ::close(master);
    return bytes;
}

// korvo with standard output on a terminal: its lines.
QStringList onTerminal(CliRig& rig, const QStringList& args) {
    return QString::fromUtf8(terminalBytes(rig, args, true, false))
        .remove(QLatin1Char('\r'))
        .split('\n', Qt::SkipEmptyParts);
}

TEST(CliOutput, OnATerminalEveryColumnStartsUnderItsTitle) {
    CliRig rig({model()});
    // Held (results and the port map, widened to their cells) and streamed (a run, padded as
    // rows come).
    for (const QStringList& args : {QStringList{"identify", "1"}, QStringList{"ports"},
                                    QStringList{"run", "1", "--samples", "1"}}) {
        const QStringList lines = onTerminal(rig, args);
        ASSERT_EQ(lines.size(), 2) << lines.join('|').toStdString();
        const bool run = args[0] == QLatin1String("run");
        EXPECT_TRUE(lines[0].startsWith(run ? "T[s] " : "PORT "));
        EXPECT_TRUE(lines[1].startsWith(run ? "0." : "COM1 "));
        const QStringList titles = lines[0].split(' ', Qt::SkipEmptyParts);
        if (args[0] == QLatin1String("identify"))
            EXPECT_EQ(titles,
                      QStringList({"PORT", "DEVICE", "OUTCOME", "SN", "FIRMWARE", "DETAIL"}));
        for (int i = 1; i < titles.size(); ++i) {
            const qsizetype column = lines[0].indexOf(QLatin1Char(' ') + titles[i]) + 1;
            EXPECT_NE(lines[1][column], QLatin1Char(' ')) << lines.join('|').toStdString();
            EXPECT_EQ(lines[1][column - 1], QLatin1Char(' '));
        }
    }
    // A held table of differences: the titles and a line per key.
    writeFileBytes(rig.path(QStringLiteral("p.ini")), "[PARA0]\r\nPower = 1\r\n");
    EXPECT_EQ(onTerminal(rig, rig.words("diff DIR/p.ini COM1:ram")).size(), 29);
    // A watch's live table, drawn over the last one.
    const QStringList live =
        onTerminal(rig, {"watch", "1", "--interval", "0.1", "--duration", "0.35"});
    ASSERT_GE(live.size(), 2);
    EXPECT_TRUE(live[0].startsWith("\x1b[2KT[s]  PORT  ")) << live[0].toStdString();
    EXPECT_EQ(live[1].indexOf("COM1 "), live[0].indexOf("PORT "));
    for (const QString& line : live)  // no line cleared below the table
        EXPECT_TRUE(line.contains("T[s]") || line.contains("COM1 ")) << line.toStdString();
}

// A recording's and a flash write's bar on standard error.
TEST(CliOutput, OnATerminalABarComesAfterASecondAtMostTenTimesASecond) {
    sim::SensorConfig slowTrigger = model();
    slowTrigger.recordQuietMs = 2000;  // the one triggered record comes 2 s after the request
    CliRig rig({slowTrigger, model(), model()});
    writeFileBytes(rig.path(QStringLiteral("XF.DAT")), numberLines(kXFlashTableWords));
    rig.sensor(0).setFault(Fault::LateReply, 102, -1, 5);  // 256 blocks take more than a second
    rig.sensor(2).setFault(Fault::HangUp, 101);            // COM3's blocks leave the total at once
    // The flash's first exchanges come late: its bar is a count alone until the total is known.
    rig.sensor(0).setFault(Fault::LateReply, -1, 2, 700);
    // A log that cannot be written: its message comes while the flash's bar is shown.
    ASSERT_TRUE(QDir().mkpath(rig.path(QStringLiteral("audit.db"))));
    const struct {
        const char* line;
        QString label;
        int total;
    } cases[] = {{"flash 1,3 DIR/XF.DAT", "X-FLASH", 256},
                 {"record 1,2 --samples 15 --step 0.1 -o DIR/BAR{port}.DAT", "recording", 30},
                 {"record 1 --samples 1 --mode 1 -o DIR/ONE.DAT", "COM1 recording", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        QElapsedTimer clock;
        clock.start();
        const QByteArray err = terminalBytes(rig, rig.words(c.line), false, true);
        const double seconds = clock.elapsed() / 1000.0;
        // Each bar is drawn over the last one (or after a line of its own); the last one is wiped,
        // also by a message, which starts its own line.
        QStringList bars = QString::fromUtf8(err).split(QStringLiteral("\r\x1b[K"));
        ASSERT_GE(bars.size(), 4) << err.toStdString();
        const QString before = bars.takeFirst(), after = bars.takeLast();
        const auto message = [](const QString& s) { return s.startsWith("korvo: audit log not"); };
        EXPECT_TRUE((before.isEmpty() || before.endsWith('\n')) &&
                    (after.isEmpty() || message(after)))
            << err.toStdString();
        bars.removeIf(message);
        EXPECT_EQ(bars.removeAll(c.label + QStringLiteral(" 0")) > 0, c.total == 256);
        EXPECT_LE(bars.size(), (seconds - 1.0) / 0.1 + 1);
        const QRegularExpression form(c.label + QStringLiteral(R"( \[(#*)\.*\] +(\d+)% (\d+)/)") +
                                      QString::number(c.total) + '$');
        int last = 0;
        bool underWay = c.total == 1;  // a bar of 1 has no count between
        for (const QString& bar : bars) {
            const QRegularExpressionMatch m = form.match(bar);
            ASSERT_TRUE(m.hasMatch() && bar.indexOf(']') == c.label.size() + 32)
                << bar.toStdString();
            const int done = m.captured(3).toInt();
            EXPECT_GE(done, last);
            EXPECT_EQ(m.captured(2).toInt(), 100 * done / c.total);
            EXPECT_EQ(m.capturedLength(1), 30 * done / c.total);
            last = done;
            underWay = underWay || (done > 0 && done < c.total);
        }
        EXPECT_TRUE(underWay) << err.toStdString();  // the count moves while the work goes on
    }
    // On one terminal for both, a record's line wipes the bar first: each starts its line.
    const QString both = QString::fromUtf8(terminalBytes(
        rig, rig.words("record 1 --samples 15 --step 0.1 --mode 0 -o DIR/BAR.DAT --force --json"),
        true, true));
    EXPECT_EQ(both.count(QStringLiteral("\"type\":\"record\"")), 15);
    for (const QString& line : both.split('\n'))
        if (line.contains(QLatin1String("\"type\":\"record\"")))
            EXPECT_TRUE(line.split(QStringLiteral("\r\x1b[K")).last().startsWith('{'))
                << line.toStdString();
}

struct Signalled {
    CliRun run;
    QJsonObject result;
    std::vector<SeenRequest> after;  // the requests the sensor had after the signal
};

// Runs korvo until the sensor has had its nth request of `code` (whose answer it then sends
// late, when asked), sends the signal, and returns what korvo printed.
Signalled signalled(CliRig& rig, const QStringList& args, int code, int nth, bool late,
                    int signalNumber) {
    sim::VirtualSensor& sensor = rig.sensor(0);
    sensor.clearReceivedFrames();
    if (late) sensor.setFault(Fault::LateReply, code, 1, 400, nth - 1);
    std::unique_ptr<QProcess> p = rig.start(args + QStringList{"--json"});
    Signalled s;
    QElapsedTimer clock;
    clock.start();
    while (requestCount(sensor, code) < nth && p->state() == QProcess::Running &&
           clock.elapsed() < 20000) {
        p->waitForReadyRead(20);
        s.run.out += p->readAllStandardOutput();
    }
    const std::size_t seen = requestsOf(sensor).size();
    EXPECT_TRUE(signalIfRunning(*p, signalNumber)) << "korvo ended before the signal";
    EXPECT_TRUE(p->waitForFinished(10000));
    sensor.clearFaults();
    s.run.exit = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
    s.run.out += p->readAllStandardOutput();
    s.run.err = p->readAllStandardError();
    const auto results = s.run.objects(QStringLiteral("result"));
    EXPECT_EQ(results.size(), 1u) << s.run.out.toStdString();
    if (!results.empty()) s.result = results[0];
    const std::vector<SeenRequest> requests = requestsOf(sensor);
    s.after.assign(requests.begin() + static_cast<std::ptrdiff_t>(seen), requests.end());
    return s;
}

// A write the signal cuts short: it comes while korvo waits for the late answer to the nth
// request of `code`; none of the request codes `notAfter` may follow it.
TEST(CliSignals, TheExchangeUnderWayEndsAndNoFurtherOneStarts) {
    CliRig rig({model()});
    const QString record = rig.path(QStringLiteral("RECORD.DAT"));
    // A file that changes both halves: Power in para0, Video-Thd-Fix in para1.
    const QString got = rig.path(QStringLiteral("p.ini"));
    ASSERT_EQ(rig.run({"get", "1", "--from", "eeprom", "-o", got}).exit, 0);
    ParamSet sent;
    ASSERT_EQ(ReadParaFromFileI(sent, got, 1), 1);
    sent.power = sent.power == 650 ? 640 : 650;
    sent.videoThdFix = sent.videoThdFix == 30 ? 35 : 30;
    ASSERT_EQ(rig.run(rig.words("backup 1 -o DIR/bk")).exit, 0);
    rig.paramFile(sent, QStringLiteral("p.ini"));
    writeFileBytes(rig.path(QStringLiteral("XF-LINEAR.DAT")), numberLines(2048));

    // Runs and recordings end as their stop buttons end them, with every line kept.
    const Signalled recorded =
        signalled(rig, {"record", "1", "--samples", "32000", "--step", "0.1", "-o", record}, 18, 3,
                  false, SIGINT);
    EXPECT_EQ(recorded.run.exit, 0);
    EXPECT_EQ(str(recorded.result, "outcome"), QStringLiteral("stopped"));
    // Then the dummy frame that ends what the sensor may still send.
    EXPECT_EQ(recorded.after.empty() ? -1 : recorded.after.back().code, 0);
    // The third request goes out once the second answer is stored.
    const int records = static_cast<int>(recorded.run.objects(QStringLiteral("record")).size());
    EXPECT_GE(records, 2);
    EXPECT_EQ(num(recorded.result, "samples"), records);
    EXPECT_EQ(fileBytes(record).count("\r\n"), 7 + records);
    // Without --duration a watch runs until the signal.
    const auto watch = rig.start({"watch", "1"});
    EXPECT_FALSE(watch->waitForFinished(2000)) << "ended by itself";
    EXPECT_TRUE(signalIfRunning(*watch, SIGINT));
    ASSERT_TRUE(watch->waitForFinished(10000));
    EXPECT_EQ(watch->exitCode(), 0);
    const Signalled ran = signalled(rig, {"run", "1"}, 8, 5, false, SIGHUP);
    EXPECT_EQ(ran.run.exit, 0);
    EXPECT_EQ(str(ran.result, "outcome"), QStringLiteral("ok"));
    EXPECT_EQ(num(ran.result, "records"),
              static_cast<int>(ran.run.objects(QStringLiteral("record")).size()));

    // Writes: what was written and what was not. Each signal comes while korvo waits for the
    // late answer to the nth request of `code`; none of the codes `notAfter` may follow it. What
    // a whole send writes is met in CliParams, a flash's acknowledged count in CliFlash.
    const struct {
        const char* line;
        int code, nth, signalNumber;
        std::vector<int> notAfter;
        const char* detail;
    } cuts[] = {
        // clang-format off
        {"send 1 --to eeprom DIR/p.ini", 3, 1, SIGTERM, {3, 4},
         "para0 written to EEPROM, para1 not written (SIGTERM)"},
        {"send 1 --to ram DIR/p.ini", 1, 2, SIGHUP, {2},
         "both halves written to RAM, not read back (SIGHUP)"},
        {"flash 1 DIR/XF-LINEAR.DAT", 102, 21, SIGTERM, {102}, "stopped after 21 of 256 blocks: "
         "written up to page 2 offset 160, not from page 2 offset 168 on (SIGTERM)"},
        {"flash 1 DIR/XF-LINEAR.DAT", 10, 1, SIGTERM, {101, 102},
         "stopped before the clear: X-FLASH not changed (SIGTERM)"},
        {"teach 1", 10, 1, SIGTERM, {6}, "nothing taught (SIGTERM)"},
        {"teach 1", 6, 1, SIGTERM, {2}, "taught, not read back (SIGTERM)"},
        {"reset 1", 10, 1, SIGHUP, {11}, "nothing reset (SIGHUP)"},
        {"restore 1 --from DIR/bk", 4, 2, SIGTERM, {1}, "EEPROM written, RAM not (SIGTERM)"},
        {"test 1 --teach 100 --upper 7 --lower 9", 10, 1, SIGTERM, {16}, "nothing sent (SIGTERM)"},
        {"record 1 --samples 3 --mode 1 -o DIR/RECORD.DAT --force", 10, 1, SIGTERM, {1},
         "RS-232-Mode not switched, nothing recorded (SIGTERM)"},
        {"baud 1 --to 38400", 10, 1, SIGTERM, {190}, "baud rate not changed (SIGTERM)"},
        // Last: the sensor is at the new rate afterwards.
        {"baud 1 --to 38400", 190, 1, SIGTERM, {5},
         "the sensor switched to 38400 baud, not checked at it (SIGTERM)"},
        // clang-format on
    };
    for (const auto& c : cuts) {
        SCOPED_TRACE(c.line);
        const Signalled s = signalled(rig, rig.words(c.line), c.code, c.nth, true, c.signalNumber);
        EXPECT_EQ(s.run.exit, 1) << s.run.err.toStdString();
        EXPECT_EQ(str(s.result, "outcome"), QStringLiteral("interrupted"));
        EXPECT_EQ(str(s.result, "detail"), QLatin1String(c.detail));
        for (const SeenRequest& r : s.after)
            EXPECT_EQ(std::count(c.notAfter.begin(), c.notAfter.end(), r.code), 0)
                << "request " << r.code << " after the signal";
    }
}

}  // namespace
}  // namespace korvo::test
