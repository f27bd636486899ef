// The straight-line fit and the calibration values derived from it; the linearisation table:
// reading its file and cutting it into X-FLASH blocks.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>
#include <limits>

#include "core/ini/FileRead.h"
#include "core/sensorfn/Calibration.h"
#include "core/sensorfn/LineFit.h"
#include "core/sensorfn/LinearisationTable.h"
#include "support/TestFiles.h"

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
    EXPECT_DOUBLE_EQ(fitted[0], 0.6);
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

TEST(Calibration, LineThroughTwoObjectsOrOneObjectAndTheOriginNeverThroughOnePoint) {
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

    // The line on show is the one to save; a point accepted after it leaves nothing to save.
    CalibrationSteps steps;
    steps.accept(0, 250.0, 5000.0);
    EXPECT_FALSE(steps.shown.ok);
    EXPECT_EQ(steps.fit().slope, 20.0);
    EXPECT_EQ(steps.shown.slope, 20.0);
    steps.accept(1, 500.0, 6000.0);
    EXPECT_FALSE(steps.shown.ok);
    steps.fit();
    EXPECT_EQ(steps.shown.slope, 4.0);
    EXPECT_EQ(steps.shown.offset, 4000.0);

    // Equal measured values give no line.
    fit = fitCalibration(true, {200.0, 1000.0}, true, {200.0, 3000.0});
    EXPECT_FALSE(fit.ok);
    EXPECT_EQ(fit.message,
              QStringLiteral("Calibration failed: both objects have the same measured value!"));
    // One object measured at 0 lies on the origin: no line either.
    EXPECT_FALSE(fitCalibration(true, {0.0, 1000.0}, false, {}).ok);
}

TEST(Calibration, ConversionsTruncateAndWrapTo32BitsAndGoLowHalfFirst) {
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

    // In a frame the low half goes first.
    std::array<std::uint16_t, 16> words{};
    words.fill(0x1111);
    putCalibWords({0x00012800u, 0xFFFF7FEAu}, words);
    EXPECT_EQ((std::array<std::uint16_t, 5>{words[0], words[1], words[2], words[3], words[4]}),
              (std::array<std::uint16_t, 5>{0x2800, 0x0001, 0x7FEA, 0xFFFF, 0x1111}));
    EXPECT_EQ(calibFromWords(words), (CalibValues{0x00012800u, 0xFFFF7FEAu}));
}

QByteArray numbers(int count, int first = 0) {
    QByteArray text;
    for (int i = 0; i < count; ++i) text += QByteArray::number(first + i) + "\r\n";
    return text;
}

TEST(Linearisation, OneColumnInFileOrderStoredBiasedModulo65536AndTableSizeByVariant) {
    const std::pair<int, std::uint16_t> cases[] = {{0, 32767},  {100, 32867},    {40000, 7231},
                                                   {-5, 32762}, {-70000, 28303}, {-32767, 0}};
    for (const auto& [value, stored] : cases) EXPECT_EQ(linStoredValue(value), stored) << value;
    EXPECT_EQ(linTableSize(400), 1024);
    EXPECT_EQ(linTableSize(80), 2048);

    // One column in file order.
    XFlashTable table{};
    QByteArray text = "0\r\n100\n  40000\t\n-5\n+7\n-32768 65535\n";
    text += numbers(2041, 1000);
    const LinLoadResult r = parseLinearisationText(text, 2048, table);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ((std::array<std::uint16_t, 7>{table[0], table[1], table[2], table[3], table[4],
                                            table[5], table[6]}),
              (std::array<std::uint16_t, 7>{32767, 32867, 7231, 32762, 32774, 65535, 32766}));
    EXPECT_EQ(table[2047], 32767 + 1000 + 2040);
}

