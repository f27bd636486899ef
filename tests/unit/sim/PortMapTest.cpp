// The port map: our lines in and out, everybody else's lines untouched; the farm and the program.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>

#include "LineClient.h"
#include "sim/PortMap.h"
#include "sim/SensorFarm.h"

extern char** environ;

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
    const QString path = defaultPortMapPath(dir.path());
    EXPECT_TRUE(path.endsWith("/COMPORTS.map"));
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

TEST(SensorFarm, WritesOneLinePerSensorAndRemovesThemOnDestruction) {
    QTemporaryDir dir;
    const QString path = dir.filePath("COMPORTS.map");
    writeAll(path, "COM1 = /dev/ttyS0\n");
    {
        SensorFarm farm;
        SensorConfig c;
        c.recordPeriodMs = 0;
        farm.add(c);
        c.serial = 99;
        farm.add(c);
        ASSERT_TRUE(farm.start());
        ASSERT_TRUE(farm.writePortMap(path, 2));
        const QByteArray expected =
            "COM1 = /dev/ttyS0\nCOM2 = " + farm.sensor(0).devicePath().toLocal8Bit() +
            "\nCOM3 = " + farm.sensor(1).devicePath().toLocal8Bit() + "\n";
        EXPECT_EQ(readAll(path), expected);
        test::LineClient client(farm.sensor(1).devicePath());
        EXPECT_EQ(test::word(client.exchange(test::request(5, 0), 36), 2), 99);
    }
    EXPECT_EQ(readAll(path), "COM1 = /dev/ttyS0\n");
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

    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const QByteArray exe = program.toLocal8Bit(), mapArg = map.toLocal8Bit();
    const char* argv[] = {exe.constData(), "--count",          "2",        "--first-com", "5",
                          "--map",         mapArg.constData(), "--serial", "300",         nullptr};
    pid_t pid = 0;
    ASSERT_EQ(
        posix_spawn(&pid, exe.constData(), &actions, nullptr, const_cast<char**>(argv), environ),
        0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);

    // Two "COM<n> <path>" lines, then it serves.
    QByteArray printed;
    char buf[256];
    while (printed.count('\n') < 2) {
        const ssize_t n = ::read(out[0], buf, sizeof buf);
        if (n <= 0) break;
        printed.append(buf, static_cast<int>(n));
    }
    ::close(out[0]);
    const QList<QByteArray> lines = printed.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2) << printed.toStdString();
    ASSERT_TRUE(lines[1].startsWith("COM6 /dev/"));
    const QString com6 = QString::fromLocal8Bit(lines[1].mid(5));
    EXPECT_EQ(readAll(map), "COM1 = /dev/ttyS0\nCOM6 = " + com6.toLocal8Bit() +
                                "\nCOM5 = " + lines[0].mid(5) + "\n");
    {
        test::LineClient client(com6);
        EXPECT_EQ(test::word(client.exchange(test::request(5, 0), 36), 2), 301);
    }

    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readAll(map), "COM1 = /dev/ttyS0\n");
}

}  // namespace
}  // namespace korvo::sim
