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

TEST(CliInput, FileAndSensorTextThatMustNotReachASensorOrTheTerminalAsItIs) {
    sim::SensorConfig escaping = model();  // 8192 pixels, as COM1's
    escaping.firmwareText = "KORVO-KM\x1b[2J\tV3.18";
    CliRig rig({model(), escaping});
    rig.mapLine(9, QStringLiteral("/dev/tty\x1b[2J\x07"));
    const sim::ParamHalf ram0 = rig.sensor(0).ramHalf(0);
    const QString file = rig.path(QStringLiteral("input"));

    const struct {
        const char* what;
        QStringList args;  // FILE: the file below
        QByteArray content;
        int exit;
        std::vector<QByteArray> said;  // on standard error, or output when it names a port
        bool sensorAsked;              // COM1 was identified
    } cases[] = {
        {"values that are no integer, or beyond their field or range",
         {"send", "1", "--to", "ram", "FILE"},
         "[PARA0]\r\nPower = 613 ; max 1000\r\nAverage = 1e9\r\nEval-Mode = NaN\r\n"
         "Polarity = 0x200\r\nPower-Mode = 614.0\r\nTeach-Value = 99999999999\r\n"
         "Upper-Tolerance = -5\r\nLower-Tolerance = 5\r\n",
         2,
         {"line 2, Power = \"613 ; max 1000\": not a whole number",
          "line 3, Average = \"1e9\": not a whole number", "line 4, Eval-Mode = \"NaN\"",
          "line 5, Polarity = \"0x200\"", "line 6, Power-Mode = \"614.0\"",
          "line 7, Teach-Value = \"99999999999\": outside 0..65535",
          "line 8, Upper-Tolerance = \"-5\": outside 0..65535", "nothing sent"},
         false},
        {"a teach value beyond this model's pixels",
         {"send", "1", "--to", "ram", "FILE"},
         "[PARA0]\r\nPower = 600\r\nTeach-Value = 65535\r\n",
         2,
         {"refused",
          "nothing sent: line 3, Teach-Value = \"65535\": outside 1..8191 for this model"},
         true},
        {"a flash value beyond 16 bits",
         {"flash", "1", "FILE"},
         numberLines(2) + "70000\r\n" + numberLines(2045),
         2,
         {"line 3: 70000 is outside -32768..65535."},
         false},
        {"more flash values than a table holds",
         {"flash", "1", "FILE"},
         numberLines(2049),
         2,
         {"line 2049: more than 2048 values"},
         false},
        {"escape sequences in a flash file",
         {"flash", "1", "FILE"},
         "\x1b]0;PWNED\x07\x1b[2J\n",
         2,
         {"\"\\x1b]0;PWNED\\x07\\x1b[2J\" is not a whole number"},
         false},
        {"a zero byte in a flash file",
         {"flash", "1", "FILE"},
         QByteArray("12\0abc\n", 7),
         2,
         {"\"12\\x00abc\" is not a whole number"},
         false},
        {"an escape sequence in a parameter value",
         {"send", "1", "--to", "ram", "FILE"},
         "[PARA0]\r\nPower = \x1b[2J\r\n",
         2,
         {"line 2, Power = \"\\x1b[2J\": not a whole number"},
         false},
        {"a sensor's firmware text",
         {"identify", "2"},
         {},
         0,
         {"KORVO-KM\\x1b[2J\\x09V3.18"},
         false},
        {"a sensor's firmware text in JSON",
         {"identify", "2", "--json"},
         {},
         0,
         {"\"firmware\":\"KORVO-KM\\\\x1b[2J\\\\x09V3.18"},  // a backslash as JSON writes it
         false},
        {"a device in the port map", {"ports"}, {}, 0, {"/dev/tty\\x1b[2J\\x07"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        rig.sensor(0).clearReceivedFrames();
        writeFileBytes(file, c.content);
        QStringList args = c.args;
        args.replaceInStrings(QStringLiteral("FILE"), file);
        const CliRun r = rig.run(args);
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
