#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/sensorfn/Calibration.h"
#include "core/sensorfn/LineFit.h"

namespace korvo {
namespace {

TEST(LineFit, LeastSquaresOverSeveralPoints) {
    const std::array<double, 4> x{0.0, 1.0, 2.0, 3.0};
    const std::array<double, 4> y{1.0, 3.0, 5.0, 9.0};
    std::array<double, 4> fitted{};
    double slope = 0.0, intercept = 0.0, mse = 0.0;
    ASSERT_EQ(LinFit(x, y, fitted, slope, intercept, mse), kLinFitOk);
    EXPECT_DOUBLE_EQ(slope, 2.6);
    EXPECT_DOUBLE_EQ(intercept, 0.6);
    EXPECT_DOUBLE_EQ(fitted[3], 8.4);
    // Residuals 0.4, -0.2, -0.8, 0.6 -> squares 0.16 + 0.04 + 0.64 + 0.36 = 1.2, over 4.
    EXPECT_NEAR(mse, 0.3, 1e-12);
}

TEST(LineFit, RefusesWithoutTouchingOutputs) {
    const std::array<double, 2> sameX{5.0, 5.0};
    const std::array<double, 2> y{1.0, 2.0};
    std::array<double, 2> fitted{-1.0, -1.0};
    double slope = 7.0, intercept = 8.0, mse = 9.0;
    EXPECT_EQ(LinFit(sameX, y, fitted, slope, intercept, mse), kLinFitDegenerate);
    EXPECT_EQ(LinFit(std::span<const double>(sameX).first(1), std::span<const double>(y).first(1),
                     std::span<double>(fitted).first(1), slope, intercept, mse),
              kLinFitTooFewPoints);
    EXPECT_EQ(LinFit(sameX, std::span<const double>(y).first(1), fitted, slope, intercept, mse),
              kLinFitSizeMismatch);
    EXPECT_EQ(slope, 7.0);
    EXPECT_EQ(intercept, 8.0);
    EXPECT_EQ(mse, 9.0);
    EXPECT_EQ(fitted[0], -1.0);
}

TEST(Calibration, TwoObjectsGiveLineThroughBoth) {
    const CalibFitResult fit = fitCalibration(true, {100.0, 1000.0}, true, {300.0, 3000.0});
    ASSERT_TRUE(fit.ok);
    EXPECT_EQ(fit.slope, 10.0);
    EXPECT_EQ(fit.offset, 0.0);
    EXPECT_EQ(umSlopeFromSlope(fit.slope), 10240u);
    EXPECT_EQ(umOffsetFromOffset(fit.offset), 32767u);
    EXPECT_EQ(slopeFromUmSlope(10240), 10.0f);
    EXPECT_EQ(offsetFromUmOffset(32767), 0);
}

TEST(Calibration, OneObjectGivesLineThroughOrigin) {
    // Only object 1 accepted.
    CalibFitResult fit = fitCalibration(true, {250.0, 5000.0}, false, {999.0, 1.0});
    ASSERT_TRUE(fit.ok);
    EXPECT_EQ(fit.slope, 20.0);
    EXPECT_EQ(fit.offset, 0.0);
    // Only object 2 accepted: point 1 is ignored.
    fit = fitCalibration(false, {999.0, 1.0}, true, {400.0, 2000.0});
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
    fit = fitCalibration(true, {0.0, 1000.0}, false, {});
    EXPECT_FALSE(fit.ok);
}

TEST(Calibration, ConversionsTruncateAndWrapTo32Bits) {
    EXPECT_EQ(umOffsetFromOffset(-20.5), 32746u);
    EXPECT_EQ(offsetFromUmOffset(32746), -21);
    EXPECT_EQ(truncateToUint32(-1.0), 4294967295u);
    EXPECT_EQ(truncateToUint32(-0.9), 0u);
    EXPECT_EQ(truncateToUint32(2147483648.7), 2147483648u);  // top bit kept
    EXPECT_EQ(truncateToUint32(1e20), 1661992960u);          // 1e20 modulo 2^32
    EXPECT_EQ(truncateToUint32(-3e9), 1294967296u);
    EXPECT_EQ(truncateToUint32(std::nan("")), 0u);
    EXPECT_EQ(truncateToUint32(std::numeric_limits<double>::infinity()), 0u);
    EXPECT_EQ(truncateToUint32(-std::numeric_limits<double>::infinity()), 0u);
    EXPECT_EQ(umSlopeFromSlope(0.0009765625), 1u);
    EXPECT_EQ(offsetFromUmOffset(0), -32767);
    EXPECT_EQ(offsetFromUmOffset(4294967295u), -32768);
    EXPECT_EQ(slopeFromUmSlope(1536), 1.5f);
}

TEST(Calibration, FrameWordsAreLowHalfFirst) {
    std::array<std::uint16_t, 16> words{};
    words.fill(0x1111);
    putCalibWords({0x00012800u, 0xFFFF7FEAu}, words);
    EXPECT_EQ(words[0], 0x2800);
    EXPECT_EQ(words[1], 0x0001);
    EXPECT_EQ(words[2], 0x7FEA);
    EXPECT_EQ(words[3], 0xFFFF);
    EXPECT_EQ(words[4], 0x1111);  // untouched
    EXPECT_EQ(calibFromWords(words), (CalibValues{0x00012800u, 0xFFFF7FEAu}));
}

}  // namespace
}  // namespace korvo
