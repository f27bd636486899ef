// GET and SEND with the File target: the file dialogs, the overwrite question, the status texts,
// and files that cannot be written or hold nonsense.

#include "app/MainCommands.h"
#include "support/ScopeFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

const QString kSendTitle = QStringLiteral("KORVO-KM-Series Parameter File");
const QString kGetTitle = QStringLiteral("KORVO-KM-Series-Parameter-File");

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

class ScopeParamFileTest : public ScopeWindowTest {
protected:
    void SetUp() override {
        launch();
        if (HasFatalFailure()) return;
        ui().click(mainPanel(), MAIN_FILE);
        ASSERT_EQ(app().state.memoryTarget, 3);
        path = dir.file(QStringLiteral("KORVO-PARA.ini"));
    }
    QString path;
};

TEST_F(ScopeParamFileTest, SaveIntoANewFileWritesAtOnceFromThePanels) {
    ui().setInt(panels().para2, P2_POWER, 345);
    popups->expectFile(kSendTitle, {ui::FileChoice::New, path});

    ui().click(mainPanel(), MAIN_SEND);

    ASSERT_EQ(popups->shown().size(), 1u);
    EXPECT_EQ(popups->shown()[0].directory, dir.path());
    EXPECT_EQ(popups->shown()[0].defaultName, QStringLiteral("KORVO-PARA.ini"));
    EXPECT_EQ(popups->shown()[0].filter, QStringLiteral("*.ini"));
    EXPECT_TRUE(readAll(path).startsWith("[PARA0]\r\nPower = 345\r\nPower-Mode = 1\r\n"));
    EXPECT_EQ(mainStatus(), QStringLiteral("Parameter saved to file!"));
}

TEST_F(ScopeParamFileTest, SaveIntoAnExistingFileAsksFirst) {
    const QString question = QStringLiteral("Parameter-File already exists - overwrite ?");
    writeAll(path, "old contents\r\n");

    popups->expectFile(kSendTitle, {ui::FileChoice::Existing, path});
    popups->expectConfirm(QStringLiteral("ATTENTION!"), question, false);
    ui().click(mainPanel(), MAIN_SEND);
    EXPECT_EQ(readAll(path), QByteArray("old contents\r\n"));
    EXPECT_EQ(mainStatus(), QStringLiteral("Parameter not saved to file!"));

    popups->expectFile(kSendTitle, {ui::FileChoice::Existing, path});
    popups->expectConfirm(QStringLiteral("ATTENTION!"), question, true);
    ui().click(mainPanel(), MAIN_SEND);
    EXPECT_TRUE(readAll(path).startsWith("[PARA0]\r\n"));
    EXPECT_EQ(mainStatus(), QStringLiteral("Parameter saved to file!"));
}

TEST_F(ScopeParamFileTest, CancelledOrFailedSavingSaysSo) {
    popups->expectFile(kSendTitle, {});
    ui().click(mainPanel(), MAIN_SEND);
    EXPECT_EQ(mainStatus(), QStringLiteral("Parameter saving to file failed!"));

    // A folder that does not exist stands for any place that cannot be written.
    const QString unwritable = dir.file(QStringLiteral("no-such-folder/KORVO-PARA.ini"));
    ShowMainStatus(app(), QStringLiteral("something else"));
    popups->expectFile(kSendTitle, {ui::FileChoice::New, unwritable});
    ui().click(mainPanel(), MAIN_SEND);
    EXPECT_EQ(mainStatus(), QStringLiteral("Parameter saving to file failed!"));
    EXPECT_FALSE(QFile::exists(unwritable));
}

TEST_F(ScopeParamFileTest, TheFileDetailOfAStatusGoesWithTheNextStatus) {
    QWidget* statusLine = ui().ctrl(mainPanel(), MAIN_STATUS);
    ASSERT_NE(statusLine, nullptr);
    popups->expectFile(kSendTitle, {ui::FileChoice::New, path});
    ui().click(mainPanel(), MAIN_SEND);
    ASSERT_EQ(mainStatus(), QStringLiteral("Parameter saved to file!"));
    EXPECT_EQ(statusLine->toolTip(), path);

    // A later outcome, here a sensor exchange on a port without sensor, has no file behind it.
    ui().click(mainPanel(), MAIN_RAM);
    ui().click(mainPanel(), MAIN_SEND);
    EXPECT_EQ(mainStatus(), QStringLiteral("Timeout-RS-232..."));
    EXPECT_TRUE(statusLine->toolTip().isEmpty());
}

TEST_F(ScopeParamFileTest, CancelledLoadLeavesTheSetAlone) {
    app().state.model.hardwareType = 1;
    const ParamSet before = app().state.params;
    popups->expectFile(kGetTitle, {});

    ui().click(mainPanel(), MAIN_GET);

    EXPECT_EQ(app().state.params, before);
    EXPECT_EQ(mainStatus(), QStringLiteral("Parameter not read from file!"));
}

TEST_F(ScopeParamFileTest, LoadTakesTheFileAndTheRangesApply) {
    app().state.model.hardwareType = 1;
    const std::uint16_t averageBefore = app().state.params.average;
    writeAll(path,
             "[PARA0]\r\nPower = 99999\r\nAverage = lots\r\nEval-End = 0\r\nTeach-Value = 700\r\n"
             "this is no key line\r\n[PARA1]\r\nVideo-Thd-Fix = 5\r\num-Slope = -1294967296\r\n");
    popups->expectFile(kGetTitle, {ui::FileChoice::Existing, path});

    ui().click(mainPanel(), MAIN_GET);

    const ParamSet& p = app().state.params;
    EXPECT_EQ(p.teachValue, 700);
    EXPECT_EQ(p.average, averageBefore);
    EXPECT_EQ(p.umSlope, 3000000000u);
    // 99999 keeps its low 16 bits (34463), which the panel refresh replaces like any power
    // above 1000.
    EXPECT_EQ(p.power, 500);
    EXPECT_EQ(ui().getInt(panels().para2, P2_POWER), 500);
    EXPECT_EQ(p.evalEnd, 256);
    EXPECT_EQ(p.videoThdFix, 10);
    EXPECT_EQ(ui().getInt(panels().para2, P2_TEACHVAL), 700);
    EXPECT_EQ(mainStatus(), QStringLiteral("Parameter read from file!"));
}

TEST_F(ScopeParamFileTest, LoadBeforeAnySensorIsKnownChangesNothingAndSaysSo) {
    ASSERT_EQ(app().state.model.hardwareType, 0);
    writeAll(path, "[PARA0]\r\nTeach-Value = 700\r\n");
    const ParamSet before = app().state.params;
    popups->expectFile(kGetTitle, {ui::FileChoice::Existing, path});

    ui().click(mainPanel(), MAIN_GET);

    EXPECT_EQ(app().state.params, before);
    EXPECT_EQ(mainStatus(), QStringLiteral("Parameter not read from file!"));
}

}  // namespace
}  // namespace korvo::test
