#include "core/model/ModelTable.h"

namespace korvo {

namespace {

// Which firmware versions a row applies to.
enum class Fw { Any, Is310, Not310, Below316, From316, From311To315 };

// What a row does to the CCD operation mode switch.
enum class Ccd {
    LabelsHighLow,       // labels only
    LabelsDigAnalog,     // labels only
    Dimmed,              // dims it, labels untouched
    DigAnalogDimmedOff,  // labels, dimmed, value 0
    DigAnalogEnabled,    // labels, enabled
};

// What a row does to the threshold target switch.
enum class Target { Untouched, EepromDimmed, RamEnabled, EepromEnabled, EnabledOnly };

struct ModelRow {
    std::uint16_t family;
    std::uint16_t variant;
    Fw fw;
    const char16_t* lines[4];
    Ccd ccd;
    bool hardwareModeDimmed;
    Target target;
    std::uint16_t hardwareType;
};

// clang-format off
constexpr ModelRow kRows[] = {
    {1, 80, Fw::Is310, {u"-------- KORVO-KM-8 --------", u"4096 subpixel - pixel-pitch = 1.95µm", u"working range = 7.9 mm", u"resolution    = +/- 2 µm"}, Ccd::LabelsHighLow, false, Target::EepromDimmed, 1},
    {1, 80, Fw::Not310, {u"-------- KORVO-KM-8 --------", u"8192 subpixel - pixel-pitch = 0.975µm", u"working range = 7.9 mm", u"resolution    = +/- 1 µm"}, Ccd::LabelsHighLow, false, Target::RamEnabled, 1},
    {2, 250, Fw::Is310, {u"-------- KORVO-KM-25 --------", u"4096 subpixel - pixel-pitch = 6.25µm", u"working range = 25 mm", u"resolution    = +/- 7 µm"}, Ccd::LabelsHighLow, false, Target::EepromDimmed, 1},
    {2, 250, Fw::Not310, {u"-------- KORVO-KM-25 --------", u"4096 subpixel - pixel-pitch = 6.25µm", u"working range = 25 mm", u"resolution    = +/- 7 µm"}, Ccd::LabelsHighLow, false, Target::RamEnabled, 1},
    {2, 350, Fw::Any, {u"-------- KORVO-KM-35 --------", u"4096 subpixel", u"working range = 35 mm", u"resolution    = +/- 9 µm"}, Ccd::LabelsHighLow, false, Target::EepromDimmed, 1},
    {3, 120, Fw::Any, {u"-------- KORVO-KM-12 --------", u"2048 subpixel - pixel-pitch = 6.25µm", u"working range = 12.8 mm", u"resolution    = +/- 7 µm"}, Ccd::LabelsHighLow, false, Target::RamEnabled, 1},
    {4, 60, Fw::Below316, {u"-------- KORVO-KM-(F)-6 --------", u"2048-subpixel;  3.125µm pixel-pitch", u"working range = 6.4 mm", u"resolution    = +/- 3 µm"}, Ccd::Dimmed, false, Target::RamEnabled, 1},
    {4, 60, Fw::From316, {u"-------- KORVO-KM-(F)-6 --------", u"4096-subpixel;  1.563µm pixel-pitch", u"working range = 6.4 mm", u"resolution    = +/- 2 µm"}, Ccd::Dimmed, false, Target::RamEnabled, 1},
    {4, 20160, Fw::Below316, {u"-------- KORVO-KM-(F)-6-CL --------", u"2048-subpixel;  3.125µm pixel-pitch", u"working range = 6.4 mm", u"resolution    = +/- 3 µm"}, Ccd::Dimmed, true, Target::Untouched, 3},
    {4, 20160, Fw::From316, {u"-------- KORVO-KM-(F)-6-CL --------", u"4096-subpixel;  1.563µm pixel-pitch", u"working range = 6.4 mm", u"resolution    = +/- 2 µm"}, Ccd::Dimmed, true, Target::Untouched, 3},
    {4, 20162, Fw::Any, {u"-------- KORVO-KM-(F)-6-CL --------", u"1792-subpixel;  3.125µm pixel-pitch", u"working range = 5.6 mm", u"resolution    = +/- 3 µm"}, Ccd::Dimmed, true, Target::Untouched, 3},
    {6, 20280, Fw::Any, {u"-------- KORVO-KM-28-CL --------", u"16k-subpixel;  1.75µm pixel-pitch", u"working range = 28.6 mm", u"resolution    = +/- 2 µm"}, Ccd::LabelsDigAnalog, true, Target::EepromDimmed, 1},
    {101, 20160, Fw::Below316, {u"-------- KORVO-KM-16-CL --------", u"1024 subpixel - pixel-pitch = 15.875 µm", u"working range = 16.2 mm", u"resolution    = +/- 16 µm"}, Ccd::DigAnalogDimmedOff, true, Target::Untouched, 3},
    {101, 20160, Fw::From316, {u"-------- KORVO-KM-16-CL --------", u"2048 subpixel - pixel-pitch =  7.938 µm", u"working range = 16.2 mm", u"resolution    = +/- 8 µm"}, Ccd::DigAnalogDimmedOff, true, Target::Untouched, 3},
    {101, 160, Fw::Below316, {u"-------- KORVO-KM-(F)-16 --------", u"1024 subpixel - pixel-pitch = 15.875µm", u"working range = 16.2 mm", u"resolution    = +/- 16 µm"}, Ccd::DigAnalogEnabled, false, Target::Untouched, 1},
    {101, 160, Fw::From316, {u"-------- KORVO-KM-(F)-16 --------", u"2048 subpixel - pixel-pitch = 7.938µm", u"working range = 16.2 mm", u"resolution    = +/- 8 µm"}, Ccd::DigAnalogEnabled, false, Target::Untouched, 1},
    {102, 500, Fw::Is310, {u"-------- KORVO-KM-50 --------", u"3072 subpixel - pixel-pitch = 15.875µm", u"working range = 48.8 mm", u"resolution    = +/- 16 µm"}, Ccd::LabelsDigAnalog, false, Target::EepromDimmed, 1},
    {102, 500, Fw::From311To315, {u"-------- KORVO-KM-50 --------", u"3072 subpixel - pixel-pitch = 15.875µm", u"working range = 48.8 mm", u"resolution    = +/- 16 µm"}, Ccd::LabelsDigAnalog, false, Target::EepromEnabled, 1},
    {102, 500, Fw::From316, {u"-------- KORVO-KM-50 --------", u"6144 subpixel - pixel-pitch = 7.938µm", u"working range = 48.8 mm", u"resolution    = +/- 8 µm"}, Ccd::LabelsDigAnalog, false, Target::EepromEnabled, 1},
    {102, 20500, Fw::Below316, {u"-------- KORVO-KM-50-CL --------", u"3072 subpixel - pixel-pitch = 15.875µm", u"working range = 48.8 mm", u"resolution    = +/- 16 µm"}, Ccd::DigAnalogDimmedOff, true, Target::RamEnabled, 3},
    {102, 20500, Fw::From316, {u"-------- KORVO-KM-50-CL --------", u"6144 subpixel - pixel-pitch =  7.938µm", u"working range = 48.8 mm", u"resolution    = +/- 8 µm"}, Ccd::DigAnalogDimmedOff, true, Target::RamEnabled, 3},
    {102, 510, Fw::Any, {u"-------- KORVO-KM-50 --------", u"768 pixel - pixel-pitch = 63.5µm", u"working range = 48.8 mm", u"resolution    = +/- 64 µm"}, Ccd::LabelsDigAnalog, false, Target::EnabledOnly, 1},
    {103, 750, Fw::Is310, {u"-------- KORVO-KM-75 --------", u"2360 subpixel - pixel-pitch = 31.75µm", u"working range = 74.9 mm", u"resolution    = +/- 32 µm"}, Ccd::LabelsDigAnalog, false, Target::EepromDimmed, 1},
    {103, 750, Fw::From311To315, {u"-------- KORVO-KM-75 --------", u"4720 subpixel - pixel-pitch = 15.875µm", u"working range = 74.9 mm", u"resolution    = +/- 16 µm"}, Ccd::LabelsDigAnalog, false, Target::EepromDimmed, 1},
    {103, 750, Fw::From316, {u"-------- KORVO-KM-75 --------", u"9216 subpixel - pixel-pitch = 7.938µm", u"working range = 74.9 mm", u"resolution    = +/- 8 µm"}, Ccd::LabelsDigAnalog, false, Target::EepromDimmed, 1},
    {103, 20750, Fw::Below316, {u"-------- KORVO-KM-75-CL --------", u"4608 subpixel - pixel-pitch = 15.875µm", u"working range = 73.2 mm", u"resolution    = +/- 16 µm"}, Ccd::DigAnalogDimmedOff, true, Target::EepromDimmed, 3},
    {103, 20750, Fw::From316, {u"-------- KORVO-KM-75-CL --------", u"9216 subpixel - pixel-pitch = 7.938µm", u"working range = 73.2 mm", u"resolution    = +/- 8 µm"}, Ccd::DigAnalogDimmedOff, true, Target::EepromDimmed, 3},
    {104, 1000, Fw::Is310, {u"-------- KORVO-KM-100 --------", u"3072 subpixel - pixel-pitch = 31.75µm", u"working range = 97.5 mm", u"resolution    = +/- 32 µm"}, Ccd::LabelsDigAnalog, false, Target::EepromDimmed, 1},
    {104, 1000, Fw::From311To315, {u"-------- KORVO-KM-100 --------", u"6144 subpixel - pixel-pitch = 15.875µm", u"working range = 97.5 mm", u"resolution    = +/- 16 µm"}, Ccd::LabelsDigAnalog, false, Target::EepromDimmed, 1},
    {104, 1000, Fw::From316, {u"-------- KORVO-KM-100 --------", u"12288 subpixel - pixel-pitch = 7.938µm", u"working range = 97.5 mm", u"resolution    = +/- 8 µm"}, Ccd::LabelsDigAnalog, false, Target::EepromDimmed, 1},
    {104, 21000, Fw::Below316, {u"-------- KORVO-KM-100-CL --------", u"6144 subpixel - pixel-pitch = 15.875µm", u"working range = 97.5 mm", u"resolution    = +/- 16 µm"}, Ccd::DigAnalogDimmedOff, true, Target::EepromDimmed, 3},
    {104, 21000, Fw::From316, {u"-------- KORVO-KM-100-CL --------", u"12288 subpixel - pixel-pitch = 7.938µm", u"working range = 97.5 mm", u"resolution    = +/- 8 µm"}, Ccd::DigAnalogDimmedOff, true, Target::EepromDimmed, 3},
};

struct PixelStep {
    std::uint16_t pixelCount;
    int step;
};
constexpr PixelStep kPixelSteps[] = {
    {256, 1},    {512, 2},    {768, 3},    {1024, 4},   {1180, 5},   {1280, 5},
    {1536, 6},   {1792, 8},   {1920, 8},   {2048, 8},   {2360, 10},  {2560, 10},
    {3072, 12},  {4096, 16},  {4608, 18},  {4720, 18},  {5120, 18},  {6144, 24},
    {8192, 32},  {9216, 40},  {9440, 40},  {10240, 40}, {12288, 48}, {16384, 64},
};
// clang-format on

bool firmwareMatches(Fw fw, std::uint16_t version) {
    switch (fw) {
        case Fw::Any:
            return true;
        case Fw::Is310:
            return version == 310;
        case Fw::Not310:
            return version != 310;
        case Fw::Below316:
            return version < 316;
        case Fw::From316:
            return version >= 316;
        case Fw::From311To315:
            return version >= 311 && version <= 315;
    }
    return false;
}

const ModelRow* findRow(std::uint16_t family, std::uint16_t variant, std::uint16_t firmware) {
    for (const ModelRow& row : kRows) {
        if (row.family == family && row.variant == variant && firmwareMatches(row.fw, firmware))
            return &row;
    }
    return nullptr;
}

bool isKnownFamily(std::uint16_t family) {
    switch (family) {
        case 1:
        case 2:
        case 3:
        case 4:
        case 6:
        case 101:
        case 102:
        case 103:
        case 104:
            return true;
        default:
            return false;
    }
}

void applyRow(const ModelRow& row, ModelProfile& profile, ModelState& state) {
    for (int i = 0; i < 4; ++i) profile.infoLines[i] = QString::fromUtf16(row.lines[i]);

    const std::pair<QString, QString> highLow{QStringLiteral("HIGH CCD-GAIN"),
                                              QStringLiteral("LOW CCD-GAIN")};
    const std::pair<QString, QString> digAnalog{QStringLiteral("DIGITAL-COMPARATION-MODE"),
                                                QStringLiteral("ANALOG-DIGITAL-CONV.-MODE")};
    switch (row.ccd) {
        case Ccd::LabelsHighLow:
            profile.ccdLabels = highLow;
            break;
        case Ccd::LabelsDigAnalog:
            profile.ccdLabels = digAnalog;
            break;
        case Ccd::Dimmed:
            profile.ccdDimmed = true;
            break;
        case Ccd::DigAnalogDimmedOff:
            profile.ccdLabels = digAnalog;
            profile.ccdDimmed = true;
            profile.ccdValue = 0;
            break;
        case Ccd::DigAnalogEnabled:
            profile.ccdLabels = digAnalog;
            profile.ccdDimmed = false;
            break;
    }

    profile.hardwareModeDimmed = row.hardwareModeDimmed;

    switch (row.target) {
        case Target::Untouched:
            break;
        case Target::EepromDimmed:
            profile.targetValue = 2;
            profile.targetDimmed = true;
            break;
        case Target::RamEnabled:
            profile.targetValue = 1;
            profile.targetDimmed = false;
            break;
        case Target::EepromEnabled:
            profile.targetValue = 2;
            profile.targetDimmed = false;
            break;
        case Target::EnabledOnly:
            profile.targetDimmed = false;
            break;
    }

    state.firstPixel = 1;
    state.lastPixel = state.pixelCount;
    state.hardwareType = row.hardwareType;
}

void setDecimals(ModelProfile& profile, int decimals) {
    profile.measuredDecimals = decimals;
    profile.toleranceDecimals = decimals;
}

void setTriggerControls(ModelProfile& profile, bool triggerDimmed, bool outputDimmed) {
    profile.triggerDimmed = triggerDimmed;
    profile.outputDimmed = outputDimmed;
}

// Families 1, 2, 3, 4 and 101..104 share one pattern: old firmware has no trigger functions,
// from 316 on the trigger controls come alive and the IN0 list grows.
void applyTriggerFamily(std::uint16_t family, std::uint16_t firmware, ModelProfile& profile,
                        const ModelState& state) {
    if (firmware < 316) {
        setTriggerControls(profile, true, true);
        profile.in0Items = in0List5();
        return;
    }
    const bool twoOutputs = state.hardwareType == 3;
    if (family == 1) {
        setTriggerControls(profile, false, true);
        profile.in0Items = in0List6R();
        profile.outputItems = outputList3();
    } else if (family == 2 || family == 3) {
        setTriggerControls(profile, false, false);
        profile.in0Items = in0List6();
        profile.outputItems = outputList3();
    } else if (family == 4) {
        setTriggerControls(profile, false, false);
        profile.in0Items = in0List6();
        profile.outputItems = twoOutputs ? outputList2() : outputList3();
    } else {
        setTriggerControls(profile, false, false);
        profile.in0Items = in0List7();
        profile.outputItems = twoOutputs ? outputList2() : outputList3();
    }
}

void applyFallBack(ModelProfile& profile, ModelState& state) {
    profile.fallBack = true;
    profile.infoLines[0] = QStringLiteral("No information avialable!");
    for (int i = 1; i < 4; ++i) profile.infoLines[i] = QString(25, QLatin1Char(' '));
    profile.hardwareModeDimmed = true;
    profile.measuredDecimals = 3;
    profile.toleranceDecimals = 2;
    state.firstPixel = 1;
    state.lastPixel = state.pixelCount;
    state.videoFullScale = 1024;
    state.hardwareType = 1;
    profile.in0Items = in0List7();
    profile.outputItems = outputList3();
}

}  // namespace

ItemList in0List5() {
    return {{QStringLiteral("NOT USED"), 0},
            {QStringLiteral("TRIGG-IN0 L/H"), 1},
            {QStringLiteral("TRIGG-IN0 HIGH"), 2},
            {QStringLiteral("SAVE VTHD->EE"), 3},
            {QStringLiteral("OUTPUT WIDTH"), 4}};
}

ItemList in0List6() {
    ItemList items = in0List5();
    items.push_back({QStringLiteral("LASER-ON-IN0 HIGH"), 5});
    return items;
}

ItemList in0List6R() {
    ItemList items = in0List6();
    items[3].label = QStringLiteral("SAVE VTHD->RAM");
    return items;
}

ItemList in0List7() {
    ItemList items = in0List6();
    items.push_back({QStringLiteral("TEACH-IN0 HIGH"), 6});
    return items;
}

ItemList outputList3() {
    return {{QStringLiteral("[ - ]OUT0, [+]OUT1, [OK]OUT2"), 0},
            {QStringLiteral("[TRG]OUT0, [+]OUT1, [OK]OUT2"), 1},
            {QStringLiteral("[TRG]OUT0, [-]OUT1, [OK]OUT2"), 2}};
}

ItemList outputList2() {
    return {{QStringLiteral("[ - ]OUT0, [+]OUT1"), 0},
            {QStringLiteral("[ - ]OUT0, [OK]OUT1"), 1},
            {QStringLiteral("[OK]OUT0, [+]OUT1"), 2},
            {QStringLiteral("[TRG]OUT0, [OK]OUT1"), 3}};
}

void storeHardwareInfo(const HardwareInfo& words, ModelState& state) {
    state.info = words;
    state.familyCode = words.familyCode;
    state.variantCode = words.variantCode;
    state.firmwareVersion = words.firmwareVersion;
    state.pixelCount = words.pixelCount;
}

std::optional<int> videoXStepFor(std::uint16_t pixelCount) {
    for (const PixelStep& entry : kPixelSteps) {
        if (entry.pixelCount == pixelCount) return entry.step;
    }
    return std::nullopt;
}

ModelProfile applyHardwareInfo(const HardwareInfo& words, ModelState& state) {
    storeHardwareInfo(words, state);
    ModelProfile profile;

    // The graphs take the count as the sensor reported it, before any correction.
    profile.videoXRange = std::pair{1.0, static_cast<double>(words.pixelCount)};
    profile.profileXRange = std::pair{1.0, 256.0};

    const std::optional<int> knownStep = videoXStepFor(words.pixelCount);
    const int step = knownStep.value_or(4);
    if (!knownStep) state.pixelCount = 1024;
    for (int i = 0; i < 256; ++i) state.videoX[i] = static_cast<double>(i) * step;

    const std::uint16_t family = words.familyCode;
    const std::uint16_t firmware = words.firmwareVersion;
    if (!isKnownFamily(family)) {
        applyFallBack(profile, state);
        return profile;
    }

    if (const ModelRow* row = findRow(family, words.variantCode, firmware)) {
        applyRow(*row, profile, state);
        profile.rowMatched = true;
    }

    const bool highResolution = words.videoResolution == 1024;
    const bool lowResolution = words.videoResolution == 256;
    if (family == 6) {
        // Only the 28-CL row sets decimals and trigger controls; the IN0 list is not rebuilt
        // for this family, only its item 3 renamed.
        if (profile.rowMatched) {
            setDecimals(profile, 3);
            setTriggerControls(profile, false, false);
            profile.in0Item3Label = QStringLiteral("SAVE-VTHD->EE");
        }
        profile.outputItems = outputList2();
        state.videoFullScale = lowResolution ? 256 : 1024;
        return profile;
    }

    setDecimals(profile, family >= 101 ? 2 : 3);
    applyTriggerFamily(family, firmware, profile, state);
    if (family <= 3) {
        state.videoFullScale = highResolution ? 1024 : 256;
    } else {
        state.videoFullScale = lowResolution ? 256 : 1024;
    }
    return profile;
}

}  // namespace korvo
