// The mode-dependent dim and visibility rules applied at start-up and after a connection.

#include "ScopeAppFixture.h"
#include "app/ControlIds.h"
#include "app/ControlStates.h"

namespace korvo::test {
namespace {

using namespace ids;

class ControlStatesTest : public ScopeAppTest {
protected:
    void SetUp() override { ASSERT_EQ(start(), 0); }
    bool recDimmed(int ctrl) { return ui().dimmed(panels().recorder, ctrl); }
};

TEST_F(ControlStatesTest, RecorderModeDecidesWhichRecorderControlsAreUsable) {
    ui().setInt(panels().recorder, REC_RS232MODE, 1);
    RefreshControlStates(app());
    EXPECT_TRUE(recDimmed(REC_INCTIME));
    for (int c : {REC_SAMPLES, REC_START, REC_STOPREC, REC_FILEBTN}) EXPECT_FALSE(recDimmed(c));

    ui().setInt(panels().recorder, REC_RS232MODE, 2);
    RefreshControlStates(app());
    for (int c : {REC_INCTIME, REC_SAMPLES, REC_START, REC_STOPREC, REC_FILEBTN})
        EXPECT_TRUE(recDimmed(c));

    ui().setInt(panels().recorder, REC_RS232MODE, 0);
    RefreshControlStates(app());
    for (int c : {REC_INCTIME, REC_SAMPLES, REC_START, REC_STOPREC, REC_FILEBTN})
        EXPECT_FALSE(recDimmed(c));
}

TEST_F(ControlStatesTest, InternalTriggerOnATwoOutputModelForcesOutputMode3) {
    app().state.model.hardwareType = 3;
    ui().setInt(panels().para1, P1_INTRGMODE, 1);
    RefreshControlStates(app());
    EXPECT_EQ(ui().getInt(panels().para1, P1_OUTMODE), 3);
    EXPECT_TRUE(ui().dimmed(panels().para1, P1_OUTMODE));
    EXPECT_FALSE(ui().dimmed(panels().para1, P1_TRGPIX));
    for (int c : {MAIN_DARKPIX, MAIN_TRIGCOMP, MAIN_TRIGLED})
        EXPECT_TRUE(ui().visible(panels().main, c));

    ui().setInt(panels().para1, P1_INTRGMODE, 0);
    RefreshControlStates(app());
    EXPECT_TRUE(ui().dimmed(panels().para1, P1_TRGPIX));
    for (int c : {MAIN_DARKPIX, MAIN_TRIGCOMP, MAIN_TRIGLED})
        EXPECT_FALSE(ui().visible(panels().main, c));
}

TEST_F(ControlStatesTest, HardwareModeAndAnalogModeGateTheirControls) {
    ui().setInt(panels().para2, P2_HWMODE, 1);
    ui().setInt(panels().para1, P1_ANAMODE, 1);
    RefreshControlStates(app());
    EXPECT_TRUE(ui().dimmed(panels().para1, P1_TOLUP));
    EXPECT_TRUE(ui().dimmed(panels().para1, P1_TOLLOW));
    for (int c : {MAIN_ANAVALUE, MAIN_ANAMAX, MAIN_ANAMIN, MAIN_RESET, MAIN_ANACOMP})
        EXPECT_TRUE(ui().visible(panels().main, c));

    ui().setInt(panels().para2, P2_HWMODE, 2);
    ui().setInt(panels().para1, P1_ANAMODE, 0);
    RefreshControlStates(app());
    EXPECT_FALSE(ui().dimmed(panels().para1, P1_TOLUP));
    for (int c : {MAIN_ANAVALUE, MAIN_ANAMAX, MAIN_ANAMIN, MAIN_RESET, MAIN_ANACOMP})
        EXPECT_FALSE(ui().visible(panels().main, c));
}

TEST_F(ControlStatesTest, AutomaticThresholdModeReadsTheStoredCurve) {
    int reads = 0;
    app().hooks.getEEThreshold = [&] {
        ++reads;
        for (int i = 0; i < 256; ++i) app().state.video.thresholdArray[i] = i;
    };
    app().state.link.firmwareText = "KORVO-KM test firmware";
    ui().setInt(panels().para2, P2_VTHDMODE, 1);
    RefreshControlStates(app());
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(app().state.video.autoCurve[200], 200);
    EXPECT_FALSE(ui().dimmed(panels().para2, P2_SAVETHD));
    EXPECT_EQ(ui().getText(panels().main, MAIN_STATUS), "KORVO-KM test firmware");

    ui().setInt(panels().para2, P2_VTHDMODE, 0);
    RefreshControlStates(app());
    EXPECT_EQ(reads, 1);
    EXPECT_TRUE(ui().dimmed(panels().para2, P2_SAVETHD));
}

TEST_F(ControlStatesTest, CcdModeSwitchMattersOnlyAboveFamily100) {
    ui().setInt(panels().calib, CAL_CCDMODE, 1);
    app().state.model.familyCode = 6;
    RefreshControlStates(app());
    EXPECT_FALSE(ui().dimmed(panels().para2, P2_FILTER));

    app().state.model.familyCode = 101;
    RefreshControlStates(app());
    for (int c : {P2_SAVETHD, P2_FILTER, P2_VTHDMODE}) EXPECT_TRUE(ui().dimmed(panels().para2, c));

    ui().setInt(panels().calib, CAL_CCDMODE, 0);
    app().state.params.videoThdMode = 1;
    RefreshControlStates(app());
    for (int c : {P2_SAVETHD, P2_FILTER, P2_VTHDMODE}) EXPECT_FALSE(ui().dimmed(panels().para2, c));
}

TEST_F(ControlStatesTest, ToleranceDisplaysFollowSlopeAndTolerances) {
    app().state.params.umSlope = 2048;  // 2 um per pixel
    app().state.params.upperTolerance = 250;
    RefreshControlStates(app());
    EXPECT_DOUBLE_EQ(ui().getDouble(panels().main, MAIN_TOLUP_MM), 0.5);
    EXPECT_DOUBLE_EQ(ui().getDouble(panels().main, MAIN_TOLLOW_MM), 0.2);
}

}  // namespace
}  // namespace korvo::test
