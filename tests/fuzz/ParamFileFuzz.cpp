// The parameter file: any bytes are read into the parameter set without fault; the set saved again
// reads back as it was saved; the check of what may be sent names a line for whatever it refuses;
// the panel's range replacements and the frames that carry the set to the sensor take any value it
// holds.

#include <array>

#include "FuzzCheck.h"
#include "core/params/ParamFile.h"
#include "core/params/ParamSet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvo;
    const IniFile ini = fuzz::iniFrom(data, size);
    ParamSet read;
    applyParamIni(ini, read);

    ParamSet back;
    applyParamIni(fuzz::iniFrom(paramFileIni(read).toBytes()), back);
    FUZZ_CHECK(back == read);

    // The smallest, the start-up and the largest pixel count of the model table.
    for (const std::uint16_t pixelCount :
         {std::uint16_t{256}, std::uint16_t{4096}, std::uint16_t{16384}}) {
        // What korvo send would refuse names a line of the file and a reason.
        for (const ParamValueProblem& problem : checkParamFileValues(ini, pixelCount))
            FUZZ_CHECK(problem.line >= 1 && !problem.reason.isEmpty());

        ParamSet p = read;
        applyRanges(p, pixelCount);
        ParamSet twice = p;
        applyRanges(twice, pixelCount);
        FUZZ_CHECK(twice == p);

        // Each half to the data words and back gives the same set.
        ToleranceBand band;
        std::array<std::uint16_t, 16> words{};
        ParamSet copy = p;
        for (const std::uint16_t half : {std::uint16_t{0}, std::uint16_t{1}}) {
            CopyVarsToPP(p, half, words, band, pixelCount);
            CopyPPtoVars(copy, half, words, band, pixelCount);
        }
        FUZZ_CHECK(copy == p);
    }
    return 0;
}
