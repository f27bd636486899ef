// The multiplexer settings file "MPLEX16.ini": any bytes are read and applied to the port table
// without fault, and the table then saved reads back as it was saved. What the geometry keys give
// is panel_position's, for any keys and screens.

#include "FuzzCheck.h"
#include "core/mplex/MplexIni.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvo;
    const MplexIniRead read = mplexIniRead(fuzz::iniFrom(data, size));
    MplexTable table;
    applyMplexIni(read, table);
    for (const MplexGroup& group : table.groups) {
        FUZZ_CHECK(group.state == 0 || group.state == 1);
        for (const MplexPort& port : group.ports)
            FUZZ_CHECK(port.enabled == 0 || port.enabled == 1);
    }

    const MplexIniContent content = mplexIniContentFromTable(table);
    const IniFile saved = fuzz::iniFrom(mplexIniFromContent(content).toBytes());
    FUZZ_CHECK(saved.skippedLineCount() == 0);
    MplexTable back;
    applyMplexIni(mplexIniRead(saved), back);
    FUZZ_CHECK(mplexIniContentFromTable(back) == content);
    return 0;
}
