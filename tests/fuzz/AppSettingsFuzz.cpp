// The application settings file: any bytes are read without fault, only values in their ranges
// are offered for use, and settings saved from those values read back to the same use.

#include "FuzzCheck.h"
#include "core/params/AppSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvo;
    const UsableAppSettings use = usableAppSettings(appSettingsFromIni(fuzz::iniFrom(data, size)));
    if (use.comPort) FUZZ_CHECK(*use.comPort >= 1 && *use.comPort <= 255);
    if (use.baudIndex) FUZZ_CHECK(*use.baudIndex <= 4);
    if (use.hardwareType) FUZZ_CHECK(*use.hardwareType <= 3);
    // Where a stored position may show is panel_position's, for any keys and screens.
    const QPoint at = use.geometry.position.value_or(QPoint());
    const QSize panel = use.geometry.size.value_or(QSize(0, 0));

    const AppSettings s{use.comPort.value_or(1),
                        use.baudIndex.value_or(1),
                        use.geometry.maximise ? 1 : 0,
                        at.x(),
                        at.y(),
                        panel.width(),
                        panel.height(),
                        use.hardwareType.value_or(std::uint16_t{0})};
    const UsableAppSettings back =
        usableAppSettings(appSettingsFromIni(fuzz::iniFrom(appSettingsIni(s).toBytes())));
    FUZZ_CHECK(back.comPort == s.comPort);
    FUZZ_CHECK(back.baudIndex == s.baudIndex);
    FUZZ_CHECK(back.hardwareType == s.hardwareType);
    FUZZ_CHECK(back.geometry.maximise == use.geometry.maximise);
    FUZZ_CHECK(back.geometry.size == use.geometry.size);
    if (!use.geometry.maximise) FUZZ_CHECK(back.geometry.position == QPoint(s.panelX, s.panelY));
    return 0;
}
