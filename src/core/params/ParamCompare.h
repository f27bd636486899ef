#pragma once
// Two parameter sets side by side, key by key, as the parameter file names and writes the 28
// fields: a set read from a sensor holds every key, a parameter file those it has.

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

#include "core/ini/IniFile.h"
#include "core/params/ParamSet.h"

namespace korvo {

inline constexpr int kParamKeyCount = 28;

// The parameter file's keys in file order: PARA0's, then PARA1's.
const std::array<const char*, kParamKeyCount>& paramKeys();

// One side: the set, and which of its keys it really holds.
struct ParamSide {
    ParamSet set;
    std::array<bool, kParamKeyCount> present{};
};
// The 28 fields of a set by their keys, in file order, with the values the file would hold.
struct ParamField {
    QString key;
    std::uint32_t value = 0;
};
std::vector<ParamField> paramFields(const ParamSet& p);

// A set read from a sensor: every key.
ParamSide sideOfSet(const ParamSet& set);
// A parameter file's keys as the reader takes them (CCD-OP-Mode counts for
// CCD-Operation-Mode); a key that is missing, or whose value is no number, is absent.
ParamSide sideOfFile(const IniFile& ini);

struct ParamDifference {
    QString key;
    QString a, b;  // as the parameter file writes them; "-" for a key the side does not hold
};

// Every key whose value differs between the sides, or that one side holds and the other does
// not, in file order; keys in `ignore` (any case) are left out.
std::vector<ParamDifference> compareParams(const ParamSide& a, const ParamSide& b,
                                           const QStringList& ignore = {});

// The keys of `keys` that are no parameter file key, as given.
QStringList unknownParamKeys(const QStringList& keys);

}  // namespace korvo