TEST(Linearisation, BadFilesLeaveTableUnchanged) {
    XFlashTable table{};
    table.fill(0x1234);
    const XFlashTable before = table;

    LinLoadResult r = parseLinearisationText(numbers(2047), 2048, table);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, QStringLiteral("Linearisation file: 2047 values found, 2048 needed."));
    for (const char* bad : {"1.5", "12abc", "-", "+-4", "99999999999999999999"}) {
        r = parseLinearisationText(QByteArray(bad) + "\n" + numbers(1024), 1024, table);
        EXPECT_FALSE(r.ok) << bad;
    }
    // The line no table can hold is named, for the short table of variant 400 as well: nothing is
    // wrapped into 16 bits or left unread.
    const QByteArray x40(40, 'x');  // a word of up to 40 characters is shown whole
    const struct {
        QByteArray text, error;
    } refused[] = {
        {"1\n2\n" + x40 + "\n" + numbers(2048), "line 3: \"" + x40 + "\" is not a whole number."},
        {numbers(2) + "70000\n" + numbers(2045), "line 3: 70000 is outside -32768..65535."},
        {"-32769\n" + numbers(2047), "line 1: -32769 is outside -32768..65535."},
        {numbers(2049), "line 2049: more than 2048 values, more than a table holds."},
        {numbers(2048) + x40 + "y", "line 2049: \"" + x40 + "...\" is not a whole number."},
    };
    for (const auto& f : refused) {
        for (const int size : {1024, 2048}) {
            r = parseLinearisationText(f.text, size, table);
            EXPECT_EQ(r.error, "Linearisation file: " + QString::fromLatin1(f.error));
        }
    }
    EXPECT_EQ(table, before);

    // Variant 400 needs only 1024 values, and takes a full file; the rest of the table stays.
    ASSERT_TRUE(parseLinearisationText(numbers(1024), 1024, table).ok);
    EXPECT_EQ(table[1023], 32767 + 1023);
    EXPECT_EQ(table[1024], 0x1234);
    ASSERT_TRUE(parseLinearisationText(numbers(2048, 1), 1024, table).ok);
    EXPECT_EQ(table[1023], 32767 + 1024);
    EXPECT_EQ(table[1024], 0x1234);
}

// The other kinds of path a reader refuses are met in FileRead.
TEST(Linearisation, LoadsOnlyRegularFilesAndSaysWhyNot) {
    QTemporaryDir dir;
    const QString big = dir.filePath("big.dat");
    test::makeSparseFile(big, kMaxTextFileBytes + 1, numbers(2048));
    const std::pair<QString, const char*> refused[] = {
        {dir.filePath("missing.dat"), "No such file or directory"},
        {big, "larger than 8388608 bytes"}};
    XFlashTable table{};
    for (const auto& [path, reason] : refused) {
        const LinLoadResult r = loadLinearisationFile(path, 2048, table);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error,
                  QStringLiteral("Cannot read linearisation file %1: %2").arg(path, reason));
    }
    EXPECT_EQ(table, XFlashTable{});

    // A Windows editor's byte-order mark before the first number is no error.
    test::writeFileBytes(dir.filePath("XF-LINEAR.DAT"), "\xEF\xBB\xBF" + numbers(2048, 1));
    const LinLoadResult r = loadLinearisationFile(dir.filePath("XF-LINEAR.DAT"), 2048, table);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(table[0], 32768);
}

TEST(Linearisation, BlocksTheirWordsAndPageMessages) {
    XFlashTable table{};
    for (int i = 0; i < kXFlashTableWords; ++i) table[i] = static_cast<std::uint16_t>(i);
    const XFlashRequest write = xflashWriteRequest(table, {3, 16});
    EXPECT_EQ(write.argument, 16);
    EXPECT_EQ(write.data, (std::array<std::uint16_t, 15>{3, 272, 273, 274, 275, 276, 277, 278, 279,
                                                         0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(xflashBlockStart({9, 248}), 2040);
    const XFlashRequest clear = xflashClearRequest();
    EXPECT_EQ(clear.argument, 0);
    for (std::uint16_t w : clear.data) EXPECT_EQ(w, 0x00AA);

    const std::vector<XFlashBlock> small = xflashBlocks(linTableSize(400));
    ASSERT_EQ(small.size(), 128u);
    EXPECT_EQ(small[1], (XFlashBlock{2, 8}));
    EXPECT_EQ(small[32], (XFlashBlock{3, 0}));
    EXPECT_EQ(small.back(), (XFlashBlock{5, 248}));
    EXPECT_FALSE(isLastXFlashBlock(small.back().page, small.back().offset));
    const std::vector<XFlashBlock> full = xflashBlocks(2048);
    ASSERT_EQ(full.size(), 256u);
    EXPECT_TRUE(isLastXFlashBlock(full.back().page, full.back().offset));

    EXPECT_EQ(xflashPageMessage(2), QStringLiteral("X-FLASH-write OK: PAGE2 ..."));
    EXPECT_EQ(xflashPageMessage(9), QStringLiteral("X-FLASH-write OK: PAGE9 ..."));
    EXPECT_FALSE(xflashPageMessage(1).has_value());
    EXPECT_FALSE(xflashPageMessage(10).has_value());
}

}  // namespace
}  // namespace korvo
