#pragma once
// The X-FLASH linearisation table: loading it from its text file, the biased stored values, and
// the blocks of 8 words in which it is written into the sensor's flash pages 2..9.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "core/link/XFlashEcho.h"

namespace korvo {

inline constexpr int kXFlashTableWords = 2048;
inline constexpr int kXFlashPageWords = 256;
inline constexpr int kXFlashBlockWords = 8;

using XFlashTable = std::array<std::uint16_t, kXFlashTableWords>;

// 1024 words (pages 2..5) for model variant 400, otherwise 2048 (pages 2..9).
int linTableSize(std::uint16_t variantCode);

// Stored value = file value + 32767, modulo 65536 (negative values wrap the same way).
std::uint16_t linStoredValue(long long fileValue);

struct LinLoadResult {
    bool ok = false;
    QString error;  // what was wrong with the file when !ok
};

// What a file value may be: a 16-bit value read as unsigned, or negative down to -32768.
inline constexpr long long kLinFileMin = -32768;
inline constexpr long long kLinFileMax = 65535;

// Reads tableSize whole decimal numbers (optional sign) separated by white space, in file order,
// into table[0..tableSize-1] as stored values; the numbers after them are checked and left out.
// Fewer numbers, more than kXFlashTableWords, a number outside kLinFileMin..kLinFileMax, or
// anything else where a number belongs, is an error naming its line, and the table keeps its
// previous content entirely.
// A UTF-8 byte-order mark at the start is skipped. The file is read only when it is a regular
// file of at most kMaxTextFileBytes (8 MiB); anything else is an error naming the reason.
LinLoadResult parseLinearisationText(const QByteArray& text, int tableSize, XFlashTable& table);
LinLoadResult loadLinearisationFile(const QString& path, int tableSize, XFlashTable& table);

struct XFlashBlock {
    std::uint16_t page = kXFlashFirstPage;
    std::uint16_t offset = 0;
    bool operator==(const XFlashBlock&) const = default;
};

// Table index of a block's first word: (page - 2) x 256 + offset.
int xflashBlockStart(const XFlashBlock& block);

// Every block of a table of tableSize words, page by page, offsets 0, 8, ..., 248 in each page.
std::vector<XFlashBlock> xflashBlocks(int tableSize);

// The request of a flash exchange apart from its command code: the argument word (frame word 2)
// and the 15 data words (frame words 3..17).
struct XFlashRequest {
    std::uint16_t argument = 0;
    std::array<std::uint16_t, 15> data{};
};

inline constexpr std::uint16_t kCmdClearXFlash = 101;
inline constexpr std::uint16_t kCmdWriteXFlashBlock = 102;

// Command 101: argument 0, every data word 0x00AA.
XFlashRequest xflashClearRequest();
// Command 102: argument = offset, data word 0 = page, data words 1..8 = the block's 8 table
// words, the rest 0.
XFlashRequest xflashWriteRequest(const XFlashTable& table, const XFlashBlock& block);

}  // namespace korvo
