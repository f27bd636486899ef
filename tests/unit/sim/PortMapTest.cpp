// The port map: our lines in and out, everybody else's lines untouched; the farm and the program.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <filesystem>

#include "LineClient.h"
#include "sim/PortMap.h"

namespace korvo::sim {
namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(PortMap, AddReplacesOwnComNumbersAndRemoveTakesOnlyOurLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kPortMapFileName);
    writeAll(path, "# my adapters\nCOM1 = /dev/ttyUSB0\ncom3=/dev/old\r\nnot a mapping\n");

    const std::vector<PortMapEntry> ours = {{3, "/dev/pts/9"}, {4, "/dev/pts/10"}};
    ASSERT_TRUE(addPortMapEntries(path, ours));
    EXPECT_EQ(readAll(path),
              "# my adapters\nCOM1 = /dev/ttyUSB0\nCOM3 = /dev/pts/9\nnot a mapping\n"
              "COM4 = /dev/pts/10\n");
    EXPECT_EQ(readPortMap(path), (std::vector<PortMapEntry>{
                                     {1, "/dev/ttyUSB0"}, {3, "/dev/pts/9"}, {4, "/dev/pts/10"}}));

    // A user edits COM4 meanwhile: that line is theirs now and stays.
    writeAll(path, readAll(path).replace("COM4 = /dev/pts/10", "COM4 = /dev/ttyACM0"));
    ASSERT_TRUE(removePortMapEntries(path, ours));
    EXPECT_EQ(readAll(path),
              "# my adapters\nCOM1 = /dev/ttyUSB0\nnot a mapping\nCOM4 = /dev/ttyACM0\n");
}

TEST(PortMap, MissingFileIsCreatedAndLinesParse) {
    QTemporaryDir dir;
    const QString path = dir.filePath("sub.map");
    ASSERT_TRUE(addPortMapEntries(path, {{12, "/dev/pts/3"}}));
    EXPECT_EQ(readAll(path), "COM12 = /dev/pts/3\n");

    PortMapEntry e;
    EXPECT_TRUE(parsePortMapLine("  COM7=/dev/ttyS6  ", &e));
    EXPECT_EQ(e, (PortMapEntry{7, "/dev/ttyS6"}));
    EXPECT_FALSE(parsePortMapLine("COM0 = /dev/x", &e));
    EXPECT_FALSE(parsePortMapLine("COM2 =", &e));
    EXPECT_FALSE(parsePortMapLine("# COM2 = /dev/x", &e));
}

// korvo-sim sits beside this test program in the build's program directory.
QString simProgram() {
    return QString::fromStdString(
        (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "korvo-sim").string());
}

TEST(SimProgram, ServesUntilSigtermThenRemovesItsLines) {
    const QString program = simProgram();
    ASSERT_TRUE(QFile::exists(program)) << program.toStdString();
    QTemporaryDir dir;
    const QString map = dir.filePath("COMPORTS.map");
    writeAll(map, "COM1 = /dev/ttyS0\nCOM6 = /dev/stale\n");

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
    EXPECT_EQ(readAll(map),
              "COM1 = /dev/ttyS0\nCOM6 = " + com6 + "\nCOM5 = " + lines[0].mid(5) + "\n");
    {
        test::LineClient client(QString::fromLocal8Bit(com6));
        EXPECT_EQ(test::word(client.exchange(test::request(5, 0), 36), 2), 301);
    }
    sim.terminate();  // SIGTERM
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_EQ(readAll(map), "COM1 = /dev/ttyS0\n");
}

}  // namespace
}  // namespace korvo::sim
