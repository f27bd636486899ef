// The linearisation file: any bytes are read without fault. A file that is refused leaves the
// table exactly as it was and says why; a file that is taken fills the table's first entries
// and leaves the rest alone. The first byte picks the table size, so that short files fill small
// tables as well as the real sizes of 1024 and 2048 entries.

#include <algorithm>
#include <array>

#include "FuzzCheck.h"
#include "core/sensorfn/LinearisationTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvo;
    if (size == 0) return 0;
    constexpr std::array<int, 10> kSizes = {0, 1, 2, 3, 5, 8, 16, -1, 1024, 2048};
    const int tableSize = kSizes[data[0] % kSizes.size()];
    const QByteArray text = fuzz::inputBytes(data + 1, size - 1);

    XFlashTable table;
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<std::uint16_t>(i * 7919);
    const XFlashTable before = table;
    const LinLoadResult result = parseLinearisationText(text, tableSize, table);
    if (!result.ok) {
        FUZZ_CHECK(table == before);
        FUZZ_CHECK(!result.error.isEmpty());
        return 0;
    }
    FUZZ_CHECK(result.error.isEmpty());
    const auto untouched = static_cast<std::ptrdiff_t>(std::max(tableSize, 0));
    FUZZ_CHECK(std::equal(table.begin() + untouched, table.end(), before.begin() + untouched));
    return 0;
}
