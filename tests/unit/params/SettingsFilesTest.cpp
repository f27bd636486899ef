// The settings files of the scope window: the parameter file (exact bytes, reading rules,
// hardware-type gate) and the application settings file.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/params/AppSettings.h"
#include "core/params/ParamFile.h"
#include "support/TestFiles.h"

namespace korvo {
namespace {

const QByteArray kDefaultFile(
    "[PARA0]\r\nPower = 500\r\nPower-Mode = 1\r\nPolarity = 1\r\nEval-Mode = 1\r\n"
    "Eval-Begin = 1\r\nEval-End = 1024\r\nTeach-Value = 512\r\nUpper-Tolerance = 100\r\n"
    "Lower-Tolerance = 100\r\nAverage = 1\r\nExt.Trigger-Mode = 0\r\nAnalog-Out-Mode = 0\r\n"
    "CCD-Operation-Mode = 0\r\nHardware-Mode = 1\r\nVideo-Thd-Mode = 0\r\n\r\n[PARA1]\r\n"
    "Video-Thd-Fix = 40\r\nVideo-Thd-Auto = 70\r\nRS-232-Mode = 0\r\nRS-232-Baudrate = 1\r\n"
    "Filter-Type = 0\r\nAnalog-Zoom-Mode = 0\r\nInt.Trigger-Mode = 0\r\n"
    "Trigger-Pixel = 0\r\nDigital-Out-Mode = 0\r\nPara10 = 0\r\nPara11 = 0\r\n"
    "um-Slope = 1024\r\num-Offset = 32767\r\n\r\n");

class ParamFileTest : public ::testing::Test {
protected:
    QString path(const char* name = "KORVO-PARA.ini") const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

TEST_F(ParamFileTest, ExactBytesReadBackIntoAnEqualSetForHardwareTypes1And3Only) {
    const FileWriteResult r = SendParaToFileI(ParamSet{}, path());
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(test::fileBytes(path()), kDefaultFile);

    ParamSet p;
    p.power = 999;
    p.teachValue = 65535;
    p.ccdOperationMode = 1;
    p.umSlope = 3000000000u;
    p.umOffset = 0xFFFFFFFFu;
    ASSERT_TRUE(SendParaToFileI(p, path()).ok);
    const QByteArray bytes = test::fileBytes(path());
    EXPECT_TRUE(bytes.contains("\r\nTeach-Value = 65535\r\n"));
    EXPECT_TRUE(bytes.endsWith("\r\num-Slope = -1294967296\r\num-Offset = -1\r\n\r\n"));
    ParamSet q;
    EXPECT_EQ(ReadParaFromFileI(q, path(), 1), 1);
    EXPECT_EQ(q, p);  // CCD-Operation-Mode included: the reader knows the key it writes

    // Hardware types other than 1 and 3, and a missing file, change nothing.
    for (std::uint16_t type : {0, 2, 4}) {
        ParamSet untouched;
        EXPECT_EQ(ReadParaFromFileI(untouched, path(), type), 0);
        EXPECT_EQ(untouched, ParamSet{});
    }
    ParamSet again;
    EXPECT_EQ(ReadParaFromFileI(again, path("none.ini"), 1), 0);
    EXPECT_EQ(again, ParamSet{});
    EXPECT_EQ(ReadParaFromFileI(again, path(), 3), 1);
    EXPECT_EQ(again, p);
}

TEST_F(ParamFileTest, HandWrittenFileIsReadForgivingly) {
    test::writeFileBytes(path(),
                         "[para0]\n"
                         "power = 700\n"
                         "   Teach-Value   =   1234   \n"
                         "Average = lots\n"
                         "Polarity = on\n"         // unread too: listed after Average
                         "Eval-End = 70000\n"      // 16-bit fields take the low 16 bits: 4464
                         "Upper-Tolerance = -1\n"  // 65535, no range check here
                         "CCD-OP-Mode = 1\n"
                         "[PARA1]\n"
                         "um-Offset = -2\n");
    ParamSet q;
    q.average = 8;
    std::vector<ParamValueProblem> unread;
    ASSERT_EQ(ReadParaFromFileI(q, path(), 1, &unread), 1);
    ASSERT_EQ(unread.size(), 2u);  // the window names them beside the status text
    EXPECT_EQ(unread[0].text(), QStringLiteral("line 4, Average = \"lots\": not a whole number"));
    EXPECT_EQ(q.power, 700);
    EXPECT_EQ(q.teachValue, 1234);
    EXPECT_EQ(q.average, 8);
    EXPECT_EQ(q.evalEnd, 4464);
    EXPECT_EQ(q.upperTolerance, 65535);
    EXPECT_EQ(q.ccdOperationMode, 1);
    EXPECT_EQ(q.umOffset, 0xFFFFFFFEu);
    EXPECT_EQ(q.umSlope, 1024u);  // missing: unchanged

    // With both keys the long one wins.
    test::writeFileBytes(path(), "[PARA0]\r\nCCD-OP-Mode = 1\r\nCCD-Operation-Mode = 0\r\n");
    ReadParaFromFileI(q, path(), 1);
    EXPECT_EQ(q.ccdOperationMode, 0);
}

// What korvo send lets through to a sensor: each line below in a file of its own, under both
// section headers (only its own section counts), checked for a model of 8192 pixels and before any
// model is known (0); the line and value each refusal names, at the end.
TEST(ParamFileCheck, OnlyPlainIntegersWithinTheirFieldAndRangeMayBeSent) {
    const char* const word = "not a whole number";
    const char* const any16 = "outside 0..65535";
    const char* const any32 = "outside -2147483648..2147483647";
    const char* const teach = "outside 1..8191 for this model";
    const struct {
        const char* line;
        std::uint16_t pixels;
        const char* reason;  // nullptr: may be sent
    } cases[] = {
        // clang-format off
        {"Power = 613 ; max 1000", 0, word}, {"Power = 1e9", 0, word}, {"Power = NaN", 0, word},
        {"Power = 0x200", 0, word}, {"Power = 614.0", 0, word}, {"Power =", 0, word},
        {"CCD-OP-Mode = on", 0, word}, {"Power = 99999999999", 0, any16}, {"Power = -5", 0, any16},
        {"Power = 1001", 0, "outside 0..1000"}, {"Power = +1000", 0, nullptr},
        {"Video-Thd-Fix = 9", 0, "outside 10..950"}, {"Para10 = 65535", 0, nullptr},
        {"Frobnicate = x", 0, nullptr},       // no key of the reader
        {"Teach-Value = 65535", 0, nullptr},  // left for the model
        {"Teach-Value = 8192", 8192, teach}, {"Teach-Value = 0", 8192, teach},
        {"Teach-Value = 8191", 8192, nullptr},
        {"Eval-End = 8193", 8192, "outside 1..8192 for this model"},
        {"um-Slope = -1294967296", 8192, nullptr},  // as the writer writes 3000000000
        {"um-Slope = 3000000000", 0, any32}, {"um-Offset = -2147483649", 0, any32},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        IniFile ini;
        ini.fromBytes(QByteArray("[PARA0]\r\n") + c.line + "\r\n[PARA1]\r\n" + c.line + "\r\n");
        const std::vector<ParamValueProblem> problems = checkParamFileValues(ini, c.pixels);
        if (c.reason == nullptr) {
            EXPECT_TRUE(problems.empty()) << problems[0].text().toStdString();
            continue;
        }
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_EQ(problems[0].reason, QLatin1String(c.reason));
    }

    // Every value that fails, named with its line and value, in file order.
    IniFile ini;
    ini.fromBytes("[PARA1]\r\nRS-232-Mode = 5\r\n[PARA0]\r\n; note\r\nPower = 613 ; max 1000\r\n");
    const std::vector<ParamValueProblem> problems = checkParamFileValues(ini, 0);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].text(), QStringLiteral("line 2, RS-232-Mode = \"5\": outside 0..4"));
    EXPECT_EQ(problems[1].text(),
              QStringLiteral("line 5, Power = \"613 ; max 1000\": not a whole number"));
}

// COM3, baud index 4, not maximised, at (10, -20), 800 x 600, hardware type 3. The file's bytes
// are those the connection pop-up's ACCEPT writes (app/connect).
const AppSettings kSample{3, 4, 0, 10, -20, 800, 600, 3};

TEST(AppSettingsFile, ReadBackOnlyKnownHardwareTypesAndOnlyValuesInRangeUsable) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kAppSettingsFileName);
    EXPECT_TRUE(path.endsWith("/KORVO-KM-Scope.ini"));
    ASSERT_TRUE(WriteAppVarToIniFile(kSample, path).ok);
    const AppSettingsRead r = ReadAppVarFromIniFile(path);
    EXPECT_TRUE(r.fileRead);
    EXPECT_EQ(r.panelMax, 0);
    const UsableAppSettings u = usableAppSettings(r);
    EXPECT_EQ(u.comPort, 3);
    EXPECT_EQ(u.baudIndex, 4);
    EXPECT_EQ(u.hardwareType, 3);
    EXPECT_EQ(u.geometry, (PanelGeometryPlan{false, QPoint(10, -20), QSize(800, 600)}));

    const AppSettingsRead none = ReadAppVarFromIniFile(dir.filePath("none.ini"));
    EXPECT_FALSE(none.fileRead);
    EXPECT_FALSE(usableAppSettings(none).comPort);

    // A hardware type the program does not know is written as 0.
    AppSettings s = kSample;
    for (std::uint16_t type : {0, 1, 2, 3, 4, 80}) {
        s.hardwareType = type;
        EXPECT_EQ(appSettingsIni(s).getInt("HARDWAREINFO", "Hardware-Type"),
                  type >= 1 && type <= 3 ? type : 0);
    }

    // Only values in range are usable.
    IniFile ini;
    ini.fromBytes(
        "[connection]\r\ncom port = 256\r\nBaudrate = 5\r\n"
        "[APPLICATION]\r\nPanel pos. x = 1\r\nPanel pos. y = 2\r\n"
        "Panel width = 3\r\nPanel height = 4\r\n"
        "[HARDWAREINFO]\r\nHardware-Type = 7\r\n");
    const AppSettingsRead outside = appSettingsFromIni(ini);
    EXPECT_EQ(outside.comPort, 256);
    EXPECT_EQ(outside.panelWidth, 3);  // "Panel width " matches "Panel width"
    const UsableAppSettings unusable = usableAppSettings(outside);
    EXPECT_FALSE(unusable.comPort);
    EXPECT_FALSE(unusable.baudIndex);
    EXPECT_FALSE(unusable.hardwareType);
    EXPECT_EQ(unusable.geometry, PanelGeometryPlan{});  // no "Panel max": no geometry

    ini.fromBytes(
        "[CONNECTION]\r\nCOM Port = 0\r\nBAUDRATE = 0\r\n"
        "[APPLICATION]\r\nPanel max = 1\r\nPanel pos. x = 1\r\n");
    const UsableAppSettings v = usableAppSettings(appSettingsFromIni(ini));
    EXPECT_FALSE(v.comPort);
    EXPECT_EQ(v.baudIndex, 0);
    EXPECT_EQ(v.geometry, (PanelGeometryPlan{true, {}, {}}));
}

}  // namespace
}  // namespace korvo
