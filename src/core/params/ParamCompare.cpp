#include "core/params/ParamCompare.h"

#include "core/params/ParamFile.h"

namespace korvo {

namespace {

// The section of key i.
const char* sectionOf(int i) {
    return i < static_cast<int>(kPara0Keys.size()) ? kPara0Section : kPara1Section;
}

bool named(const QStringList& keys, const char* key) {
    return keys.contains(QLatin1String(key), Qt::CaseInsensitive);
}

}  // namespace

const std::array<const char*, kParamKeyCount>& paramKeys() {
    static const std::array<const char*, kParamKeyCount> keys = [] {
        std::array<const char*, kParamKeyCount> all{};
        std::size_t n = 0;
        for (const char* k : kPara0Keys) all[n++] = k;
        for (const char* k : kPara1Keys) all[n++] = k;
        return all;
    }();
    return keys;
}

std::vector<ParamField> paramFields(const ParamSet& p) {
    // The parameter file's own table of keys and fields, read back through its INI object.
    const IniFile ini = paramFileIni(p);
    std::vector<ParamField> fields;
    for (int i = 0; i < kParamKeyCount; ++i)
        fields.push_back({QLatin1String(paramKeys()[i]),
                          ini.getUInt32(QLatin1String(sectionOf(i)), QLatin1String(paramKeys()[i]))
                              .value_or(0)});
    return fields;
}

ParamSide sideOfSet(const ParamSet& set) {
    ParamSide side;
    side.set = set;
    side.present.fill(true);
    return side;
}

ParamSide sideOfFile(const IniFile& ini) {
    ParamSide side;
    const std::vector<ParamValueProblem> unread = applyParamIni(ini, side.set);
    for (int i = 0; i < kParamKeyCount; ++i) {
        const char* key = paramKeys()[i];
        bool there = ini.hasKey(QLatin1String(sectionOf(i)), QLatin1String(key));
        if (!there && QLatin1String(key) == QLatin1String("CCD-Operation-Mode"))
            there = ini.hasKey(QLatin1String(kPara0Section), QLatin1String(kCcdOpModeShortKey));
        for (const ParamValueProblem& p : unread)
            if (p.key == QLatin1String(key)) there = false;
        side.present[i] = there;
    }
    return side;
}

std::vector<ParamDifference> compareParams(const ParamSide& a, const ParamSide& b,
                                           const QStringList& ignore) {
    const IniFile ia = paramFileIni(a.set);
    const IniFile ib = paramFileIni(b.set);
    const auto text = [](const IniFile& ini, bool present, int i) {
        if (!present) return QStringLiteral("-");
        return QString::fromLatin1(
            ini.rawValue(QLatin1String(sectionOf(i)), QLatin1String(paramKeys()[i]))->text);
    };
    std::vector<ParamDifference> differences;
    for (int i = 0; i < kParamKeyCount; ++i) {
        if (named(ignore, paramKeys()[i])) continue;
        const QString va = text(ia, a.present[i], i);
        const QString vb = text(ib, b.present[i], i);
        if (va != vb) differences.push_back({QLatin1String(paramKeys()[i]), va, vb});
    }
    return differences;
}

QStringList unknownParamKeys(const QStringList& keys) {
    QStringList unknown;
    for (const QString& k : keys) {
        bool found = false;
        for (const char* key : paramKeys())
            found = found || k.compare(QLatin1String(key), Qt::CaseInsensitive) == 0;
        if (!found) unknown << k;
    }
    return unknown;
}

}  // namespace korvo
