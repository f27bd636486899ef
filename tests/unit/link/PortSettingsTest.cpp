// Serial port settings: error texts, baud rates, the map of COM numbers to devices.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/link/PortAddress.h"
#include "core/link/PortMap.h"
#include "core/link/PortRefusal.h"
#include "core/link/PortSettings.h"
#include "support/TestFiles.h"

namespace korvo {
namespace {

TEST(PortSettings, FixedErrorTextsAndTheBaudTable) {
    const std::pair<int, const char*> texts[] = {
        {-1, "Unknown system error"}, {-2, "Invalid port number"},
        {-3, "Port is not open"},     {-4, "Unknown I/0 error"},
        {-6, "No serial port found"}, {-7, "Cannot open port"},
        {-13, "Invalid parameter"},   {-99, "Timeout"}};
    for (const auto& [code, text] : texts) EXPECT_EQ(rs232ErrorText(code), QString(text)) << code;
    for (const int other : {-5, -8, -12, -14, -98, -100})
        EXPECT_EQ(rs232ErrorText(other), QStringLiteral("RS-232 error!")) << other;
    const int rates[] = {9600, 19200, 38400, 57600, 115200};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(baudRateForIndex(i), rates[i]);
    for (const int other : {5, 6, 100, -1}) EXPECT_EQ(baudRateForIndex(other), 19200) << other;
    // The queue sizes are met when the integration test Open opens a port.
}

TEST(PortSettings, APortRefusedForPermissionSaysWhoHoldsItOrWhatToMend) {
    const PortHolder minicom{4242, QStringLiteral("minicom")};
    const struct {
        PortRefusalFacts facts;
        const char* hint;
    } cases[] = {
        {{true, QStringLiteral("dialout"), {}, {}, {}},
         "the user may not open the device: add the user to group dialout (sudo usermod -aG "
         "dialout $USER, then log in again)"},
        {{true, QStringLiteral("uucp"), {}, {}, {}},
         "the user may not open the device: add the user to group dialout (sudo usermod -aG "
         "dialout $USER, then log in again); the device belongs to group uucp"},
        {{false, {}, QStringLiteral("/var/lock/LCK..ttyUSB0"), minicom, {minicom}},
         "the port is in use by process 4242 (minicom) (lock file /var/lock/LCK..ttyUSB0): close "
         "that program first"},
        {{false, {}, {}, {}, {minicom, {7, {}}}},
         "the port is in use by process 4242 (minicom), process 7: close that program first"},
        {{},
         "permission denied or port in use: add the user to group dialout, or close the "
         "program that holds the port"},
    };
    for (const auto& c : cases) EXPECT_EQ(portRefusalHint(c.facts), QLatin1String(c.hint));
    EXPECT_EQ(serialLockFileName(QStringLiteral("/dev/ttyUSB0")), QStringLiteral("LCK..ttyUSB0"));
    EXPECT_EQ(serialLockFileName(QStringLiteral("/dev/pts/3")), QStringLiteral("LCK..pts_3"));

    // A lock file names its owner only while that process lives.
    const QString node = QStringLiteral("/dev/korvo-lock-test-%1").arg(::getpid());
    QFile lock(QStringLiteral("/tmp/") + serialLockFileName(node));
    const QByteArray mine = QByteArray::number(::getpid());
    for (const QByteArray& text : {mine, QByteArray("99999999")}) {
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
        lock.write(text + '\n');
        lock.close();
        const PortRefusalFacts f = gatherPortRefusalFacts(node);
        EXPECT_EQ(f.lockOwner ? f.lockOwner->pid : 0, text == mine ? ::getpid() : 0);
    }
    lock.remove();
}

TEST(PortMap, ReadsLinesLenientlyAndLeavesTheOtherPortsBuiltIn) {
    const PortMap map = PortMap::parse(
        QStringLiteral("# virtual sensors\nCOM1 = /dev/pts/3\n\n"
                       "  com2=/dev/ttyUSB0   ; adapter on the left\r\nCom 12 =   /dev/pts/11\n"
                       "COM3\nCOMX = /dev/null\nCOM0 = /dev/zero\nCOM1 = /dev/pts/7\n"));
    EXPECT_EQ(map.devicePath(1), QStringLiteral("/dev/pts/7"));  // the later line wins
    EXPECT_EQ(map.devicePath(2), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(map.devicePath(12), QStringLiteral("/dev/pts/11"));
    EXPECT_EQ(map.size(), 3);
    EXPECT_FALSE(map.contains(3));
    EXPECT_FALSE(map.contains(0));

    // Unmapped ports are the built-in ones.
    const PortMap empty = PortMap::load(QStringLiteral("/nonexistent/COMPORTS.map"));
    EXPECT_EQ(empty.size(), 0);
    EXPECT_TRUE(empty.problem().isEmpty());  // no map at all is the normal case
    EXPECT_EQ(empty.devicePath(1), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(empty.devicePath(16), QStringLiteral("/dev/ttyS15"));
}

TEST(PortMap, NetworkPortsAreReadAndMalformedOnesRefusedWithTheReason) {
    using Kind = PortAddress::Kind;
    const struct {
        const char* text;
        Kind kind;
        const char* host;
        int port;
        const char* error;
    } cases[] = {
        {"/dev/ttyUSB0", Kind::Device, "", 0, ""},
        {"rfc2217://10.0.0.12:4001", Kind::Rfc2217, "10.0.0.12", 4001, ""},
        {"tcp://cabinet-3:4002", Kind::Tcp, "cabinet-3", 4002, ""},
        {"TCP://Cabinet-3.plant.example:65535/", Kind::Tcp, "Cabinet-3.plant.example", 65535, ""},
        {"rfc2217://[fd00::12]:4001", Kind::Rfc2217, "fd00::12", 4001, ""},
        {"tcp://[fd00::12]:4002", Kind::Tcp, "fd00::12", 4002, ""},
        {"telnet://cabinet-3:23", Kind::Device, "", 0,
         "unknown kind of port \"telnet://\" (tcp:// or rfc2217://)"},
        {"tcp://cabinet-3", Kind::Device, "", 0, "no port after the host"},
        {"tcp://:4002", Kind::Device, "", 0, "no host before the port"},
        {"tcp://cabinet-3:0", Kind::Device, "", 0, "port \"0\" is not a number from 1 to 65535"},
        {"tcp://cabinet-3:65536", Kind::Device, "", 0,
         "port \"65536\" is not a number from 1 to 65535"},
        {"tcp://cabinet-3:40x2", Kind::Device, "", 0,
         "port \"40x2\" is not a number from 1 to 65535"},
        {"tcp://fd00::12:4001", Kind::Device, "", 0,
         "an IPv6 address goes in brackets: [fd00::12]"},
        {"rfc2217://[fd00::12:4001", Kind::Device, "", 0, "no ']' after the IPv6 address"},
        {"tcp://[fd00::12]:", Kind::Device, "", 0, "port \"\" is not a number from 1 to 65535"},
        {"rfc2217://[10.0.0.12]:4001", Kind::Device, "", 0, "\"10.0.0.12\" is no IPv6 address"},
        {"tcp://cab_3:4002", Kind::Device, "", 0, "\"cab_3\" is no host name or address"},
        {"tcp://cabinet-3:4002/ttyS1", Kind::Device, "", 0, "only HOST:PORT may follow \"tcp://\""},
    };
    for (const auto& c : cases) {
        const PortAddress a = parsePortAddress(QLatin1String(c.text));
        EXPECT_EQ(a.error, QLatin1String(c.error)) << c.text;
        EXPECT_EQ(a.kind, c.kind) << c.text;
        EXPECT_EQ(a.host, QLatin1String(c.host)) << c.text;
        EXPECT_EQ(a.port, c.port) << c.text;
        // The address as the program writes it reads back the same; only raw TCP gets a notice
        // with its baud changes.
        if (!a.ok()) continue;
        EXPECT_EQ(parsePortAddress(portAddressText(a)), a) << c.text;
        EXPECT_EQ(baudChangeNotice(a).isEmpty(), a.kind != Kind::Tcp) << c.text;
    }
    EXPECT_TRUE(baudChangeNotice(parsePortAddress(QStringLiteral("tcp://[fd00::12]:4002")))
                    .startsWith(QLatin1String("tcp://[fd00::12]:4002 is a raw TCP port: ")));
    // A host name has 253 characters at the most.
    const QString longest = QStringLiteral("a.").repeated(126) + QLatin1Char('a');
    EXPECT_TRUE(parsePortAddress("tcp://" + longest + ":1").ok());
    EXPECT_FALSE(parsePortAddress("tcp://a" + longest + ":1").ok());

    // In the map the later line wins, a refused one as well; a refused COM number is not mapped.
    const PortMap map = PortMap::parse(
        QStringLiteral("COM17 = rfc2217://10.0.0.12:4001\nCOM18 = /dev/pts/2\n"
                       "COM18 = tcp://cabinet-3\nCOM19 = tcp://x\nCOM19 = tcp://cabinet-3:4002\n"));
    EXPECT_EQ(map.devicePath(17), QStringLiteral("rfc2217://10.0.0.12:4001"));
    EXPECT_EQ(map.devicePath(19), QStringLiteral("tcp://cabinet-3:4002"));
    EXPECT_FALSE(map.contains(18));
    EXPECT_EQ(map.refusal(18), QStringLiteral("COM18 = tcp://cabinet-3: no port after the host"));
    EXPECT_EQ(map.refusals().size(), 1u);
}

// The other kinds of path a reader refuses, links that lead nowhere included, are met in FileRead.
TEST(PortMap, ReadsOnlyRegularFilesAndSaysWhyNot) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo.map");
    const QString big = dir.filePath("big.map");
    test::makeFifo(fifo);
    test::makeSparseFile(big, PortMap::kMaxFileBytes + 1, "COM1 = /dev/pts/1\n");
    const std::pair<QString, const char*> refused[] = {{fifo, "not a regular file but a FIFO"},
                                                       {big, "larger than 1048576 bytes"}};
    for (const auto& [path, reason] : refused) {
        const PortMap map = PortMap::load(path);
        EXPECT_EQ(map.size(), 0);
        EXPECT_EQ(map.problem(), QStringLiteral("port map %1 not read: %2").arg(path, reason));
    }

    // A Windows editor's byte-order mark does not cost the first line.
    test::writeFileBytes(dir.filePath("bom.map"),
                         QByteArray("\xEF\xBB\xBF") + "COM1 = /dev/pts/4\r\n");
    const PortMap map = PortMap::load(dir.filePath("bom.map"));
    EXPECT_EQ(map.devicePath(1), QStringLiteral("/dev/pts/4"));
    EXPECT_TRUE(map.problem().isEmpty());
}

}  // namespace
}  // namespace korvo
