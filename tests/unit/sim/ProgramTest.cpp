// The korvo-sim program's own parts: model rows, firmware text, command line, and the port map
// with our lines in and out, everybody else's lines untouched, no file but a plain one touched.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <filesystem>

#include "LineClient.h"
#include "core/link/PortMap.h"
#include "sim/PortMap.h"
#include "sim/SensorModel.h"
#include "sim/SimOptions.h"
#include "support/TestFiles.h"

namespace korvo::sim {
namespace {

TEST(SensorModel, PixelCountsOfTheModelRowsAndFirmwareTextOf72Bytes) {
    const struct {
        int family, variant, firmware, pixels;
    } rows[] = {{1, 80, 310, 4096},    {1, 80, 312, 8192},      {4, 60, 315, 2048},
                {4, 60, 316, 4096},    {4, 20162, 318, 1792},   {6, 20280, 318, 16384},
                {102, 510, 318, 768},  {103, 750, 310, 2360},   {103, 750, 313, 4720},
                {103, 750, 316, 9216}, {104, 21000, 315, 6144}, {5, 1, 318, 4096}};
    for (const auto& r : rows)
        EXPECT_EQ(modelPixelCount(r.family, r.variant, r.firmware), r.pixels)
            << r.family << "/" << r.variant << " " << r.firmware;
    SensorConfig c;
    c.pixelCount = 3000;  // an explicit count wins
    EXPECT_EQ(effectivePixelCount(c), 3000);

    // The firmware text is padded or cut to 72 bytes.
    c.family = 103;
    c.variant = 20750;
    c.firmware = 310;
    c.serial = 7;
    c.firmwareId = "KORVO-GX";
    QByteArray expected("KORVO-GX-75-CL V3.10 VIRTUAL SN7");
    EXPECT_EQ(firmwareTextFor(c), expected + QByteArray(72 - expected.size(), '\0'));
    c.firmwareText = QByteArray(80, 'x');
    EXPECT_EQ(firmwareTextFor(c), QByteArray(72, 'x'));
}

bool parse(const char* line, SimOptions* o, QString* error) {
    return parseSimOptions(QString::fromLatin1(line).split(' '), o, error);
}

// The first COM number, the map path and the serial numbers counting up are met by running the
// program (SimProgram below).
TEST(SimOptions, ModelsAndIdsRepeatTheLastOneGiven) {
    SimOptions o;
    QString error;
    ASSERT_TRUE(
        parse("korvo-sim --count 3 --first-com 4 --model 1:80:310 --model "
              "6:20280:318:16384:1024 --id RMZ12 --serial 100 --pace --baud 38400 "
              "--latency-ms 16 --map /tmp/x.map",
              &o, &error))
        << error.toStdString();
    ASSERT_EQ(o.sensors.size(), 3u);
    EXPECT_EQ(o.sensors[0].family, 1);
    EXPECT_EQ(o.sensors[0].firmware, 310);
    EXPECT_EQ(o.sensors[1].family, 6);
    EXPECT_EQ(o.sensors[1].videoResolution, 1024);
    EXPECT_EQ(o.sensors[2].variant, 20280);
    EXPECT_EQ(o.sensors[2].firmwareId, "RMZ12");
    EXPECT_TRUE(o.sensors[2].pace);
    EXPECT_EQ(o.sensors[2].baud, 38400);
    EXPECT_EQ(o.sensors[2].latencyMs, 16);

    // Edges and silence by COM number: the first and the last sensor's.
    ASSERT_TRUE(parse("korvo-sim --count 3 --first-com 4 --edges 6:10:20 --silent 4", &o, &error));
    EXPECT_EQ(o.edges, (std::map<int, std::pair<std::uint16_t, std::uint16_t>>{{6, {10, 20}}}));
    EXPECT_EQ(o.silent, std::set<int>{4});

    ASSERT_TRUE(parse("korvo-sim --count 1", &o, &error));
    EXPECT_EQ(o.sensors[0].firmwareId, "KORVO-KM");
    EXPECT_EQ(o.sensors[0].variant, 80);
    EXPECT_TRUE(o.mapPath.isEmpty());

    for (const char* bad :
         {"korvo-sim", "korvo-sim --count 0", "korvo-sim --count 2 --model 1:80",
          "korvo-sim --count 2 --baud 12345", "korvo-sim --count 2 --bogus",
          "korvo-sim --count 2 --edges 3:10:20", "korvo-sim --count 2 --edges 1:20:10",
          "korvo-sim --count 2 --silent 0", "korvo-sim --count 2 --edges 1:10"}) {
        error.clear();
        EXPECT_FALSE(parse(bad, &o, &error)) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
}

TEST(PortMap, AddReplacesOwnComNumbersRemoveTakesOnlyOurLinesAndOnlyPlainFilesAreTouched) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kPortMapFileName);
    korvo::test::writeFileBytes(
        path, "# my adapters\nCOM1 = /dev/ttyUSB0\ncom3=/dev/old\r\nnot a mapping\n");

