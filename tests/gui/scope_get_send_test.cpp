// GET and SEND of the parameter set between the scope window and a virtual sensor's RAM and
// EEPROM: the frames the sensor receives and what ends up on either side.

#include "sim/ParamMemory.h"
#include "support/ScopeFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

std::vector<SeenRequest> withCodes(const std::vector<SeenRequest>& all,
                                   std::initializer_list<int> codes) {
    std::vector<SeenRequest> out;
    for (const SeenRequest& r : all)
        if (std::find(codes.begin(), codes.end(), r.code) != codes.end()) out.push_back(r);
    return out;
}

class ScopeGetSendTest : public ScopeWindowTest {
protected:
    void SetUp() override {
        launch({sim::SensorConfig{}});
        if (HasFatalFailure()) return;
        openPort(1);
    }
};

TEST_F(ScopeGetSendTest, GetFromRamAndEepromAsksForBothHalvesWithTheirCodes) {
    struct Case {
        int radio;
        int code;
        bool eeprom;
    };
    for (const Case c : {Case{MAIN_RAM, 2, false}, Case{MAIN_EEPROM, 4, true}}) {
        SCOPED_TRACE(c.code);
        sim::ParamHalf h0 = c.eeprom ? sensor(0).eepromHalf(0) : sensor(0).ramHalf(0);
        sim::ParamHalf h1 = c.eeprom ? sensor(0).eepromHalf(1) : sensor(0).ramHalf(1);
        h0[sim::p0::kPower] = c.eeprom ? 777 : 321;
        h0[sim::p0::kVideoThdMode] = 0;
        h1[sim::p1::kVideoThdFix] = c.eeprom ? 66 : 55;
        if (c.eeprom) {
            sensor(0).setEepromHalf(0, h0);
            sensor(0).setEepromHalf(1, h1);
        } else {
            sensor(0).setRamHalf(0, h0);
            sensor(0).setRamHalf(1, h1);
        }
        if (ui().getInt(mainPanel(), c.radio) == 0) ui().click(mainPanel(), c.radio);
        sensor(0).clearReceivedFrames();

        ui().click(mainPanel(), MAIN_GET);

        const std::vector<SeenRequest> seen = requestsOf(sensor(0));
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.front(), (SeenRequest{0, 0}));  // the dummy frame of the left click
        EXPECT_EQ(withCodes(seen, {1, 2, 3, 4}),
                  (std::vector<SeenRequest>{{c.code, 0}, {c.code, 1}}));
        EXPECT_EQ(app().state.params.power, h0[sim::p0::kPower]);
        EXPECT_EQ(app().state.params.videoThdFix, h1[sim::p1::kVideoThdFix]);
        // A complete GET shows the set on the panels.
        EXPECT_EQ(ui().getInt(panels().para2, P2_POWER), h0[sim::p0::kPower]);
    }
}

TEST_F(ScopeGetSendTest, SendToRamAndEepromWritesThePanelValuesWithTheirCodes) {
    struct Case {
        int radio;
        int code;
        int power;
    };
    for (const Case c : {Case{MAIN_RAM, 1, 432}, Case{MAIN_EEPROM, 3, 876}}) {
        SCOPED_TRACE(c.code);
        if (ui().getInt(mainPanel(), c.radio) == 0) ui().click(mainPanel(), c.radio);
        ui().setInt(panels().para2, P2_POWER, c.power);
        ui().setInt(panels().para1, P1_TOLUP, 77);
        const sim::ParamHalf eepromBefore = sensor(0).eepromHalf(0);
        sensor(0).clearReceivedFrames();

        ui().click(mainPanel(), MAIN_SEND);

        EXPECT_EQ(requestsOf(sensor(0)), (std::vector<SeenRequest>{{c.code, 0}, {c.code, 1}}));
        EXPECT_EQ(app().state.params.power, c.power);  // read from the panels first
        EXPECT_EQ(sensor(0).ramHalf(0)[sim::p0::kPower], c.power);
        EXPECT_EQ(sensor(0).ramHalf(0)[sim::p0::kUpperTol], 77);
        if (c.code == 3) {
            EXPECT_EQ(sensor(0).eepromHalf(0)[sim::p0::kPower], c.power);
        } else {
            EXPECT_EQ(sensor(0).eepromHalf(0), eepromBefore);
        }
        EXPECT_EQ(mainStatus(), QStringLiteral("Transmission successful - Line Ok!"));
    }
}

TEST_F(ScopeGetSendTest, GetStopsARunningLoopAndSendHandsItTheNextReply) {
    app().state.link.stopFlag = kStopRunning;
    ui().click(mainPanel(), MAIN_SEND);
    EXPECT_EQ(app().state.link.stopFlag, kStopRunning);
    EXPECT_EQ(app().state.link.replyKind, kReplyRawData);

    ui().click(mainPanel(), MAIN_GET);
    EXPECT_EQ(app().state.link.stopFlag, kStopByUser);
}

}  // namespace
}  // namespace korvo::test
