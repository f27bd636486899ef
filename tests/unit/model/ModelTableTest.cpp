// What each hardware-information reply sets up: model rows, family settings, pixel ranges.

#include <gtest/gtest.h>

#include "core/model/ModelTable.h"

namespace korvo {
namespace {

HardwareInfo reply(std::uint16_t family, std::uint16_t variant, std::uint16_t firmware,
                   std::uint16_t pixels = 4096, std::uint16_t resolution = 1024) {
    return {.familyCode = family,
            .pixelCount = pixels,
            .firmwareVersion = firmware,
            .variantCode = variant,
            .videoResolution = resolution};
}

std::vector<QString> labels(const ItemList& items) {
    std::vector<QString> out;
    for (const ListItem& item : items) out.push_back(item.label);
    return out;
}

TEST(ModelTable, EveryRowSetsItsHardwareTypeAndInfoLines) {
    // family, variant, a firmware inside the row's split, hardware type; for some, the pixels of
    // the reply and one of the row's info lines
    const struct {
        std::uint16_t family, variant, firmware, type, pixels = 4096;
        int line = -1;
        const char* text = "";
    } cases[] = {
        // clang-format off
        {1, 80, 310, 1, 4096, 0, "-------- KORVO-KM-8 --------"},
        {1, 80, 310, 1, 4096, 1, "4096 subpixel - pixel-pitch = 1.95µm"},
        {1, 80, 310, 1, 4096, 2, "working range = 7.9 mm"},
        {1, 80, 310, 1, 4096, 3, "resolution    = +/- 2 µm"},
        {1, 80, 312, 1, 4096, 3, "resolution    = +/- 1 µm"},
        {6, 20280, 312, 1, 16384, 1, "16k-subpixel;  1.75µm pixel-pitch"},
        {102, 500, 311, 1, 4096, 1, "3072 subpixel - pixel-pitch = 15.875µm"},
        {102, 500, 315, 1, 4096, 1, "3072 subpixel - pixel-pitch = 15.875µm"},
        {102, 500, 316, 1, 4096, 1, "6144 subpixel - pixel-pitch = 7.938µm"},
        {101, 20160, 315, 3, 4096, 1, "1024 subpixel - pixel-pitch = 15.875 µm"},
        {101, 20160, 316, 3, 4096, 1, "2048 subpixel - pixel-pitch =  7.938 µm"},
        {2, 250, 310, 1},    {2, 250, 318, 1},    {2, 350, 312, 1},    {3, 120, 312, 1},
        {4, 60, 315, 1},     {4, 60, 316, 1},     {4, 20160, 315, 3},  {4, 20160, 316, 3},
        {4, 20162, 312, 3},  {6, 20280, 312, 1},  {101, 160, 315, 1},  {101, 160, 316, 1},
        {102, 500, 310, 1},  {102, 500, 313, 1},  {102, 20500, 315, 3}, {102, 20500, 316, 3},
        {102, 510, 312, 1},  {103, 750, 310, 1},  {103, 750, 313, 1},  {103, 750, 317, 1},
        {103, 20750, 315, 3}, {103, 20750, 316, 3}, {104, 1000, 310, 1}, {104, 1000, 313, 1},
        {104, 1000, 316, 1}, {104, 21000, 315, 3}, {104, 21000, 316, 3},
        // clang-format on
    };
    for (const auto& c : cases) {
        ModelState state;
        const ModelProfile p =
            applyHardwareInfo(reply(c.family, c.variant, c.firmware, c.pixels), state);
        SCOPED_TRACE(testing::Message() << c.family << '/' << c.variant << '/' << c.firmware);
        EXPECT_TRUE(p.rowMatched);
        EXPECT_EQ(state.hardwareType, c.type);
        if (c.line >= 0) EXPECT_EQ(p.infoLines[c.line], QString::fromUtf8(c.text));
    }
    // Below 310 no row of the three-way split applies.
    ModelState state;
    EXPECT_FALSE(applyHardwareInfo(reply(104, 1000, 309), state).rowMatched);
}

TEST(ModelTable, Family1ControlsAt310312And316AndThoseOfOtherFamiliesAndRows) {
    ModelState state;
    ModelProfile p = applyHardwareInfo(reply(1, 80, 310), state);
    EXPECT_EQ(p.targetValue, 2);
    EXPECT_EQ(p.targetDimmed, true);
    EXPECT_EQ(p.ccdLabels,
              std::pair(QStringLiteral("HIGH CCD-GAIN"), QStringLiteral("LOW CCD-GAIN")));
    EXPECT_EQ(p.hardwareModeDimmed, false);

    p = applyHardwareInfo(reply(1, 80, 312), state);
    EXPECT_EQ(p.targetValue, 1);
    EXPECT_EQ(p.targetDimmed, false);
    // Below 316: no trigger functions, short IN0 list, output list left alone.
    EXPECT_EQ(p.triggerDimmed, true);
    EXPECT_EQ(p.outputDimmed, true);
    EXPECT_EQ(p.in0Items, in0List5());
    EXPECT_FALSE(p.outputItems.has_value());
    EXPECT_EQ(p.measuredDecimals, 3);

    p = applyHardwareInfo(reply(1, 80, 316), state);
    ASSERT_TRUE(p.in0Items.has_value());
    EXPECT_EQ(labels(*p.in0Items),
              (std::vector<QString>{"NOT USED", "TRIGG-IN0 L/H", "TRIGG-IN0 HIGH", "SAVE VTHD->RAM",
                                    "OUTPUT WIDTH", "LASER-ON-IN0 HIGH"}));
    ASSERT_EQ(p.outputItems, outputList3());
    EXPECT_EQ(labels(*p.outputItems),
              (std::vector<QString>{"[ - ]OUT0, [+]OUT1, [OK]OUT2", "[TRG]OUT0, [+]OUT1, [OK]OUT2",
                                    "[TRG]OUT0, [-]OUT1, [OK]OUT2"}));
    EXPECT_EQ(p.outputDimmed, true);
    EXPECT_EQ(p.triggerDimmed, false);

    // Other families and rows.
    p = applyHardwareInfo(reply(6, 20280, 312, 16384), state);
    EXPECT_EQ(p.in0Item3Label, QStringLiteral("SAVE-VTHD->EE"));  // family 6 only relabels
    EXPECT_FALSE(p.in0Items.has_value());
    EXPECT_EQ(p.outputItems, outputList2());
    EXPECT_EQ(p.triggerDimmed, false);
    p = applyHardwareInfo(reply(6, 1, 316), state);
    EXPECT_EQ(p.outputItems, outputList2());
    EXPECT_FALSE(p.in0Item3Label.has_value());

    EXPECT_EQ(applyHardwareInfo(reply(102, 500, 310), state).targetDimmed, true);
    p = applyHardwareInfo(reply(102, 500, 311), state);
    EXPECT_EQ(p.targetValue, 2);
    EXPECT_EQ(p.targetDimmed, false);
    EXPECT_EQ(applyHardwareInfo(reply(101, 160, 316), state).ccdDimmed, false);  // D/A, enabled
    p = applyHardwareInfo(reply(102, 510, 316), state);
    EXPECT_EQ(p.targetDimmed, false);  // enabled, value untouched
    EXPECT_FALSE(p.targetValue.has_value());
    p = applyHardwareInfo(reply(4, 20162, 316), state);
    EXPECT_EQ(p.ccdDimmed, true);  // dimmed only, labels untouched
    EXPECT_FALSE(p.ccdLabels.has_value());
    EXPECT_EQ(p.outputItems, outputList2());
    EXPECT_EQ(p.in0Items, in0List6());
    // From 316 on, the trigger and output controls of the other families come alive too.
    const std::pair<std::uint16_t, std::uint16_t> rows[] = {{2, 250}, {4, 20162}, {101, 160}};
    for (const auto& [family, variant] : rows) {
        p = applyHardwareInfo(reply(family, variant, 316), state);
        EXPECT_TRUE(p.triggerDimmed == false && p.outputDimmed == false) << family;
    }
    EXPECT_EQ(applyHardwareInfo(reply(2, 250, 316), state).in0Items, in0List6());
}

// The row's info lines, hardware type, lists' lengths, measured decimals and CCD switch reach the
// panels in app/connect's IdentifyScopeTest; the rest of the row here. A variant the family does
// not know then keeps that model but takes the family's settings.
TEST(ModelTable, Family104ClModelFrom316ThenAnUnknownVariantOfAnotherFamily) {
    ModelState state;
    ModelProfile p = applyHardwareInfo(reply(104, 21000, 316, 12288), state);
    ASSERT_TRUE(p.outputItems.has_value());
    EXPECT_EQ(labels(*p.outputItems),
              (std::vector<QString>{"[ - ]OUT0, [+]OUT1", "[ - ]OUT0, [OK]OUT1",
                                    "[OK]OUT0, [+]OUT1", "[TRG]OUT0, [OK]OUT1"}));
    EXPECT_EQ(p.toleranceDecimals, 2);
    EXPECT_EQ(p.ccdValue, 0);

    p = applyHardwareInfo(reply(102, 777, 316, 6144), state);
    EXPECT_FALSE(p.rowMatched);
    for (const auto& line : p.infoLines) EXPECT_FALSE(line.has_value());
    EXPECT_FALSE(p.hardwareModeDimmed || p.ccdLabels);
    EXPECT_EQ(p.outputItems, outputList2());  // chosen by the kept hardware type 3
    EXPECT_EQ(state.lastPixel, 12288);        // pixel range and type of the previous model
    EXPECT_EQ(state.hardwareType, 3);
    EXPECT_EQ(state.pixelCount, 6144);
}

// Its first info line and measured decimals are shown on the panels in app/connect.
TEST(ModelTable, UnknownFamilyFallsBack) {
    ModelState state;
    const ModelProfile p = applyHardwareInfo(reply(5, 80, 316, 2048, 256), state);
    EXPECT_TRUE(p.fallBack);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(p.infoLines[i], QString(25, QLatin1Char(' ')));
    EXPECT_EQ(p.hardwareModeDimmed, true);
    EXPECT_EQ(p.toleranceDecimals, 2);
    EXPECT_EQ(p.in0Items, in0List7());
    EXPECT_EQ(p.outputItems, outputList3());
    EXPECT_FALSE(p.triggerDimmed || p.outputDimmed || p.ccdDimmed || p.targetValue);
    EXPECT_FALSE(p.ccdLabels.has_value());
    EXPECT_EQ(state.videoFullScale, 1024);
    EXPECT_EQ(state.hardwareType, 1);
    EXPECT_EQ(state.lastPixel, 2048);
}

// Storing the reply's words alone, deriving nothing, is met in the integration test ScriptedReply.
TEST(ModelTable, PixelCountPicksVideoStepUnknownCountsBecome1024ResolutionPicksFullScale) {
    ModelState state;
    ModelProfile p = applyHardwareInfo(reply(2, 350, 316, 5120), state);
    EXPECT_EQ(state.pixelCount, 5120);
    EXPECT_EQ(state.videoX[1], 18.0);
    EXPECT_EQ(state.videoX[255], 4590.0);
    EXPECT_EQ(state.lastPixel, 5120);
    EXPECT_EQ(p.videoXRange, std::pair(1.0, 5120.0));
    EXPECT_EQ(p.profileXRange, std::pair(1.0, 256.0));

    p = applyHardwareInfo(reply(2, 350, 316, 3000), state);
    EXPECT_EQ(state.pixelCount, 1024);
    EXPECT_EQ(state.videoX[255], 1020.0);
    EXPECT_EQ(state.lastPixel, 1024);
    EXPECT_EQ(p.videoXRange, std::pair(1.0, 3000.0));  // graph axis uses the count as reported
    EXPECT_EQ(videoXStepFor(16384), 64);
    EXPECT_EQ(videoXStepFor(1180), 5);
    EXPECT_FALSE(videoXStepFor(0).has_value());

    // A video resolution of 512 gives the full scale by family.
    struct Case {
        std::uint16_t family, variant, fullScale;
    };
    for (const Case c : {Case{1, 80, 256}, Case{2, 250, 256}, Case{3, 120, 256}, Case{4, 60, 1024},
                         Case{6, 20280, 1024}, Case{101, 160, 1024}, Case{102, 500, 1024},
                         Case{103, 750, 1024}, Case{104, 1000, 1024}, Case{5, 1, 1024}}) {
        ModelState fresh;
        applyHardwareInfo(reply(c.family, c.variant, 316, 4096, 512), fresh);
        EXPECT_EQ(fresh.videoFullScale, c.fullScale) << "family " << c.family;
    }
    applyHardwareInfo(reply(104, 1000, 316, 4096, 256), state);
    EXPECT_EQ(state.videoFullScale, 256);
}

}  // namespace
}  // namespace korvo
