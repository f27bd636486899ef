// The INI text format as every settings file is read. Any bytes are read without fault; what was
// read is written out so that reading the written bytes gives them back unchanged; integer values
// are read as a plain decimal reading of the same text gives them.

#include <QByteArrayView>
#include <algorithm>
#include <optional>

#include "FuzzCheck.h"
#include "core/ini/IniValue.h"

namespace {

// A second reading of an INI integer: sign and digits after trimming, leading zeros dropped,
// then the 32-bit range.
std::optional<std::int32_t> plainDecimal(QByteArrayView text) {
    QByteArrayView t = text.trimmed();
    const bool negative = t.startsWith('-');
    if (t.startsWith('-') || t.startsWith('+')) t = t.sliced(1);
    if (t.isEmpty() ||
        !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    while (t.size() > 1 && t.front() == '0') t = t.sliced(1);
    if (t.size() > 10) return std::nullopt;
    const long long value = (negative ? -1 : 1) * t.toByteArray().toLongLong();
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

bool linesWithin(const QByteArray& text, qsizetype limit) {
    for (qsizetype start = 0, end = 0; start < text.size(); start = end + 2) {
        end = text.indexOf("\r\n", start);
        if (end < 0) end = text.size();
        if (end - start > limit) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvo;
    const QByteArray bytes = fuzz::inputBytes(data, size);
    const IniFile ini = fuzz::iniFrom(bytes);
    const QByteArray written = ini.toBytes();
    FUZZ_CHECK(written.isEmpty() == ini.isEmpty());

    // Writing puts blanks around '=', so a line close to the length limit may grow beyond it;
    // every file whose written lines stay within the limit reads back byte for byte.
    const IniFile again = fuzz::iniFrom(written);
    if (linesWithin(written, IniFile::kMaxLineBytes)) {
        FUZZ_CHECK(again.skippedLineCount() == 0);
        FUZZ_CHECK(again.sectionCount() == ini.sectionCount());
        FUZZ_CHECK(again.toBytes() == written);
    }

    // The whole input and its start as one value, so that short numbers come up often.
    for (const QByteArrayView text :
         {QByteArrayView(bytes), QByteArrayView(bytes).first(std::min<qsizetype>(size, 24))})
        FUZZ_CHECK(parseIniInt(text) == plainDecimal(text));
    return 0;
}
