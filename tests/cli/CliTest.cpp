// korvo against virtual sensors: every subcommand's output parsed back, files checked against the
// window's own reader and writers, and the exit statuses of each kind of failure.

#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QSet>

#include "CliRig.h"
#include "core/ini/FileRead.h"
#include "core/params/ParamFile.h"
#include "core/params/VideoBuffers.h"
#include "core/record/RecorderFile.h"
#include "core/sensorfn/LinearisationTable.h"
#include "sim/ParamMemory.h"
#include "support/TestFiles.h"

namespace korvo::test {
namespace {

using sim::Fault;

sim::SensorConfig sensorConfig(std::uint16_t serial, QByteArray id = "KORVO-KM") {
    sim::SensorConfig c = model();
    c.serial = serial;
    c.firmwareId = std::move(id);
    return c;
}

TEST(CliPorts, EachPortSaysItsOwnOutcomeAndTheStatusIsTheWorst) {
    sim::SensorConfig unlisted = sensorConfig(1204);  // of a known family, in no row
    unlisted.variant = 9999;
    CliRig rig({sensorConfig(1201), sensorConfig(1202, "KORVO-GX"), sensorConfig(1203), unlisted});
    rig.sensor(2).setFault(Fault::NoReply);
    rig.mapLine(5, rig.path(QStringLiteral("no-such-device")));

    // Each port's exit status is in its result; the program's is the worst (see 5,6 below).
    const char* outcomes[] = {"accepted", "refused", "failed", "accepted", "open-error"};
    const int exits[] = {0, 1, 1, 0, 3};
    const CliRun text = rig.run({"identify", "1-5"});
    const CliRun json = rig.run({"identify", "all", "--json"});
    EXPECT_EQ(text.exit, 3);
    EXPECT_EQ(json.exit, 3);
    const auto rows = text.rows();
    const auto objects = json.objects(QStringLiteral("result"));
    ASSERT_EQ(rows.size(), 5u);
    ASSERT_EQ(objects.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(rows[i].size(), 6);
        EXPECT_EQ(rows[i][0], QStringLiteral("COM%1").arg(i + 1));
        EXPECT_EQ(rows[i][2], QLatin1String(outcomes[i]));
        EXPECT_EQ(str(objects[i], "outcome"), QLatin1String(outcomes[i]));
        EXPECT_EQ(num(objects[i], "port"), i + 1);
        EXPECT_EQ(num(objects[i], "exit"), exits[i]);
        EXPECT_EQ(str(objects[i], "device"), rows[i][1]);
        EXPECT_EQ(str(objects[i], "detail"), rows[i][5]);
    }
    EXPECT_EQ(rows[0][3], QStringLiteral("1201"));
    EXPECT_TRUE(rows[0][4].startsWith(QLatin1String("KORVO-KM")));
    EXPECT_EQ(rows[0][5], QStringLiteral("-------- KORVO-KM-8 --------"));  // its info line
    EXPECT_EQ(rows[3][5], QStringLiteral("model variant 9999 is not in the model table"));
    EXPECT_EQ(num(objects[1], "serial"), 1202);
    EXPECT_TRUE(str(objects[1], "reason").contains(QLatin1String("KORVO-GX")));
    EXPECT_EQ(str(objects[2], "line"), QStringLiteral("timeout"));
    EXPECT_TRUE(rows[4][5].contains(rig.path(QStringLiteral("no-such-device"))));
    // Every exchange of an identification waits 50 ms for the line to settle first; half of it
    // is checked, as the sensor's thread may see a request's first byte late on a busy machine.
    const auto frames = rig.sensor(0).receivedFrames();
    for (std::size_t i = 1; i < frames.size(); ++i)
        EXPECT_GE(frames[i].firstByte - frames[i - 1].firstByte, std::chrono::milliseconds(25))
            << i << " of " << frames.size();
    EXPECT_EQ(requestCount(rig.sensor(0), 0), 2);  // both dummies out before a flush
    // A command that works on the sensor refuses it the same way.
    const auto get = rig.run({"get", "2", "--from", "ram", "--json"}).objects("result");
    ASSERT_EQ(get.size(), 1u);
    EXPECT_EQ(str(get[0], "outcome"), QStringLiteral("refused"));

    // The map as it stands, and its probe.
    const CliRun listed = rig.run({"ports"});
    ASSERT_EQ(listed.rows().size(), 5u);
    EXPECT_EQ(listed.rows()[4], QStringList({"COM5", rig.path(QStringLiteral("no-such-device"))}));
    const auto probed = rig.run({"ports", "--probe", "--json"}).objects(QStringLiteral("result"));
    ASSERT_EQ(probed.size(), 5u);
    const char* lines[] = {"ok", "ok", "timeout", "ok", "open-error"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(str(probed[i], "outcome"), QLatin1String(lines[i]));

    // The worst status, not the last port's: COM6 names COM1's sensor again.
    rig.mapLine(6, rig.farm.entries(1).at(0).device);
    EXPECT_EQ(rig.run({"identify", "5,6"}).exit, 3);
}

TEST(CliPorts, PermissionErrorNamesTheDialoutGroup) {
    if (::geteuid() == 0) GTEST_SKIP() << "root opens any device";
    CliRig rig({});
    const QString device = rig.path(QStringLiteral("locked"));
    QFile(device).open(QIODevice::WriteOnly);
    QFile::setPermissions(device, QFileDevice::Permissions());
    rig.mapLine(7, device);
    const CliRun r = rig.run({"identify", "7"});
    EXPECT_EQ(r.exit, 3);
    EXPECT_TRUE(r.out.contains(device.toUtf8()));
    EXPECT_TRUE(r.out.contains("dialout"));
    // The device's own group, found by the access check.
    EXPECT_TRUE(r.out.contains("belongs to group " + QFileInfo(device).group().toUtf8()));
}

// A failure is never reported as success: each case's outcome, exit status and the reason its
// detail gives.
TEST(CliPorts, FailuresEndWithTheirOwnStatusAndReason) {
    CliRig rig({sensorConfig(1301)});
    sim::VirtualSensor& sensor = rig.sensor(0);
    const struct {
        Fault fault;
        int code, count;  // count 0: no fault
        const char* line;
        int exit;
        const char* outcome;
        const char* detail;
    } cases[] = {
        // Silent after identification, from the first measurement request on.
        {Fault::NoReply, 8, -1, "run 1", 1, "timeout", "Timeout RS232-Line!"},
        {Fault::NoReply, 8, -1, "video 1", 1, "timeout", "Timeout RS232-Line!"},
        // Blocks that never come whole: three cycles, then the block's own message.
        {Fault::LongReply, 9, -1, "video 1", 1, "failed",
         "no whole profile in 3 cycles: More than 64 data-words !"},
        // A parameter half that times out says so, not the firmware text.
        {Fault::NoReply, 2, 1, "get 1 --from ram", 1, "failed",
         "parameters not read: para0: Timeout-RS-232..."},
        // A teach or a reset without an answer is no taught set point, no reset.
        {Fault::NoReply, 6, 1, "teach 1", 1, "failed", "Timeout"},
        {Fault::NoReply, 11, 1, "reset 1", 1, "failed", "Timeout-RS-232..."},
        // A baud change without an echo: the sensor keeps its rate.
        {Fault::NoReply, 190, 1, "baud 1 --to 38400", 1, "failed",
         "Timeout: changing RS-232-baudrate..."},
        // Tolerances the window's fields would not keep.
        {Fault::NoReply, 0, 0, "test 1 --teach 100 --upper 65535 --lower 9", 2, "refused",
         "--upper goes up to"},
        {Fault::NoReply, 0, 0, "test 1 --teach 100 --upper 7 --lower 101", 2, "refused",
         "--lower up to 100"},
        {Fault::NoReply, 0, 0, "test 1 --teach 0 --upper 7 --lower 0", 2, "refused",
         "--teach 0 is outside 1..8191"},
        {Fault::NoReply, 0, 0, "test 1 --teach 8192 --upper 7 --lower 0", 2, "refused",
         "--teach 8192 is outside"},
        // A port map that cannot be read opens no port, not even a built-in one.
        {Fault::NoReply, 0, 0, "--map DIR video 1", 2, "map-error",
         "not a regular file but a folder: no port opened"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        sensor.clearFaults();
        sensor.setFault(c.fault, c.code, c.count);
        const CliRun r = rig.run(rig.words(c.line) + QStringList{"--json"});
        EXPECT_EQ(r.exit, c.exit);
        const auto results = r.objects(QStringLiteral("result"));
        ASSERT_EQ(results.size(), 1u) << r.err.toStdString();
        EXPECT_EQ(str(results[0], "outcome"), QLatin1String(c.outcome));
        EXPECT_TRUE(str(results[0], "detail").contains(QLatin1String(c.detail)))
            << str(results[0], "detail").toStdString();
    }
    EXPECT_EQ(requestCount(sensor, 16), 0);  // the refused tolerances never went out
    sensor.setFault(Fault::NoReply, 8, -1);  // as text, the failure goes to standard error
    EXPECT_TRUE(rig.run({"run", "1"}).err.contains("): timeout: Timeout RS232-Line!"));
    // Commands over several ports refuse the map before any port.
    for (const char* line : {"--map DIR identify 1-3", "--map DIR run 1,2 --samples 1"}) {
        const CliRun several = rig.run(rig.words(line));
        EXPECT_EQ(several.exit, 2) << line;
        EXPECT_TRUE(several.out.isEmpty());
        EXPECT_TRUE(several.err.contains(rig.dir.path().toUtf8())) << several.err.toStdString();
    }
}

TEST(CliArguments, BadInputIsAUsageErrorAndTouchesNoSensor) {
    CliRig rig({sensorConfig(1401)});
    writeFileBytes(rig.path(QStringLiteral("short.dat")), {});
    writeFileBytes(rig.path(QStringLiteral("other.ini")), "[SOMETHING]\r\nPower = 5\r\n");
    writeFileBytes(rig.path(QStringLiteral("taken.dat")), {});

    // clang-format off
    const char* const bad[] = {
        "", "frobnicate", "reset 1 extra", "--baud 1234 identify 1", "identify 1 --bogus",
        "identify", "identify 0", "identify 256", "identify 3-1", "identify x", "get 1",
        "get 1 --from rom", "get 1,2 --from ram", "get 1 --from ram --json -o -",
        "get all --from ram -o DIR/x.ini",
        "--map DIR/none.map get all --from ram -o DIR/{port}.ini", "send 1 --to ram",
        "send 1 --to ram DIR/missing.ini", "send 1 --to ram DIR/other.ini", "video 1-2",
        "run 1 --samples 0", "video all", "record 1 --samples 32001 -o x.dat",
        "record 1,2 --samples 5 -o x.dat", "record 1 --samples 5",
        "record 1 --samples 5 --step 0.01 -o x.dat", "record 1 --samples 5 --mode 2 -o x.dat",
        "record 1 --samples 5 -o DIR/taken.dat", "test 1 --teach 5 --lower 1",
        "test 1 --teach 5 --upper 1 --lower 65536", "baud 1 --to 12345", "flash 1 DIR/short.dat",
        "flash 1 DIR/missing.dat", "watch 1 --interval 0.05", "--map DIR/none.map watch all",
        "--map DIR ports", "backup 1", "backup 1 -o DIR/short.dat --force", "restore 1", "check 1",
        "--map DIR/none.map backup all -o DIR/bk", "get 1 --from", "backup 1 -o DIR",
        "check 1 --golden DIR/missing.ini", "diff DIR/missing.ini COM1:ram", "diff DIR/short.dat",
        "diff COM1:rom COM2:ram", "diff COM0:ram COM1:ram", "log --port 0", "log --port 256",
        "log --serial 65536", "log --csv --json", "serve 1", "serve 1 --mqtt http://host",
        "serve 1 --mqtt mqtt://:pw@host", "serve 1 --mqtt mqtt://host/x",
        "serve 1 --mqtt mqtt://host --rate -1", "serve 1 --mqtt mqtt://host --name a/b",
        "serve 1 --mqtt mqtt://host --qos-values 2", "serve 1 --mqtt mqtt://host --ca-file x.pem",
        "serve 1 --mqtt mqtts://host --ca-file DIR/missing.pem",
    };
    // clang-format on
    for (const char* line : bad) {
        SCOPED_TRACE(line);
        const CliRun r = rig.run(rig.words(line));
        EXPECT_EQ(r.exit, 2);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_FALSE(r.err.isEmpty());
    }
    // The reason names the value's kind; one at its limit is taken, and the next check refuses.
    const std::pair<const char*, const char*> reasons[] = {
        {"log --port 0", "'0' is not a COM number"},
        {"log --serial 65536", "'65536' is not a serial number"},
        {"record 1 --samples 32000 --step 9999 -o DIR/taken.dat", "taken.dat exists"},
        {"--map DIR/none.map watch all --interval 86400 --duration 86400", "names no port"},
        {"serve 1 --rate x", "'x' is not 0 or a rate"},
        {"serve 1 --rate 0.01", "--mqtt URL or --modbus [HOST:]PORT is required"},
        {"serve 1 --modbus 65536 --duration 0.1", "'65536' is not [HOST:]PORT"},
        {"serve 1 --modbus :502 --duration 0.1", "':502' is not [HOST:]PORT"},
        {"diff COM255:ram COM1:ram", "COM255:ram ("},
    };
    for (const auto& [line, reason] : reasons) {
        const QString err = rig.run(rig.words(line)).err;
        EXPECT_TRUE(err.contains(QLatin1String(reason))) << line << ": " << err.toStdString();
    }
    EXPECT_TRUE(rig.sensor(0).receivedFrames().empty());

    for (const char* line : {"--help", "identify --help", "help record"}) {
        const CliRun r = rig.run(rig.words(line));
        EXPECT_EQ(r.exit, 0);
        EXPECT_TRUE(r.out.startsWith("usage: korvo")) << line;
    }
}

TEST(CliParams, GetWritesTheWindowsFileAndSendTakesOneBackWithItsReadBack) {
    CliRig rig({sensorConfig(1501), sensorConfig(1502)});
    const QString file = rig.path(QStringLiteral("p.ini"));
    ASSERT_EQ(rig.run({"get", "1", "--from", "eeprom", "-o", file}).exit, 0);
    ParamSet fromEeprom;
    ASSERT_EQ(ReadParaFromFileI(fromEeprom, file, 1), 1);
    EXPECT_EQ(packedHalf(fromEeprom, 0, 8192), rig.sensor(0).eepromHalf(0));
    EXPECT_EQ(packedHalf(fromEeprom, 1, 8192), rig.sensor(0).eepromHalf(1));
    // Each EEPROM half 0.1 s after the exchange before it (half of it checked, as below).
    const auto frames = rig.sensor(0).receivedFrames();
    for (std::size_t i = 1; i < frames.size(); ++i)
        if (receivedWord(frames[i], 1) == 4)
            EXPECT_GE(frames[i].firstByte - frames[i - 1].firstByte, std::chrono::milliseconds(50));
    EXPECT_EQ(rig.run({"get", "1", "--from", "ram", "-o", file}).exit, 2);  // no --force
    // Nor one that comes while the sensor is read, late.
    QFile::remove(file);
    rig.sensor(0).clearReceivedFrames();
    rig.sensor(0).setFault(Fault::LateReply, 2, 1, 500);
    const std::unique_ptr<QProcess> late = rig.start({"get", "1", "--from", "ram", "-o", file});
    for (int i = 0; i < 500 && requestCount(rig.sensor(0), 2) == 0; ++i) late->waitForReadyRead(20);
    writeFileBytes(file, "theirs");
    EXPECT_TRUE(late->waitForFinished(10000));
    EXPECT_EQ(late->exitCode(), 2);
    EXPECT_EQ(fileBytes(file), "theirs");

    // To standard output, and as JSON.
    IniFile ini;
    ini.fromBytes(rig.run({"get", "2", "--from", "ram"}).out);
    ParamSet fromRam;
    applyParamIni(ini, fromRam);
    EXPECT_EQ(packedHalf(fromRam, 0, 8192), rig.sensor(1).ramHalf(0));
    EXPECT_EQ(packedHalf(fromRam, 1, 8192), rig.sensor(1).ramHalf(1));
    const auto got =
        rig.run({"get", "2", "--from", "ram", "--json"}).objects(QStringLiteral("result"));
    ASSERT_EQ(got.size(), 1u);
    const QJsonObject params = got[0].value(QLatin1String("params")).toObject();
    EXPECT_EQ(num(params, "Teach-Value"), rig.sensor(1).ramHalf(0)[sim::p0::kTeachValue]);

    // A file of the window's writer to both sensors; COM2's EEPROM answers one read with a bit
    // lost, which the read-back must catch.
    ParamSet sent = fromEeprom;
    sent.power = 650;
    sent.teachValue = 333;
    sent.umSlope = 3000000000u;
    const QString sentFile = rig.paramFile(sent, QStringLiteral("s.ini"));
    rig.sensor(1).setFault(Fault::BadData, 4, 1);
    const CliRun put = rig.run({"send", "1,2", "--to", "eeprom", sentFile, "--json"});
    EXPECT_EQ(put.exit, 1);
    const auto results = put.objects(QStringLiteral("result"));
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(str(results[0], "outcome"), QStringLiteral("ok"));
    EXPECT_EQ(num(results[0], "changed"), 3);
    EXPECT_EQ(str(results[1], "outcome"), QStringLiteral("differs"));
    const QJsonArray differs = results[1].value(QLatin1String("differs")).toArray();
    ASSERT_EQ(differs.size(), 1);
    EXPECT_EQ(str(differs[0].toObject(), "field"), QStringLiteral("Power"));
    EXPECT_EQ(num(differs[0].toObject(), "sent"), 650);
    EXPECT_EQ(num(differs[0].toObject(), "read"), 650 ^ 1);
    std::vector<std::chrono::steady_clock::time_point> halves;  // sent the window's pause apart
    for (const sim::ReceivedFrame& f : rig.sensor(0).receivedFrames())
        if (receivedWord(f, 1) == 3) halves.push_back(f.firstByte);
    ASSERT_EQ(halves.size(), 2u);
    EXPECT_GE(halves[1] - halves[0], std::chrono::milliseconds(100));
    for (int s = 0; s < 2; ++s) {
        EXPECT_EQ(rig.sensor(s).eepromHalf(0), packedHalf(sent, 0, 8192));
        EXPECT_EQ(rig.sensor(s).eepromHalf(1), packedHalf(sent, 1, 8192));
    }
    // From standard input, as text, without Power: the sensor's own Power goes back, kept in
    // its range as the window's panel keeps it.
    sim::ParamHalf wild = rig.sensor(1).ramHalf(0);
    wild[sim::p0::kPower] = 2000;
    rig.sensor(1).setRamHalf(0, wild);
    QByteArray noPower;
    for (const QByteArray& line : paramFileIni(sent).toBytes().split('\n'))
        if (!line.startsWith("Power =")) noPower += line + '\n';
    // As large as a parameter file can be (blank lines after the keys), and one byte more.
    noPower = noPower.leftJustified(kMaxTextFileBytes, '\n');
    EXPECT_TRUE(rig.run({"send", "2", "--to", "ram", "-"}, noPower + '\n')
                    .err.contains("standard input: larger than"));
    const CliRun piped = rig.run({"send", "2", "--to", "ram", "-"}, noPower);
    EXPECT_EQ(piped.exit, 0);
    ASSERT_EQ(piped.rows().size(), 1u);
    EXPECT_EQ(piped.rows()[0][2], QStringLiteral("ok"));
    sent.power = 500;
    EXPECT_EQ(rig.sensor(1).ramHalf(0), packedHalf(sent, 0, 8192));
}

// The records of one port, in the order korvo printed them.
std::vector<QJsonObject> recordsOf(const CliRun& r, int port) {
    std::vector<QJsonObject> mine;
    for (const QJsonObject& j : r.objects(QStringLiteral("record")))
        if (num(j, "port") == port) mine.push_back(j);
    return mine;
}

TEST(CliMeasure, RunAndVideoPrintWhatTheSensorMeasures) {
    CliRig rig({sensorConfig(1601), sensorConfig(1602)});
    rig.sensor(0).setMeasurement(1000, 3000);
    rig.sensor(1).setMeasurement(1500, 2500);
    const QString value = QString::number(rig.sensor(0).measuredValue());

    const auto rows = rig.run({"run", "1", "--samples", "1"}).rows();  // the lowest count
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(rows[0].size(), 12);
    EXPECT_EQ(rows[0].mid(1, 3), QStringList({value, "1000", "3000"}));
    // Several ports at once: each line starts with its own port, each port stops at its count.
    const auto both = rig.run({"run", "2,1", "--samples", "1"}).rows();
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].size(), 13);
    EXPECT_EQ(QSet<QString>({both[0][0] + both[0][3], both[1][0] + both[1][3]}),
              QSet<QString>({"COM11000", "COM21500"}));
    const CliRun json = rig.run({"run", "1-2", "--samples", "3", "--json"});
    EXPECT_EQ(json.exit, 0);
    for (int port : {1, 2}) {
        const auto records = recordsOf(json, port);
        const sim::VirtualSensor& sensor = rig.sensor(port - 1);
        ASSERT_EQ(records.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            const auto t = [&](int k) { return records[k].value(QLatin1String("t")).toDouble(); };
            if (i > 0) {
                EXPECT_GE(t(i), t(i - 1));
            }
            EXPECT_EQ(num(records[i], "value"), sensor.measuredValue());
            EXPECT_EQ(num(records[i], "left"), port == 1 ? 1000 : 1500);
            EXPECT_EQ(num(records[i], "edges"), 2);
        }
        EXPECT_EQ(num(json.objects(QStringLiteral("result"))[port - 1], "records"), 3);
    }

    EXPECT_EQ(rig.run({"video", "1"}).rows().size(), 256u);
    const CliRun video = rig.run({"video", "1", "--json"});
    const auto samples = video.objects(QStringLiteral("sample"));
    const auto result = video.objects(QStringLiteral("result"));
    ASSERT_EQ(samples.size(), 256u);
    ASSERT_EQ(result.size(), 1u);
    const auto served = rig.sensor(0).lastVideo();
    const int threshold =
        thresholdLineValue(static_cast<std::uint16_t>(num(result[0], "fullScale")),
                           rig.sensor(0).ramHalf(1)[sim::p1::kVideoThdFix]);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(num(samples[i], "sample"), i);
        EXPECT_EQ(num(samples[i], "intensity"), served[i]);
        EXPECT_EQ(num(samples[i], "threshold"), threshold);
        if (i > 0) {
            EXPECT_GT(samples[i].value(QLatin1String("pixel")).toDouble(),
                      samples[i - 1].value(QLatin1String("pixel")).toDouble());
        }
    }
    // In automatic threshold mode the threshold is the array the sensor stores where its model's
    // target points: RAM, also for a model whose hardware information names no target, or EEPROM.
    sim::Profile ram{}, eeprom{};
    for (int i = 0; i < 256; ++i) ram[i] = 100 + i, eeprom[i] = 900 - i;
    for (const auto& [family, variant, stored] :
         {std::tuple{4, 20162, &ram}, std::tuple{2, 350, &eeprom}}) {
        SCOPED_TRACE(variant);
        sim::SensorConfig c = sensorConfig(1603);
        c.family = static_cast<std::uint16_t>(family);
        c.variant = static_cast<std::uint16_t>(variant);
        CliRig autoRig({c});
        sim::VirtualSensor& auto0 = autoRig.sensor(0);
        sim::ParamHalf half0 = auto0.ramHalf(0);
        half0[sim::p0::kVideoThdMode] = 1;
        auto0.setRamHalf(0, half0);
        auto0.setThresholds(1, ram);
        auto0.setThresholds(2, eeprom);
        const CliRun automatic = autoRig.run({"video", "1", "--json"});
        const auto autoSamples = automatic.objects(QStringLiteral("sample"));
        ASSERT_EQ(autoSamples.size(), 256u) << automatic.out.toStdString();
        for (int i : {0, 255}) EXPECT_EQ(num(autoSamples[i], "threshold"), (*stored)[i]);
    }
}

// The bytes the window's writer gives for the records korvo reported, under the file's header.
QByteArray windowFile(const QByteArray& file, const RecorderHeader& base,
                      const std::vector<QJsonObject>& records) {
    const QList<QByteArray> lines = file.split('\n');
    RecorderHeader h = base;
    h.date = QString::fromLatin1(lines.value(0).mid(6).trimmed());
    h.time = QString::fromLatin1(lines.value(1).mid(6).trimmed());
    QByteArray bytes = recorderHeaderBytes(h);
    for (const QJsonObject& r : records)
        bytes += recorderLineBytes(num(r, "value"), num(r, "left"), num(r, "right"),
                                   num(r, "edges"), static_cast<std::uint32_t>(num(r, "um")));
    return bytes;
}

TEST(CliWatch, EveryPortEveryIntervalWithItsStateAndTheIntervalsValues) {
    CliRig rig({sensorConfig(1701), sensorConfig(1702, "KORVO-DV"), model(), model()});
    rig.sensor(0).setMeasurement(1000, 3000);
    rig.mapLine(3, rig.path(QStringLiteral("absent")));
    const CliRun r = rig.run(rig.words("watch 1-3 --interval 0.5 --duration 1.6 --json"));
    EXPECT_EQ(r.exit, 3);  // the worst: a port that could not be opened
    const auto all = r.objects(QStringLiteral("watch"));
    ASSERT_GE(all.size(), 6u);  // three ports every 0.5 s and at the end
    ASSERT_EQ(all.size() % 3, 0u);
    const std::vector<QJsonObject> lines(all.end() - 3, all.end());
    const QJsonObject& last = lines[0];
    EXPECT_EQ(num(last, "port"), 1);
    EXPECT_EQ(str(last, "state"), QStringLiteral("live"));
    EXPECT_EQ(num(last, "serial"), 1701);
    EXPECT_GT(num(last, "samples"), 0);
    EXPECT_LE(num(last, "min"), last.value(QLatin1String("mean")).toDouble());
    EXPECT_GE(num(last, "max"), last.value(QLatin1String("mean")).toDouble());
    EXPECT_EQ(str(lines[1], "summary"), QStringLiteral("refused"));
    EXPECT_EQ(str(lines[2], "state"), QStringLiteral("not connected"));
    EXPECT_FALSE(lines[2].contains(QLatin1String("min")));  // no samples: no interval values
    EXPECT_TRUE(str(lines[2], "reason").contains(QLatin1String("absent")));
    for (const sim::ReceivedFrame& f : rig.sensor(0).receivedFrames())
        EXPECT_TRUE(receivedWord(f, 1) != 1 && receivedWord(f, 1) != 3);  // nothing written

    // In the text table a live port's value is in millimetres to the micrometre; a port that
    // went silent after three samples shows none.
    rig.sensor(3).setFault(Fault::NoReply, 8, -1, 0, 3);
    const auto rows = rig.run(rig.words("watch 1,4 --duration 1.6")).rows();
    ASSERT_GE(rows.size(), 2u);
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d{3}$").match(rows.end()[-2].value(3)).hasMatch());
    EXPECT_EQ(rows.back().mid(3, 3).join(QLatin1Char(' ')), QStringLiteral("- - stale"));
}

TEST(CliRecord, FileHoldsTheWindowsBytesForTheRecordsReceived) {
    sim::SensorConfig config = sensorConfig(1701);
    config.recordPeriodMs = 40;
    CliRig rig({config, sensorConfig(1702)});
    rig.sensor(0).setMeasurement(1200, 2800);
    rig.sensor(1).setMeasurement(1300, 2700);
    const QString path = rig.path(QStringLiteral("RECORD.DAT"));
    RecorderHeader header;
    const sim::ParamHalf h1 = rig.sensor(0).ramHalf(1);
    header.umSlope = h1[sim::p1::kSlopeLow] | (std::uint32_t{h1[sim::p1::kSlopeHigh]} << 16);
    header.umOffset = h1[sim::p1::kOffsetLow] | (std::uint32_t{h1[sim::p1::kOffsetHigh]} << 16);

    // Two sensors at once, one file each.
    const QString each = rig.path(QStringLiteral("R{port}.DAT"));
    const CliRun asked =
        rig.run({"record", "1,2", "--samples", "3", "--step", "0.3", "-o", each, "--json"});
    EXPECT_EQ(asked.exit, 0);
    header.increment = 0.3;
    header.samples = 3;
    for (int port : {1, 2}) {
        const auto records = recordsOf(asked, port);
        ASSERT_EQ(records.size(), 3u);
        EXPECT_EQ(num(records[0], "value"), rig.sensor(port - 1).measuredValue());
        const auto t = [&](int i) { return records[i].value(QLatin1String("t")).toDouble(); };
        EXPECT_GE(t(2) - t(0), 0.3);  // two steps apart, half of it checked
        const QByteArray file = fileBytes(rig.path(QStringLiteral("R%1.DAT").arg(port)));
        EXPECT_EQ(file, windowFile(file, header, records));
        EXPECT_EQ(num(asked.objects(QStringLiteral("result"))[port - 1], "samples"), 3);
    }

    // Triggered records: the sensor is switched to mode 1 in RAM first (para1 only).
    rig.sensor(0).clearReceivedFrames();
    const CliRun triggered =
        rig.run({"record", "1", "--samples", "2", "--mode", "1", "-o", path, "--force", "--json"});
    EXPECT_EQ(triggered.exit, 0);
    EXPECT_EQ(rig.sensor(0).ramHalf(1)[sim::p1::kRs232Mode], 1);
    for (const SeenRequest& q : requestsOf(rig.sensor(0)))
        if (q.code == 1) EXPECT_EQ(q.argument, 1);
    header.mode = 1;
    header.increment = 1.0;
    header.samples = 2;
    const QByteArray file1 = fileBytes(path);
    EXPECT_EQ(file1, windowFile(file1, header, triggered.objects(QStringLiteral("record"))));

    // The switch is on record once it is made: a recorder killed mid-way leaves it in the log.
    const auto killed = rig.start(
        {"record", "1", "--samples", "1000", "--mode", "0", "-o", path, "--force", "--json"});
    ASSERT_TRUE(killed->waitForReadyRead(10000));
    killed->kill();
    ASSERT_TRUE(killed->waitForFinished(10000));
    const auto logged = rig.run({"log", "--json"}).objects(QStringLiteral("audit"));
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(str(logged[1], "operation"), QStringLiteral("record mode"));
    EXPECT_EQ(str(logged[1], "outcome"), QStringLiteral("ok"));
    // In RS-232-Mode 2, 3 or above 4 the recorder is not used.
    for (const std::uint16_t mode : {2, 3, 5}) {
        sim::ParamHalf h = rig.sensor(1).ramHalf(1);
        h[sim::p1::kRs232Mode] = mode;
        rig.sensor(1).setRamHalf(1, h);
        EXPECT_EQ(rig.run({"record", "2", "--samples", "1", "-o", path, "--force"}).exit, 1);
    }
}

TEST(CliService, TeachResetTestAndBaudReachTheSensor) {
    sim::SensorConfig config = sensorConfig(1901);
    config.strictBaud = true;
    CliRig rig({config});
    sim::VirtualSensor& sensor = rig.sensor(0);
    sensor.setMeasurement(1500, 2500);
    const auto ok = [&](const QStringList& args) {
        SCOPED_TRACE(args.join(' ').toStdString());
        sensor.clearReceivedFrames();
        const CliRun r = rig.run(args);
        EXPECT_EQ(r.exit, 0) << r.out.toStdString();
        const std::vector<QStringList> rows = r.rows();
        EXPECT_EQ(rows.size(), 1u);
        const QStringList row = rows.empty() ? QStringList() : rows[0];
        EXPECT_EQ(row.value(2), QStringLiteral("ok"));
        return row;
    };
    EXPECT_EQ(ok({"teach", "1"}).value(3).toInt(), sensor.measuredValue());
    EXPECT_EQ(sensor.ramHalf(0)[sim::p0::kTeachValue], sensor.measuredValue());
    // Both halves are read back, 0.1 s apart (half of it checked, as for an identification).
    const auto frames = sensor.receivedFrames();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(receivedWord(frames.back(), 1), 2);
    EXPECT_GE(frames.back().firstByte - frames.end()[-2].firstByte, std::chrono::milliseconds(50));
    ok({"reset", "1"});
    EXPECT_EQ(requestCount(sensor, 11), 1);
    ok({"test", "1", "--teach", "1", "--upper", "0", "--lower", "1"});  // the lowest set point
    const sim::ParamHalf h = sensor.ramHalf(0);
    EXPECT_EQ(h[sim::p0::kTeachValue], 1);
    EXPECT_EQ(h[sim::p0::kUpperTol], 0);
    EXPECT_EQ(h[sim::p0::kLowerTol], 1);
    sensor.clearReceivedFrames();
    ok({"baud", "1", "--to", "9600"});  // the first rate of the list
    EXPECT_EQ(sensor.currentBaud(), 9600);
    // The check at the new rate comes 0.05 s after the echo at the old one (half of it checked).
    const auto sent = sensor.receivedFrames();
    const auto change = std::find_if(sent.begin(), sent.end(),
                                     [](const auto& f) { return receivedWord(f, 1) == 190; });
    ASSERT_TRUE(change != sent.end() && change + 1 != sent.end());
    EXPECT_GE(change[1].firstByte - change[0].firstByte, std::chrono::milliseconds(25));
    // The sensor now only understands the new rate.
    EXPECT_EQ(rig.run({"identify", "1", "--baud", "9600"}).exit, 0);
}

TEST(CliFlash, WritesTheTableAndStopsAtTheFirstBlockNotAcknowledged) {
    CliRig rig({sensorConfig(2001), sensorConfig(2002)});
    // How a negative value is stored is met in
    // Linearisation.StoredValueIsBiasedModulo65536AndTableSizeByVariant.
    const QString file = rig.path(QStringLiteral("XF-LINEAR.DAT"));
    writeFileBytes(file, numberLines(kXFlashTableWords));
    rig.sensor(1).setFault(Fault::NoReply, 102, -1, 0, 5);  // five blocks, then silence

    const CliRun r = rig.run({"flash", "1,2", file, "--json"});
    EXPECT_EQ(r.exit, 1);
    const auto results = r.objects(QStringLiteral("result"));
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(str(results[0], "outcome"), QStringLiteral("ok"));
    EXPECT_EQ(num(results[0], "acknowledged"), 256);
    const std::vector<std::uint16_t> flash = rig.sensor(0).xflash();
    for (int i = 0; i < kXFlashTableWords; ++i)
        ASSERT_EQ(flash[kXFlashFirstPage * kXFlashPageWords + i], linStoredValue(i)) << i;

    EXPECT_EQ(str(results[1], "outcome"), QStringLiteral("failed"));
    EXPECT_EQ(num(results[1], "acknowledged"), 5);
    EXPECT_TRUE(str(results[1], "detail").contains(QLatin1String("page 2 offset 40")));
    EXPECT_EQ(requestCount(rig.sensor(1), 102), 6);
}

}  // namespace
}  // namespace korvo::test
