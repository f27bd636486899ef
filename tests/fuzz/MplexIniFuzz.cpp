// The multiplexer settings file "MPLEX16.ini": any bytes are read and applied to the port table
// without fault, a stored panel position is judged against the screens, and the table then
// saved reads back as it was saved.

#include <QRect>
#include <array>

#include "FuzzCheck.h"
#include "core/ini/PanelGeometry.h"
#include "core/mplex/MplexIni.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvo;
    IniFile ini;
    ini.fromBytes(fuzz::inputBytes(data, size));
    const MplexIniRead read = mplexIniRead(ini);
    MplexTable table;
    applyMplexIni(read, table);
    for (const MplexGroup& group : table.groups) {
        FUZZ_CHECK(group.state == 0 || group.state == 1);
        for (const MplexPort& port : group.ports)
            FUZZ_CHECK(port.enabled == 0 || port.enabled == 1);
    }

    // A panel of ordinary size stands in when the file gives none; two screens side by side.
    const PanelGeometryPlan plan = read.geometryPlan();
    FUZZ_CHECK(!plan.maximise || (!plan.position && !plan.size));
    if (plan.size) FUZZ_CHECK(plan.size->width() > 0 && plan.size->height() > 0);
    if (plan.position) {
        const std::array<QRect, 2> screens = {QRect(0, 0, 1920, 1080), QRect(-1280, 0, 1280, 1024)};
        panelPositionOnScreens(*plan.position, plan.size.value_or(QSize(1040, 720)), screens);
    }

    const MplexIniContent content = mplexIniContentFromTable(table);
    IniFile saved;
    saved.fromBytes(mplexIniFromContent(content).toBytes());
    FUZZ_CHECK(saved.skippedLineCount() == 0);
    MplexTable back;
    applyMplexIni(mplexIniRead(saved), back);
    FUZZ_CHECK(mplexIniContentFromTable(back) == content);
    return 0;
}
