// The application settings file: any bytes are read without fault, only values in their ranges
// are offered for use, and settings saved from those values read back to the same use.

#include <QRect>
#include <array>

#include "FuzzCheck.h"
#include "core/ini/PanelGeometry.h"
#include "core/params/AppSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvo;
    IniFile ini;
    ini.fromBytes(fuzz::inputBytes(data, size));
    const UsableAppSettings use = usableAppSettings(appSettingsFromIni(ini));
    if (use.comPort) FUZZ_CHECK(*use.comPort >= 1 && *use.comPort <= 255);
    if (use.baudIndex) FUZZ_CHECK(*use.baudIndex <= 4);
    if (use.hardwareType) FUZZ_CHECK(*use.hardwareType <= 3);
    if (use.geometry.position) {
        const std::array<QRect, 1> screens = {QRect(0, 0, 1920, 1080)};
        panelPositionOnScreens(*use.geometry.position, use.geometry.size.value_or(QSize(780, 560)),
                               screens);
    }

    AppSettings s;
    s.comPort = use.comPort.value_or(1);
    s.baudIndex = use.baudIndex.value_or(1);
    s.hardwareType = use.hardwareType.value_or(0);
    s.panelMax = use.geometry.maximise ? 1 : 0;
    if (use.geometry.position) {
        s.panelX = use.geometry.position->x();
        s.panelY = use.geometry.position->y();
    }
    if (use.geometry.size) {
        s.panelWidth = use.geometry.size->width();
        s.panelHeight = use.geometry.size->height();
    }
    IniFile saved;
    saved.fromBytes(appSettingsIni(s).toBytes());
    const UsableAppSettings back = usableAppSettings(appSettingsFromIni(saved));
    FUZZ_CHECK(back.comPort == s.comPort);
    FUZZ_CHECK(back.baudIndex == s.baudIndex);
    FUZZ_CHECK(back.hardwareType == s.hardwareType);
    FUZZ_CHECK(back.geometry.maximise == use.geometry.maximise);
    FUZZ_CHECK(back.geometry.size == use.geometry.size);
    if (!use.geometry.maximise) FUZZ_CHECK(back.geometry.position == QPoint(s.panelX, s.panelY));
    return 0;
}
