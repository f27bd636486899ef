#include "core/sensorfn/LinearisationTable.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "core/ini/FileRead.h"

namespace korvo {

int linTableSize(std::uint16_t variantCode) {
    return variantCode == 400 ? 1024 : 2048;
}

std::uint16_t linStoredValue(long long fileValue) {
    // The bias is taken modulo 65536 first so the sum cannot overflow for any input.
    const long long wrapped = ((fileValue % 65536) + 65536 + 32767) % 65536;
    return static_cast<std::uint16_t>(wrapped);
}

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

}  // namespace

LinLoadResult parseLinearisationText(const QByteArray& text, int tableSize, XFlashTable& table) {
    LinLoadResult result;
    tableSize = std::clamp(tableSize, 0, kXFlashTableWords);
    XFlashTable loaded = table;

    const QByteArrayView numbers = withoutUtf8Bom(text);
    const char* p = numbers.data();
    const char* const end = p + numbers.size();
    int line = 1;
    int count = 0;
    // The whole file is read, past the numbers this table takes: a file that no table could
    // hold, or with anything but a 16-bit value in it, is refused whatever the model.
    while (true) {
        while (p != end && isBlank(*p)) {
            if (*p == '\n') ++line;
            ++p;
        }
        if (p == end) break;
        const char* tokenEnd = p;
        while (tokenEnd != end && !isBlank(*tokenEnd)) ++tokenEnd;
        // A message shows the start of a token; a file can be one long word.
        const auto token = [p, tokenEnd] {
            constexpr qsizetype kShown = 40;
            const qsizetype size = tokenEnd - p;
            return QString::fromLatin1(p, std::min(size, kShown)) +
                   (size > kShown ? QStringLiteral("...") : QString());
        };

        const char* digits = p;
        if (*digits == '+') ++digits;  // from_chars takes '-' but not '+'
        long long value = 0;
        const auto [stop, ec] = std::from_chars(digits, tokenEnd, value);
        if (digits == tokenEnd || (digits != p && *digits == '-') || ec != std::errc() ||
            stop != tokenEnd) {
            result.error =
                QStringLiteral("Linearisation file: line %1: \"%2\" is not a whole number.")
                    .arg(line)
                    .arg(token());
            return result;
        }
        // A 16-bit value read as unsigned, or a negative one that wraps as before.
        if (value < kLinFileMin || value > kLinFileMax) {
            result.error = QStringLiteral("Linearisation file: line %1: %2 is outside %3..%4.")
                               .arg(line)
                               .arg(token())
                               .arg(kLinFileMin)
                               .arg(kLinFileMax);
            return result;
        }
        if (count == kXFlashTableWords) {
            result.error = QStringLiteral(
                               "Linearisation file: line %1: more than %2 values, more than a "
                               "table holds.")
                               .arg(line)
                               .arg(kXFlashTableWords);
            return result;
        }
        if (count < tableSize) loaded[static_cast<std::size_t>(count)] = linStoredValue(value);
        ++count;
        p = tokenEnd;
    }
    if (count < tableSize) {
        result.error = QStringLiteral("Linearisation file: %1 values found, %2 needed.")
                           .arg(count)
                           .arg(tableSize);
        return result;
    }
    table = loaded;
    result.ok = true;
    return result;
}

LinLoadResult loadLinearisationFile(const QString& path, int tableSize, XFlashTable& table) {
    const FileReadResult read = readRegularFile(path, kMaxTextFileBytes);
    if (!read.ok) {
        LinLoadResult result;
        result.error =
            QStringLiteral("Cannot read linearisation file %1: %2").arg(path, read.reason);
        return result;
    }
    return parseLinearisationText(read.bytes, tableSize, table);
}

int xflashBlockStart(const XFlashBlock& block) {
    return (block.page - kXFlashFirstPage) * kXFlashPageWords + block.offset;
}

std::vector<XFlashBlock> xflashBlocks(int tableSize) {
    std::vector<XFlashBlock> blocks;
    const int pages = std::clamp(tableSize, 0, kXFlashTableWords) / kXFlashPageWords;
    for (int page = 0; page < pages; ++page) {
        for (int offset = 0; offset < kXFlashPageWords; offset += kXFlashBlockWords) {
            blocks.push_back({static_cast<std::uint16_t>(kXFlashFirstPage + page),
                              static_cast<std::uint16_t>(offset)});
        }
    }
    return blocks;
}

XFlashRequest xflashClearRequest() {
    XFlashRequest request;
    request.argument = 0;
    request.data.fill(0x00AA);
    return request;
}

XFlashRequest xflashWriteRequest(const XFlashTable& table, const XFlashBlock& block) {
    XFlashRequest request;
    request.argument = block.offset;
    request.data[0] = block.page;
    const int start = xflashBlockStart(block);
    for (int i = 0; i < kXFlashBlockWords; ++i) {
        const int index = start + i;
        // Blocks outside the table carry zeros instead of reading past its end.
        request.data[1 + i] =
            (index >= 0 && index < kXFlashTableWords) ? table[static_cast<std::size_t>(index)] : 0;
    }
    return request;
}

}  // namespace korvo
