// korvo where its work leaves the program: standard output that fails, output files that are not
// regular files, port map names the map cannot hold; and the signals that end it half way
// through a write to a sensor.

#include <signal.h>
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <functional>
#include <map>

#include "CliRig.h"
#include "core/link/PortMap.h"
#include "core/params/ParamFile.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

namespace korvo::test {
namespace {

using sim::Fault;

bool isFifo(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
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
    const QString record = rig.path(QStringLiteral("RECORD.DAT"));

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

    const QString full = QStringLiteral("/dev/full");
    const QString noSpace = QStringLiteral("korvo: standard output: No space left on device");
    const QString onlyRegular = QStringLiteral("; --force replaces only a regular file");
    const struct {
        QStringList args;
        QString output;  // standard output goes here when named
        int exit;
        QString error;  // the start of one line of standard error
        std::function<void()> check;
    } cases[] = {
        {{"get", "1", "--from", "ram"}, full, 2, noSpace, {}},
        {{"identify", "1"}, full, 2, noSpace, {}},
        {{"ports"}, full, 2, noSpace, {}},
        {{"--help"}, full, 2, noSpace, {}},
        {{"video", "1"}, full, 2, noSpace, {}},
        // Its only product lost, a run without a sample count ends by itself.
        {{"run", "1"}, full, 2, noSpace, {}},
        // A recording's product is its file: it goes on to the end.
        {{"record", "1", "--samples", "3", "--step", "0.1", "-o", record, "--json"},
         full,
         2,
         noSpace,
         [&] { EXPECT_EQ(fileBytes(record).count("\r\n"), 7 + 3); }},
        {{"get", "1", "--from", "ram", "-o", fifo, "--force"},
         {},
         2,
         "korvo: " + fifo + " is a FIFO" + onlyRegular,
         [&] { EXPECT_TRUE(isFifo(fifo)); }},
        {{"get", "1", "--from", "ram", "-o", folder, "--force"},
         {},
         2,
         "korvo: " + folder + " is a folder" + onlyRegular,
         {}},
        {{"get", "1", "--from", "ram", "-o", link, "--force"},
         {},
         2,
         "korvo: " + link + " is a link to " + kept + onlyRegular,
         [&] {
             EXPECT_EQ(fileBytes(kept), "kept");
             EXPECT_TRUE(QFileInfo(link).isSymLink());
         }},
        {{"record", "1", "--samples", "3", "-o", fifo, "--force"},
         {},
         2,
         "korvo: " + fifo + " is a FIFO" + onlyRegular,
         [&] { EXPECT_TRUE(isFifo(fifo)); }},
        {{"ports", "--write-map", "--serial-dir", serial},
         {},
         0,
         "korvo: warning: not added to the port map: " + unfit[0],
         [&] {
             mapped[2] = good;  // numbered on from COM1, the sensor's, which stays as it was
             EXPECT_EQ(PortMap::load(rig.mapPath).entries(), mapped);
             EXPECT_EQ(rig.run({"ports", "--write-map", "--serial-dir", serial})
                           .err.count("warning: not added"),
                       4);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        rig.sensor(0).clearReceivedFrames();
        const CliRun r = rig.run(c.args, {}, c.output);
        EXPECT_EQ(r.exit, c.exit);
        const QStringList lines = QString::fromLocal8Bit(r.err).split('\n');
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [&](const QString& l) { return l.startsWith(c.error); }),
                  1)
            << r.err.toStdString();
        // A refused file is known before any sensor is touched.
        if (c.output.isEmpty() && c.exit == 2) EXPECT_TRUE(rig.sensor(0).receivedFrames().empty());
        if (c.check) c.check();
    }
}

// Runs korvo until the sensor has had its nth request of `code` (whose answer it then sends
// late, when asked), sends the signal, and returns what korvo printed; `seen` gets the number of
// requests the sensor had by then.
CliRun signalled(CliRig& rig, const QStringList& args, int code, int nth, bool late,
                 int signalNumber, std::size_t& seen) {
    sim::VirtualSensor& sensor = rig.sensor(0);
    sensor.clearReceivedFrames();
    if (late) sensor.setFault(Fault::LateReply, code, 1, 400, nth - 1);
    std::unique_ptr<QProcess> p = rig.start(args);
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (requestCount(sensor, code) < nth && p->state() == QProcess::Running &&
           clock.elapsed() < 20000) {
        p->waitForReadyRead(20);
        out += p->readAllStandardOutput();
    }
    seen = requestsOf(sensor).size();
    EXPECT_TRUE(signalIfRunning(*p, signalNumber)) << "korvo ended before the signal";
    EXPECT_TRUE(p->waitForFinished(10000));
    sensor.clearFaults();
    CliRun r;
    r.exit = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
    r.out = out + p->readAllStandardOutput();
    r.err = p->readAllStandardError();
    return r;
}

TEST(CliSignals, TheExchangeUnderWayEndsAndNoFurtherOneStarts) {
    CliRig rig({model()});
    sim::VirtualSensor& sensor = rig.sensor(0);
    const QString record = rig.path(QStringLiteral("RECORD.DAT"));
    // A file that changes both halves: Power in para0, Video-Thd-Fix in para1.
    const QString params = rig.path(QStringLiteral("p.ini"));
    ASSERT_EQ(rig.run({"get", "1", "--from", "eeprom", "-o", params}).exit, 0);
    ParamSet sent;
    ASSERT_EQ(ReadParaFromFileI(sent, params, 1), 1);
    sent.power = sent.power == 650 ? 640 : 650;
    sent.videoThdFix = sent.videoThdFix == 30 ? 35 : 30;
    ASSERT_TRUE(SendParaToFileI(sent, params).ok);
    const sim::ParamHalf eepromBefore = sensor.eepromHalf(1);
    QByteArray table;
    for (int i = 0; i < 2048; ++i) table += QByteArray::number(i) + "\r\n";
    const QString flash = rig.path(QStringLiteral("XF-LINEAR.DAT"));
    writeFileBytes(flash, table);

    const QString json = QStringLiteral("--json");
    const struct {
        QStringList args;
        int code;   // the signal goes once the sensor has this request
        int nth;    // for the nth time
        bool late;  // and answers it late: korvo is waiting for the answer
        int signalNumber;
        int exit;
        QString outcome;
        QString detail;             // empty: not compared
        std::vector<int> notAfter;  // request codes that must not follow the signal
        std::function<void(const CliRun&, const QJsonObject&)> check;
    } cases[] = {
        // Runs and recordings end as their stop buttons end them, with every line kept.
        {{"record", "1", "--samples", "32000", "--step", "0.1", "-o", record, json},
         18,
         3,
         false,
         SIGINT,
         0,
         "stopped",
         {},
         {},
         [&](const CliRun& r, const QJsonObject& result) {
             // The third request goes out once the second answer is stored.
             const int records = static_cast<int>(r.objects(QStringLiteral("record")).size());
             EXPECT_GE(records, 2);
             EXPECT_EQ(num(result, "samples"), records);
             EXPECT_EQ(fileBytes(record).count("\r\n"), 7 + records);
         }},
        {{"run", "1", json},
         8,
         5,
         false,
         SIGHUP,
         0,
         "ok",
         {},
         {},
         [](const CliRun& r, const QJsonObject& result) {
             EXPECT_EQ(num(result, "records"),
                       static_cast<int>(r.objects(QStringLiteral("record")).size()));
         }},
        // Writes: what was written and what was not.
        {{"send", "1", "--to", "eeprom", params, json},
         3,
         1,
         true,
         SIGTERM,
         1,
         "interrupted",
         "para0 written to EEPROM, para1 not written (SIGTERM)",
         {3, 4},
         [&](const CliRun&, const QJsonObject&) {
             EXPECT_EQ(sensor.eepromHalf(0), packedHalf(sent, 0, 8192));
             EXPECT_EQ(sensor.eepromHalf(1), eepromBefore);
         }},
        {{"send", "1", "--to", "ram", params, json},
         1,
         2,
         true,
         SIGHUP,
         1,
         "interrupted",
         "both halves written to RAM, not read back (SIGHUP)",
         {2},
         {}},
        {{"flash", "1", flash, json},
         102,
         21,
         true,
         SIGTERM,
         1,
         "interrupted",
         "stopped after 21 of 256 blocks: written up to page 2 offset 160, not from page 2 "
         "offset 168 on (SIGTERM)",
         {102},
         [](const CliRun&, const QJsonObject& result) {
             EXPECT_EQ(num(result, "acknowledged"), 21);
         }},
        {{"flash", "1", flash, json},
         10,
         1,
         true,
         SIGTERM,
         1,
         "interrupted",
         "stopped before the clear: X-FLASH not changed (SIGTERM)",
         {101, 102},
         {}},
        {{"teach", "1", json},
         10,
         1,
         true,
         SIGTERM,
         1,
         "interrupted",
         "nothing taught (SIGTERM)",
         {6},
         {}},
        {{"teach", "1", json},
         6,
         1,
         true,
         SIGTERM,
         1,
         "interrupted",
         "taught, not read back (SIGTERM)",
         {2},
         {}},
        {{"reset", "1", json},
         10,
         1,
         true,
         SIGHUP,
         1,
         "interrupted",
         "nothing reset (SIGHUP)",
         {11},
         {}},
        {{"test", "1", "--teach", "100", "--upper", "7", "--lower", "9", json},
         10,
         1,
         true,
         SIGTERM,
         1,
         "interrupted",
         "nothing sent (SIGTERM)",
         {16},
         {}},
        {{"record", "1", "--samples", "3", "--mode", "1", "-o", record, "--force", json},
         10,
         1,
         true,
         SIGTERM,
         1,
         "interrupted",
         "RS-232-Mode not switched, nothing recorded (SIGTERM)",
         {1},
         {}},
        {{"baud", "1", "--to", "38400", json},
         10,
         1,
         true,
         SIGTERM,
         1,
         "interrupted",
         "baud rate not changed (SIGTERM)",
         {190},
         {}},
        // Last: the sensor is at the new rate afterwards.
        {{"baud", "1", "--to", "38400", json},
         190,
         1,
         true,
         SIGTERM,
         1,
         "interrupted",
         "the sensor switched to 38400 baud, not checked at it (SIGTERM)",
         {5},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        std::size_t seen = 0;
        const CliRun r = signalled(rig, c.args, c.code, c.nth, c.late, c.signalNumber, seen);
        EXPECT_EQ(r.exit, c.exit) << r.err.toStdString();
        const auto results = r.objects(QStringLiteral("result"));
        ASSERT_EQ(results.size(), 1u) << r.out.toStdString();
        EXPECT_EQ(str(results[0], "outcome"), c.outcome);
        if (!c.detail.isEmpty()) EXPECT_EQ(str(results[0], "detail"), c.detail);
        const std::vector<SeenRequest> requests = requestsOf(sensor);
        for (std::size_t i = seen; i < requests.size(); ++i) {
            EXPECT_EQ(std::count(c.notAfter.begin(), c.notAfter.end(), requests[i].code), 0)
                << "request " << requests[i].code << " after the signal";
        }
        if (c.check) c.check(r, results[0]);
    }
}

}  // namespace
}  // namespace korvo::test
