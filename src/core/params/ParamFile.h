#pragma once
// The parameter file: the whole parameter set as an INI file with the sections "PARA0" and
// "PARA1", the keys in frame order, 16-bit fields as unsigned decimal, um-Slope and um-Offset as
// signed 32-bit numbers with the same bit pattern.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "core/ini/FileWrite.h"
#include "core/ini/IniFile.h"
#include "core/params/ParamSet.h"

namespace korvo {

inline constexpr char kDefaultParamFileName[] = "KORVO-PARA.ini";
inline constexpr char kParamFileFilter[] = "*.ini";

inline constexpr char kPara0Section[] = "PARA0";
inline constexpr char kPara1Section[] = "PARA1";

inline constexpr std::array<const char*, 15> kPara0Keys = {"Power",
                                                           "Power-Mode",
                                                           "Polarity",
                                                           "Eval-Mode",
                                                           "Eval-Begin",
                                                           "Eval-End",
                                                           "Teach-Value",
                                                           "Upper-Tolerance",
                                                           "Lower-Tolerance",
                                                           "Average",
                                                           "Ext.Trigger-Mode",
                                                           "Analog-Out-Mode",
                                                           "CCD-Operation-Mode",
                                                           "Hardware-Mode",
                                                           "Video-Thd-Mode"};

inline constexpr std::array<const char*, 13> kPara1Keys = {
    "Video-Thd-Fix",    "Video-Thd-Auto",   "RS-232-Mode",   "RS-232-Baudrate",  "Filter-Type",
    "Analog-Zoom-Mode", "Int.Trigger-Mode", "Trigger-Pixel", "Digital-Out-Mode", "Para10",
    "Para11",           "um-Slope",         "um-Offset"};

// Older parameter files carry CCD-Operation-Mode under this key; the reader accepts both.
inline constexpr char kCcdOpModeShortKey[] = "CCD-OP-Mode";

// The INI object of the parameter file, the 28 keys in order.
IniFile paramFileIni(const ParamSet& p);

// Writes the parameter file, replacing the file only when the whole file could be written.
FileWriteResult SendParaToFileI(const ParamSet& p, const QString& path);

// A value of a parameter file that was not read, or that must not go to a sensor.
struct ParamValueProblem {
    QString key;  // the program's name of the key
    int line = 0;
    QByteArray value;  // as it stands in the file
    QString reason;
    // line 3, Power = "613 ; max 1000": not a whole number
    QString text() const;
};

// Stores every key found into its field: 16-bit fields take the low 16 bits of the value,
// um-Slope and um-Offset all 32 bits; a missing or non-numeric key leaves its field as it is.
// CCD-Operation-Mode is taken from "CCD-Operation-Mode", or from "CCD-OP-Mode" when the former
// is missing or not a number. No range check here: the panel refresh that follows applies the
// ranges. Returns the keys found whose value is not a number, in file order.
std::vector<ParamValueProblem> applyParamIni(const IniFile& ini, ParamSet& p);

// Reads the parameter file into the set, but only for hardware type 1 or 3; for any other type
// nothing changes. Returns 1 when the file was read and applied, 0 when nothing changed (other
// hardware type, or the file missing, unreadable or too large). `unread` receives the keys that
// applyParamIni could not read.
int ReadParaFromFileI(ParamSet& p, const QString& path, std::uint16_t hardwareType,
                      std::vector<ParamValueProblem>* unread = nullptr);

// What a sensor may be sent from a parameter file: every key found (CCD-OP-Mode included) must
// hold a plain decimal integer within its field (0..65535, or signed 32-bit for um-Slope and
// um-Offset) and within the range the panel refresh keeps (fieldRanges()); Teach-Value within
// 1..pixelCount-1. With a pixel count of 0 (the model not known yet) the ranges that depend on
// it are left out, so a file can be checked before any sensor is asked. Returns every value
// that fails, in file order; empty when the file may be sent.
std::vector<ParamValueProblem> checkParamFileValues(const IniFile& ini, std::uint16_t pixelCount);

}  // namespace korvo