    const std::vector<PortMapEntry> ours = {{3, "/dev/pts/9"}, {4, "/dev/pts/10"}};
    ASSERT_TRUE(addPortMapEntries(path, ours));
    EXPECT_EQ(korvo::test::fileBytes(path),
              "# my adapters\nCOM1 = /dev/ttyUSB0\nCOM3 = /dev/pts/9\nnot a mapping\n"
              "COM4 = /dev/pts/10\n");
    EXPECT_EQ(readPortMap(path), (std::vector<PortMapEntry>{
                                     {1, "/dev/ttyUSB0"}, {3, "/dev/pts/9"}, {4, "/dev/pts/10"}}));

    // A user edits COM4 meanwhile: that line is theirs now and stays.
    korvo::test::writeFileBytes(
        path, korvo::test::fileBytes(path).replace("COM4 = /dev/pts/10", "COM4 = /dev/ttyACM0"));
    ASSERT_TRUE(removePortMapEntries(path, ours));
    EXPECT_EQ(korvo::test::fileBytes(path),
              "# my adapters\nCOM1 = /dev/ttyUSB0\nnot a mapping\nCOM4 = /dev/ttyACM0\n");

    PortMapEntry e;
    EXPECT_TRUE(parsePortMapLine("  COM7=/dev/ttyS6  ", &e));
    EXPECT_EQ(e, (PortMapEntry{7, "/dev/ttyS6"}));
    for (const char* bad : {"COM0 = /dev/x", "COM2 =", "# COM2 = /dev/x"})
        EXPECT_FALSE(parsePortMapLine(bad, &e)) << bad;

    // With the program's own rules: a FIFO or an oversized file under its name is neither read
    // nor rewritten, and the reason is given.
    const QString fifo = dir.filePath("fifo.map");
    const QString big = dir.filePath("big.map");
    korvo::test::makeFifo(fifo);
    korvo::test::makeSparseFile(big, korvo::PortMap::kMaxFileBytes + 1, "COM1 = /dev/ttyUSB0\n");
    for (const QString& refused : {fifo, big}) {
        SCOPED_TRACE(refused.toStdString());
        EXPECT_TRUE(readPortMap(refused).empty());
        QString error;
        EXPECT_FALSE(addPortMapEntries(refused, {{2, "/dev/pts/9"}}, &error));
        EXPECT_TRUE(error.startsWith(refused)) << error.toStdString();
    }
    EXPECT_EQ(QFileInfo(big).size(), korvo::PortMap::kMaxFileBytes + 1);
}

TEST(SimProgram, ServesUntilSigtermThenRemovesItsLines) {
    // korvo-sim sits beside this test program in the build's program directory.
    const QString program = QString::fromStdString(
        (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "korvo-sim").string());
    ASSERT_TRUE(QFile::exists(program)) << program.toStdString();
    QTemporaryDir dir;
    const QString map = dir.filePath("COMPORTS.map");
    korvo::test::writeFileBytes(map, "COM1 = /dev/ttyS0\nCOM6 = /dev/stale\n");

    QProcess sim;
    sim.start(program, {"--count", "2", "--first-com", "5", "--map", map, "--serial", "300"});
    ASSERT_TRUE(sim.waitForStarted());
    // Two "COM<n> <path>" lines, then it serves.
    QByteArray printed;
    while (printed.count('\n') < 2 && sim.waitForReadyRead(5000)) printed += sim.readAll();
    const QList<QByteArray> lines = printed.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2) << printed.toStdString();
    ASSERT_TRUE(lines[1].startsWith("COM6 /dev/"));
    const QByteArray com6 = lines[1].mid(5);
    EXPECT_EQ(korvo::test::fileBytes(map),
              "COM1 = /dev/ttyS0\nCOM6 = " + com6 + "\nCOM5 = " + lines[0].mid(5) + "\n");
    {
        test::LineClient client(QString::fromLocal8Bit(com6));
        EXPECT_EQ(test::word(client.exchange(test::request(5, 0), 36), 2), 301);
    }
    sim.terminate();  // SIGTERM
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_EQ(korvo::test::fileBytes(map), "COM1 = /dev/ttyS0\n");
}

}  // namespace
}  // namespace korvo::sim
