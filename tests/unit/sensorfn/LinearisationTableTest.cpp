// The linearisation table: reading its file and cutting it into X-FLASH blocks.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/ini/FileRead.h"
#include "core/sensorfn/LinearisationTable.h"
#include "support/UnreadableFiles.h"

namespace korvo {
namespace {

QByteArray numbers(int count, int first = 0) {
    QByteArray text;
    for (int i = 0; i < count; ++i) text += QByteArray::number(first + i) + "\r\n";
    return text;
}

TEST(Linearisation, StoredValueIsBiasedModulo65536AndTableSizeByVariant) {
    const std::pair<int, std::uint16_t> cases[] = {{0, 32767},  {100, 32867},    {40000, 7231},
                                                   {-5, 32762}, {-70000, 28303}, {-32767, 0}};
    for (const auto& [value, stored] : cases) EXPECT_EQ(linStoredValue(value), stored) << value;
    EXPECT_EQ(linTableSize(400), 1024);
    EXPECT_EQ(linTableSize(80), 2048);
}

TEST(Linearisation, ParsesOneColumnInFileOrder) {
    XFlashTable table{};
    QByteArray text = "0\r\n100\n  40000\t\n-5\n+7\n";
    text += numbers(2043, 1000);
    text += "garbage after the table is not read";
    const LinLoadResult r = parseLinearisationText(text, 2048, table);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(
        (std::array<std::uint16_t, 6>{table[0], table[1], table[2], table[3], table[4], table[5]}),
        (std::array<std::uint16_t, 6>{32767, 32867, 7231, 32762, 32774, 33767}));
    EXPECT_EQ(table[2047], 32767 + 1000 + 2042);
}

TEST(Linearisation, BadFilesLeaveTableUnchanged) {
    XFlashTable table{};
    table.fill(0x1234);
    const XFlashTable before = table;

    LinLoadResult r = parseLinearisationText(numbers(2047), 2048, table);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, QStringLiteral("Linearisation file: 2047 values found, 2048 needed."));
    r = parseLinearisationText("1\n2\nthree\n" + numbers(2048), 2048, table);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error,
              QStringLiteral("Linearisation file: line 3: \"three\" is not a whole number."));
    for (const char* bad : {"1.5", "12abc", "-", "+-4", "99999999999999999999"}) {
        r = parseLinearisationText(QByteArray(bad) + "\n" + numbers(1024), 1024, table);
        EXPECT_FALSE(r.ok) << bad;
    }
    EXPECT_EQ(table, before);

    // Variant 400 needs only 1024 values; the rest of the table stays.
    ASSERT_TRUE(parseLinearisationText(numbers(1024), 1024, table).ok);
    EXPECT_EQ(table[1023], 32767 + 1023);
    EXPECT_EQ(table[1024], 0x1234);
}

TEST(Linearisation, LoadsOnlyRegularFilesAndSaysWhyNot) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo.dat");
    const QString big = dir.filePath("big.dat");
    test::makeFifo(fifo);
    test::makeSparseFile(big, kMaxTextFileBytes + 1, numbers(2048));
    const std::pair<QString, const char*> refused[] = {
        {dir.filePath("missing.dat"), "No such file or directory"},
        {fifo, "not a regular file but a FIFO"},
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
    QFile file(dir.filePath("XF-LINEAR.DAT"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF" + numbers(2048, 1));
    file.close();
    const LinLoadResult r = loadLinearisationFile(file.fileName(), 2048, table);
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
