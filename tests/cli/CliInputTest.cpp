// korvo against what a file or a sensor may hold: values a sensor must not be sent, tables no
// flash can take, and bytes that must not reach the terminal as they are.

#include <QFile>

#include "CliRig.h"
#include "support/TestFiles.h"

namespace korvo::test {
namespace {

// The bytes that would steer a terminal (or cut a message short) when printed as they are.
bool holdsControlBytes(const QByteArray& text) {
    for (const char c : text)
        if (c == '\x1b' || c == '\x07' || c == '\0') return true;
    return false;
}

struct Case {
    const char* line;  // FILE: the file below
    QByteArray content;
    int exit;
    std::vector<QByteArray> said;  // on standard error, or output when it names a port
    bool sensorAsked;              // COM1 was identified
};
Case refused(const char* line, QByteArray content, std::vector<QByteArray> said,
             bool sensorAsked = false) {
    return {line, std::move(content), 2, std::move(said), sensorAsked};
}
Case printed(const char* line, QByteArray said) {
    return {line, {}, 0, {std::move(said)}, false};
}

TEST(CliInput, FileAndSensorTextThatMustNotReachASensorOrTheTerminalAsItIs) {
    sim::SensorConfig escaping = model();  // 8192 pixels, as COM1's
    escaping.firmwareText = "KORVO-KM\x1b[2J\tV3.18";
    CliRig rig({model(), escaping});
    // Each end of the C0 and C1 ranges and DEL are escaped; a space and a no-break space are not.
    rig.mapLine(9, QString::fromUtf8("/dev/tty\x1b[2J\x07\x1f \x7f\u0080\u009f\u00a0x"));
    const sim::ParamHalf ram0 = rig.sensor(0).ramHalf(0);
    const QString file = rig.path(QStringLiteral("input"));

    const Case cases[] = {
        // Values that are no integer or beyond their field, each named; every kind of such a
        // value is met in ParamFileCheck.OnlyPlainIntegersWithinTheirFieldAndRangeMayBeSent.
        refused("send 1 --to ram FILE",
                "[PARA0]\r\nPower = 613 ; max 1000\r\nTeach-Value = 99999999999\r\n"
                "Upper-Tolerance = -5\r\nLower-Tolerance = 5\r\n",
                {"line 2, Power = \"613 ; max 1000\": not a whole number",
                 "line 3, Teach-Value = \"99999999999\": outside 0..65535",
                 "line 4, Upper-Tolerance = \"-5\": outside 0..65535", "nothing sent"}),
        // A teach value beyond this model's pixels, known once the sensor is.
        refused("send 1 --to ram FILE", "[PARA0]\r\nPower = 600\r\nTeach-Value = 65535\r\n",
                {"refused",
                 "nothing sent: line 3, Teach-Value = \"65535\": outside 1..8191 for this model"},
                true),
        // A flash value beyond 16 bits, named by its line (more values than a table holds are
        // met in Linearisation.BadFilesLeaveTableUnchanged).
        refused("flash 1 FILE", "0\n70000\n", {"line 2: 70000 is outside -32768..65535"}),
        refused("flash 1 FILE", "\x1b]0;PWNED\x07\x1b[2J\n",
                {"\"\\x1b]0;PWNED\\x07\\x1b[2J\" is not a whole number"}),
        refused("flash 1 FILE", QByteArray("12\0abc\n", 7),
                {"\"12\\x00abc\" is not a whole number"}),
        refused("send 1 --to ram FILE", "[PARA0]\r\nPower = \x1b[2J\r\n",
                {"line 2, Power = \"\\x1b[2J\": not a whole number"}),
        printed("identify 2", "KORVO-KM\\x1b[2J\\x09V3.18"),
        // A backslash as JSON writes it.
        printed("identify 2 --json", "\"firmware\":\"KORVO-KM\\\\x1b[2J\\\\x09V3.18"),
        printed("ports", "/dev/tty\\x1b[2J\\x07\\x1f \\x7f\\x80\\x9f\u00a0x"),
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        rig.sensor(0).clearReceivedFrames();
        writeFileBytes(file, c.content);
        const CliRun r = rig.run(rig.words(c.line).replaceInStrings(QStringLiteral("FILE"), file));
        EXPECT_EQ(r.exit, c.exit) << r.err.toStdString();
        for (const QByteArray& text : c.said)
            EXPECT_TRUE(r.err.contains(text) || r.out.contains(text))
                << text.toStdString() << " not in\n"
                << r.err.toStdString() << r.out.toStdString();
        EXPECT_FALSE(holdsControlBytes(r.out + r.err));
        // Tabs stay the column separators only.
        for (const QStringList& row : r.rows()) EXPECT_LE(row.size(), 6);
        EXPECT_EQ(rig.sensor(0).receivedFrames().empty(), !c.sensorAsked);
        EXPECT_EQ(rig.sensor(0).ramHalf(0), ram0);  // nothing written
    }
}

}  // namespace
}  // namespace korvo::test
