// The help table below the widgets: where each row's box lands beside its measured control, the
// box kept inside its panel, and the text that depends on the firmware.

#include <gtest/gtest.h>

#include <vector>

#include "app/help/HelpTable.h"
#include "support/QtPrinters.h"

namespace korvo::test {
namespace {

using enum HelpBox;
using enum HelpAnchor;

// Every row, for a control measured at (200, 150) with a width of 60.
TEST(HelpTableTest, EveryRowPlacesItsBoxBesideTheMeasuredControl) {
    const struct {
        std::vector<const char*> callbacks;
        HelpBox box;
        HelpAnchor anchor;
        QPoint at;
    } expected[] = {
        {{"CC_BTNRun", "CC_BTNStop", "CC_BTNVideo", "CC_ButtonReset"}, Normal, Clicked, {270, 140}},
        {{"CC_TOGGButtonZoom"}, Normal, Clicked, {270, 140}},
        {{"CC_BTNSend"}, Normal, Clicked, {280, 130}},
        {{"CC_BTNGet"}, Normal, Clicked, {280, 110}},
        {{"CC_NEDITEdgeLeft"}, Normal, Clicked, {270, 130}},
        {{"CC_NEDITEdgeRight"}, Normal, Clicked, {40, 130}},
        {{"CC_TOGGBTNConnect"}, Normal, Clicked, {270, 90}},
        {{"CC_GRAPHRaw", "CC_GRAPHVideo", "CC_GRAPHData"}, Large, RollGraph, {280, 190}},
        {{"CC_DROPevalmode", "CC_DROPhardware", "CC_DROPpolarity"}, Normal, Clicked, {280, 140}},
        {{"CC_DROPoutmode", "CC_DROPanaMode", "CC_DROPzoomMode"}, Normal, Clicked, {280, 140}},
        {{"CC_NEDITToleranceUP", "CC_NEDITTolerance"}, Normal, Clicked, {280, 140}},
        {{"CC_DROP_FilterType", "CC_DROP_TrigMode"}, Normal, Clicked, {280, 140}},
        {{"CC_DROPvthdmode", "CC_DROPrs232mode", "CC_NUMsample"}, Normal, Clicked, {280, 140}},
        {{"CC_NUMinctime"}, Normal, Clicked, {280, 140}},
        {{"CC_DROPintrgMode", "CC_NUMtrgPix"}, Normal, Clicked, {280, 145}},
        {{"CC_DROPaverage"}, Large, Clicked, {280, 140}},
        {{"CC_SLIDEpower"}, Normal, Clicked, {420, 140}},
        {{"CC_SLIDEVideoThreshold"}, Normal, Clicked, {295, 140}},
        {{"CC_BINSWopmode"}, Normal, Clicked, {400, 140}},
        {{"CC_BINSWTarget"}, Normal, Clicked, {315, 140}},
        {{"CC_CBTNSaveThreshold"}, Normal, Clicked, {425, 140}},
        {{"CC_ButtonTeach"}, Normal, Clicked, {300, 140}},
        {{"CC_NEDITTeach"}, Normal, Clicked, {390, 145}},
        {{"CC_CBTNTryToConnect"}, Connect, Clicked, {215, 85}},
        {{"CC_CBTNAcceptComSetting"}, Connect, Clicked, {210, 85}},
        {{"CC_CBTNDiscardComSetting"}, Connect, Clicked, {0, 85}},
    };
    std::size_t rows = 0;
    for (const auto& e : expected) {
        for (const char* callback : e.callbacks) {
            SCOPED_TRACE(callback);
            ++rows;
            const HelpRow* row = findHelpRow(QString::fromLatin1(callback));
            ASSERT_NE(row, nullptr);
            EXPECT_EQ(row->box, e.box);
            EXPECT_EQ(row->anchor, e.anchor);
            EXPECT_EQ(helpBoxPlace(*row, QRect(200, 150, 60, 24)), e.at);
            EXPECT_FALSE(helpText(*row, 318).isEmpty());
        }
    }
    EXPECT_EQ(rows, helpRows().size());
}

TEST(HelpTableTest, ABoxThatWouldStickOutIsMovedBackInsideItsPanel) {
    const QSize box(330, 110);
    const QSize area(780, 548);
    const std::pair<QPoint, QPoint> cases[] = {
        {{300, 200}, {300, 200}},  // inside: as wanted
        {{600, 500}, {450, 438}},  // beyond the right and bottom edges
        {{-15, -3}, {0, 0}},       // beyond the left and top edges
    };
    for (const auto& [wanted, landed] : cases) EXPECT_EQ(helpBoxInside(wanted, box, area), landed);
    EXPECT_EQ(helpBoxInside({20, 30}, QSize(900, 600), area), QPoint(0, 0));  // larger than it
}

TEST(HelpTableTest, TheLowerToleranceTextFollowsTheFirmwareVersion) {
    const HelpRow* row = findHelpRow(QStringLiteral("CC_NEDITTolerance"));
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(helpText(*row, 302).startsWith("TOLERANCE-VALUE:\n"));
    EXPECT_TRUE(helpText(*row, 303).startsWith("TOLERANCE-LOW:\n"));
}

}  // namespace
}  // namespace korvo::test
