#include "core/params/ParamFile.h"

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

}  // namespace

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

void applyParamIni(const IniFile& ini, ParamSet& p) {
    for (const FileField& f : kFields) {
        std::optional<std::int32_t> value = ini.getInt(f.section, f.key);
        if (!value && f.field16 == &ParamSet::ccdOperationMode) {
            value = ini.getInt(f.section, kCcdOpModeShortKey);
        }
        if (!value) continue;
        if (f.field16 != nullptr) {
            p.*f.field16 = static_cast<std::uint16_t>(fromInt32Pattern(*value) & 0xFFFFu);
        } else {
            p.*f.field32 = fromInt32Pattern(*value);
        }
    }
}

int ReadParaFromFileI(ParamSet& p, const QString& path, std::uint16_t hardwareType) {
    IniFile ini(false);
    if (!ini.readFromFile(path)) return 0;
    if (hardwareType != 1 && hardwareType != 3) return 0;
    applyParamIni(ini, p);
    return 1;
}

}  // namespace korvo
