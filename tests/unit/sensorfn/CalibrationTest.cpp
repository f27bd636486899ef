// The straight-line fit and the calibration values derived from it.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/sensorfn/Calibration.h"
#include "core/sensorfn/LineFit.h"

namespace korvo {
namespace {

TEST(LineFit, LeastSquaresAndRefusalsWithoutTouchingOutputs) {
    const std::array<double, 4> x{0.0, 1.0, 2.0, 3.0};
    const std::array<double, 4> y{1.0, 3.0, 5.0, 9.0};
    std::array<double, 4> fitted{};
    double slope = 0.0, intercept = 0.0, mse = 0.0;
    ASSERT_EQ(LinFit(x, y, fitted, slope, intercept, mse), kLinFitOk);
    EXPECT_DOUBLE_EQ(slope, 2.6);
    EXPECT_DOUBLE_EQ(intercept, 0.6);
    EXPECT_DOUBLE_EQ(fitted[3], 8.4);
    EXPECT_NEAR(mse, 0.3, 1e-12);  // residuals 0.4, -0.2, -0.8, 0.6

    const std::array<double, 2> sameX{5.0, 5.0};
    const std::span<const double> two(y.data(), 2), one(y.data(), 1);
    std::array<double, 2> out{-1.0, -1.0};
    slope = 7.0;
    EXPECT_EQ(LinFit(sameX, two, out, slope, intercept, mse), kLinFitDegenerate);
    EXPECT_EQ(
        LinFit(std::span(sameX).first(1), one, std::span(out).first(1), slope, intercept, mse),
        kLinFitTooFewPoints);
    EXPECT_EQ(LinFit(sameX, one, out, slope, intercept, mse), kLinFitSizeMismatch);
    EXPECT_EQ(slope, 7.0);
    EXPECT_EQ(out[0], -1.0);
}

TEST(Calibration, LineThroughTwoObjectsOrOneObjectAndTheOrigin) {
    CalibFitResult fit = fitCalibration(true, {100.0, 1000.0}, true, {300.0, 3000.0});
    ASSERT_TRUE(fit.ok);
    EXPECT_EQ(umSlopeFromSlope(fit.slope), 10240u);
    EXPECT_EQ(umOffsetFromOffset(fit.offset), 32767u);

    fit = fitCalibration(true, {250.0, 5000.0}, false, {999.0, 1.0});
    ASSERT_TRUE(fit.ok);
    EXPECT_EQ(fit.slope, 20.0);
    EXPECT_EQ(fit.offset, 0.0);
    fit = fitCalibration(false, {999.0, 1.0}, true, {400.0, 2000.0});  // point 1 ignored
    ASSERT_TRUE(fit.ok);
    EXPECT_EQ(fit.slope, 5.0);
    EXPECT_EQ(fit.offset, 0.0);
}

TEST(Calibration, EqualMeasuredValuesAreRefused) {
    CalibFitResult fit = fitCalibration(true, {200.0, 1000.0}, true, {200.0, 3000.0});
    EXPECT_FALSE(fit.ok);
    EXPECT_EQ(fit.message,
              QStringLiteral("Calibration failed: both objects have the same measured value!"));
    // One object measured at 0 lies on the origin: no line either.
    EXPECT_FALSE(fitCalibration(true, {0.0, 1000.0}, false, {}).ok);
}

TEST(Calibration, ConversionsTruncateAndWrapTo32Bits) {
    EXPECT_EQ(umOffsetFromOffset(-20.5), 32746u);
    EXPECT_EQ(offsetFromUmOffset(32746), -21);
    EXPECT_EQ(offsetFromUmOffset(0), -32767);
    EXPECT_EQ(offsetFromUmOffset(4294967295u), -32768);
    EXPECT_EQ(umSlopeFromSlope(0.0009765625), 1u);
    EXPECT_EQ(umSlopeFromSlope(1.021), 1045u);  // 1045.5: truncated, not rounded
    EXPECT_EQ(slopeFromUmSlope(1536), 1.5f);
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, std::uint32_t> cases[] = {
        {-1.0, 4294967295u}, {-0.9, 0u},         {2147483648.7, 2147483648u},  // top bit kept
        {1e20, 1661992960u},                                                   // 1e20 modulo 2^32
        {-3e9, 1294967296u}, {std::nan(""), 0u}, {inf, 0u},
        {-inf, 0u}};
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(truncateToUint32(value), expected) << value;
}

TEST(Calibration, FrameWordsAreLowHalfFirst) {
    std::array<std::uint16_t, 16> words{};
    words.fill(0x1111);
    putCalibWords({0x00012800u, 0xFFFF7FEAu}, words);
    EXPECT_EQ((std::array<std::uint16_t, 5>{words[0], words[1], words[2], words[3], words[4]}),
              (std::array<std::uint16_t, 5>{0x2800, 0x0001, 0x7FEA, 0xFFFF, 0x1111}));
    EXPECT_EQ(calibFromWords(words), (CalibValues{0x00012800u, 0xFFFF7FEAu}));
}

}  // namespace
}  // namespace korvo
