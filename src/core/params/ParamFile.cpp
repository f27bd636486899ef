#include "core/params/ParamFile.h"

#include <algorithm>
#include <optional>

#include "core/ini/IniValue.h"

namespace korvo {

namespace {

// One parameter-file key and its field: exactly one of the two member pointers is set.
struct FileField {
    const char* section;
    const char* key;
    std::uint16_t ParamSet::*field16;
    std::uint32_t ParamSet::*field32;
};

constexpr FileField f16(const char* section, const char* key, std::uint16_t ParamSet::*field) {
    return {section, key, field, nullptr};
}
constexpr FileField f32(const char* section, const char* key, std::uint32_t ParamSet::*field) {
    return {section, key, nullptr, field};
}

constexpr std::array<FileField, 28> kFields = {
    f16(kPara0Section, kPara0Keys[0], &ParamSet::power),
    f16(kPara0Section, kPara0Keys[1], &ParamSet::powerMode),
    f16(kPara0Section, kPara0Keys[2], &ParamSet::polarity),
    f16(kPara0Section, kPara0Keys[3], &ParamSet::evalMode),
    f16(kPara0Section, kPara0Keys[4], &ParamSet::evalBegin),
    f16(kPara0Section, kPara0Keys[5], &ParamSet::evalEnd),
    f16(kPara0Section, kPara0Keys[6], &ParamSet::teachValue),
    f16(kPara0Section, kPara0Keys[7], &ParamSet::upperTolerance),
    f16(kPara0Section, kPara0Keys[8], &ParamSet::lowerTolerance),
    f16(kPara0Section, kPara0Keys[9], &ParamSet::average),
    f16(kPara0Section, kPara0Keys[10], &ParamSet::extTriggerMode),
    f16(kPara0Section, kPara0Keys[11], &ParamSet::analogOutMode),
    f16(kPara0Section, kPara0Keys[12], &ParamSet::ccdOperationMode),
    f16(kPara0Section, kPara0Keys[13], &ParamSet::hardwareMode),
    f16(kPara0Section, kPara0Keys[14], &ParamSet::videoThdMode),
    f16(kPara1Section, kPara1Keys[0], &ParamSet::videoThdFix),
    f16(kPara1Section, kPara1Keys[1], &ParamSet::videoThdAuto),
    f16(kPara1Section, kPara1Keys[2], &ParamSet::rs232Mode),
    f16(kPara1Section, kPara1Keys[3], &ParamSet::rs232Baudrate),
    f16(kPara1Section, kPara1Keys[4], &ParamSet::filterType),
    f16(kPara1Section, kPara1Keys[5], &ParamSet::analogZoomMode),
    f16(kPara1Section, kPara1Keys[6], &ParamSet::intTriggerMode),
    f16(kPara1Section, kPara1Keys[7], &ParamSet::triggerPixel),
    f16(kPara1Section, kPara1Keys[8], &ParamSet::digitalOutMode),
    f16(kPara1Section, kPara1Keys[9], &ParamSet::para10),
    f16(kPara1Section, kPara1Keys[10], &ParamSet::para11),
    f32(kPara1Section, kPara1Keys[11], &ParamSet::umSlope),
    f32(kPara1Section, kPara1Keys[12], &ParamSet::umOffset),
};

// Every key the reader looks up, with its field: the 28 keys, then the older name of
// CCD-Operation-Mode.
struct ReaderKey {
    const FileField* field;
    const char* key;
};
std::vector<ReaderKey> readerKeys() {
    std::vector<ReaderKey> keys;
    for (const FileField& f : kFields) {
        keys.push_back({&f, f.key});
        if (f.field16 == &ParamSet::ccdOperationMode) keys.push_back({&f, kCcdOpModeShortKey});
    }
    return keys;
}

// An optional sign and decimal digits. The value stops growing far beyond any field, so that a
// long row of digits is a number out of range rather than no number.
std::optional<long long> plainDecimal(QByteArrayView text) {
    const bool negative = text.startsWith('-');
    if (negative || text.startsWith('+')) text = text.sliced(1);
    if (text.isEmpty()) return std::nullopt;
    constexpr long long kFar = 1'000'000'000'000LL;
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        if (value < kFar) value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

QString outside(long long low, long long high) {
    return QStringLiteral("outside %1..%2").arg(low).arg(high);
}

constexpr long long kInt32Min = -2147483648LL;
constexpr long long kInt32Max = 2147483647LL;

// Why the text may not go into the field; nothing when it may. Ranges that depend on the pixel
// count are left out while it is 0.
std::optional<QString> valueProblem(const FileField& f, QByteArrayView text,
                                    std::uint16_t pixelCount) {
    const std::optional<long long> value = plainDecimal(text);
    if (!value) return QStringLiteral("not a whole number");
    // um-Slope and um-Offset are written as signed 32-bit numbers.
    const long long widthLow = f.field32 != nullptr ? kInt32Min : 0;
    const long long widthHigh = f.field32 != nullptr ? kInt32Max : 0xFFFF;
    if (*value < widthLow || *value > widthHigh) return outside(widthLow, widthHigh);
    if (f.field32 != nullptr) return std::nullopt;

    int low = 0;
    int high = 0xFFFF;
    bool byModel = false;
    if (f.field16 == &ParamSet::teachValue) {
        // The set point lies on the line, as the teach value field and korvo test keep it.
        low = 1;
        high = pixelCount - 1;
        byModel = true;
    } else {
        for (const FieldRange& r : fieldRanges()) {
            if (r.field != f.field16) continue;
            low = rangeValue(r.low, pixelCount);
            high = rangeValue(r.high, pixelCount);
            byModel = r.low == kPixelCount || r.high == kPixelCount;
        }
    }
    if (byModel && pixelCount == 0) return std::nullopt;
    if (*value < low || *value > high)
        return outside(low, high) + (byModel ? QStringLiteral(" for this model") : QString());
    return std::nullopt;
}

void inFileOrder(std::vector<ParamValueProblem>& problems) {
    std::stable_sort(
        problems.begin(), problems.end(),
        [](const ParamValueProblem& a, const ParamValueProblem& b) { return a.line < b.line; });
}

}  // namespace

QString ParamValueProblem::text() const {
    return QStringLiteral("line %1, %2 = \"%3\": %4")
        .arg(line)
        .arg(key, QString::fromLatin1(value), reason);
}

IniFile paramFileIni(const ParamSet& p) {
    IniFile ini(false);
    for (const FileField& f : kFields) {
        if (f.field16 != nullptr) {
            ini.putInt(f.section, f.key, p.*f.field16);
        } else {
            ini.putUInt32(f.section, f.key, p.*f.field32);
        }
    }
    return ini;
}

FileWriteResult SendParaToFileI(const ParamSet& p, const QString& path) {
    return paramFileIni(p).writeToFile(path);
}

std::vector<ParamValueProblem> applyParamIni(const IniFile& ini, ParamSet& p) {
    std::vector<ParamValueProblem> unread;
    const auto read = [&](const char* section, const char* key) {
        const std::optional<IniFile::RawValue> raw = ini.rawValue(section, key);
        if (!raw) return std::optional<std::int32_t>();
        const std::optional<std::int32_t> value = parseIniInt(raw->text);
        if (!value) {
            const bool number = plainDecimal(raw->text).has_value();
            unread.push_back(
                {QLatin1String(key), raw->line, raw->text,
                 number ? outside(kInt32Min, kInt32Max) : QStringLiteral("not a whole number")});
        }
        return value;
    };
    for (const FileField& f : kFields) {
        std::optional<std::int32_t> value = read(f.section, f.key);
        if (!value && f.field16 == &ParamSet::ccdOperationMode) {
            value = read(f.section, kCcdOpModeShortKey);
        }
        if (!value) continue;
        if (f.field16 != nullptr) {
            p.*f.field16 = static_cast<std::uint16_t>(fromInt32Pattern(*value) & 0xFFFFu);
        } else {
            p.*f.field32 = fromInt32Pattern(*value);
        }
    }
    inFileOrder(unread);
    return unread;
}

int ReadParaFromFileI(ParamSet& p, const QString& path, std::uint16_t hardwareType,
                      std::vector<ParamValueProblem>* unread) {
    IniFile ini(false);
    if (!ini.readFromFile(path)) return 0;
    if (hardwareType != 1 && hardwareType != 3) return 0;
    std::vector<ParamValueProblem> notRead = applyParamIni(ini, p);
    if (unread != nullptr) *unread = std::move(notRead);
    return 1;
}

std::vector<ParamValueProblem> checkParamFileValues(const IniFile& ini, std::uint16_t pixelCount) {
    std::vector<ParamValueProblem> problems;
    for (const ReaderKey& k : readerKeys()) {
        const std::optional<IniFile::RawValue> raw = ini.rawValue(k.field->section, k.key);
        if (!raw) continue;
        if (const auto reason = valueProblem(*k.field, raw->text, pixelCount))
            problems.push_back({QLatin1String(k.key), raw->line, raw->text, *reason});
    }
    inFileOrder(problems);
    return problems;
}

}  // namespace korvo
