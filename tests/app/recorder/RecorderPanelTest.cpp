// The Recorder panel wired to a recording: START with its overwrite question, the status box and
// displays at the end, the file button, the mode dims and the service value.

#include "core/record/RecorderDataFile.h"
#include "support/AppFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

class RecorderPanelTest : public ScopeAppTest {
protected:
    void SetUp() override {
        launchOpen();
        if (HasFatalFailure()) return;
        sensor(0).setMeasurement(300, 500);
        showChild(panels().recorder);
        rec = panels().recorder;
    }
    QString path() { return app().state.recorderPath; }
    int rec = 0;
};

TEST_F(RecorderPanelTest, ARecordingFillsTheFileAndEndsCompletedAndAnExistingFileIsAsked) {
    ui().userSetInt(rec, REC_SAMPLES, 3);
    ui().userSetDouble(rec, REC_INCTIME, 0.1);
    ui().click(rec, REC_START);

    const QByteArray written = dir.read(QStringLiteral("RECORD.DAT"));
    EXPECT_EQ(written.count("\r\n"), 7 + 3);
    EXPECT_TRUE(written.contains("Number of Samples:\t3\r\n"));
    EXPECT_EQ(ui().textBoxLines(rec, REC_STATUS).join(""), "DATA-RECORDER COMPLETED!");
    EXPECT_EQ(ui().backgroundColor(rec, REC_STATUS), 0xE0E0E0u);
    EXPECT_EQ(ui().textColor(rec, REC_STATUS), 0x0000FFu);
    EXPECT_EQ(mainStatus(), "Data-Recorder completed successfully!");
    EXPECT_EQ(ui().getInt(rec, REC_COUNTER), 3);
    EXPECT_FALSE(ui().dimmed(rec, REC_START));
    EXPECT_FALSE(ui().dimmed(mainPanel(), MAIN_RUN));

    // Declined: the file stays as it is and nothing starts.
    popups->expectConfirm("ATTENTION !", "File already exist - overwrite ?", false);
    ui().click(rec, REC_START);
    EXPECT_EQ(dir.read(QStringLiteral("RECORD.DAT")), written);

    // Another recording holds the file: refused with the reason, its file as it was.
    RecorderDataFile other;
    ASSERT_TRUE(other.open(path()).ok);
    sensor(0).clearReceivedFrames();
    popups->expectConfirm("ATTENTION !", "File already exist - overwrite ?", true);
    ui().click(rec, REC_START);
    EXPECT_EQ(dir.read(QStringLiteral("RECORD.DAT")), written);
    EXPECT_EQ(ui().textBoxLines(rec, REC_STATUS).join(""), "DATA-REC. ERROR - FILE NOT WRITTEN!");
    EXPECT_TRUE(mainStatus().startsWith("Data-Recorder error - file not written: "));
    EXPECT_TRUE(ui().ctrl(mainPanel(), MAIN_STATUS)->toolTip().contains("another recording"));
    EXPECT_FALSE(received(0, 18));
    EXPECT_FALSE(ui().dimmed(rec, REC_START));
}

TEST_F(RecorderPanelTest, TheFileButtonAsksBeforeItTakesAnExistingFile) {
    const QString old = ui().getText(rec, REC_FILENAME);
    dir.write(QStringLiteral("OLD.DAT"), "keep");
    popups->expectFile("KORVO-Series Recorder-File:",
                       {ui::FileChoice::Existing, dir.file("OLD.DAT")});
    popups->expectConfirm("ATTENTION!", "Output-File already exist! - Overwrite ?", false);
    ui().click(rec, REC_FILEBTN);
    EXPECT_EQ(ui().getText(rec, REC_FILENAME), old);
    EXPECT_EQ(path(), dir.file("OLD.DAT"));  // START will ask again
    EXPECT_EQ(dir.read(QStringLiteral("OLD.DAT")), "keep");

    popups->expectFile("KORVO-Series Recorder-File:",
                       {ui::FileChoice::Existing, dir.file("OLD.DAT")});
    popups->expectConfirm("ATTENTION!", "Output-File already exist! - Overwrite ?", true);
    ui().click(rec, REC_FILEBTN);
    EXPECT_EQ(ui().getText(rec, REC_FILENAME), dir.file("OLD.DAT"));
    EXPECT_FALSE(dir.exists(QStringLiteral("OLD.DAT")));
}

TEST_F(RecorderPanelTest, ModesDimTheRecorderAndTheServiceValueShowsTheServiceButtons) {
    const struct {
        int mode;
        bool stepDimmed, startDimmed;
    } cases[] = {
        {0, false, false}, {1, true, false}, {2, true, true}, {3, true, true}, {4, false, false}};
    for (const auto& c : cases) {
        ui().userSetInt(rec, REC_RS232MODE, c.mode);
        EXPECT_EQ(ui().dimmed(rec, REC_INCTIME), c.stepDimmed) << c.mode;
        EXPECT_EQ(ui().dimmed(rec, REC_START), c.startDimmed) << c.mode;
        EXPECT_EQ(ui().dimmed(rec, REC_SAMPLES), c.startDimmed) << c.mode;
        EXPECT_EQ(ui().dimmed(rec, REC_FILEBTN), c.startDimmed) << c.mode;
    }
    ui().userSetInt(rec, REC_RS232MODE, 0);
    ui().userSetInt(rec, REC_SAMPLES, 10);
    ui().userSetDouble(rec, REC_INCTIME, 8317);
    EXPECT_TRUE(ui().visible(panels().calib, CAL_XFLASH));
    EXPECT_TRUE(ui().visible(panels().calib, CAL_TEST));
    EXPECT_FALSE(ui().dimmed(panels().calib, CAL_SLOPE));
}

}  // namespace
}  // namespace korvo::test
