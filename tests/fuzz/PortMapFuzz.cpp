// The port map "COMPORTS.map": any bytes are read without fault; every COM number it maps has a
// device path without surrounding blanks or comment, and the line "COMn = path" written for it
// reads back to the same path. Numbers it does not map keep their built-in device; a number whose
// line was refused is not mapped.

#include <QString>

#include "FuzzCheck.h"
#include "core/link/PortMap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvo;
    const PortMap map = PortMap::parseBytes(fuzz::inputBytes(data, size));
    int mapped = 0;
    QString written;
    // COM numbers beyond 300 are mapped alike; a file rarely names them.
    for (int n = 1; n <= 300; ++n) {
        const QString path = map.devicePath(n);
        if (!map.contains(n)) {
            FUZZ_CHECK(path == QStringLiteral("/dev/ttyS%1").arg(n - 1));
            continue;
        }
        ++mapped;
        FUZZ_CHECK(map.refusal(n).isEmpty());
        FUZZ_CHECK(!path.isEmpty());
        FUZZ_CHECK(path.trimmed() == path);
        FUZZ_CHECK(!path.contains(QLatin1Char('#')) && !path.contains(QLatin1Char(';')));
        written += QStringLiteral("COM%1 = %2\n").arg(n).arg(path);
    }
    FUZZ_CHECK(mapped <= map.size());

    const PortMap back = PortMap::parse(written);
    FUZZ_CHECK(back.size() == mapped);
    for (int n = 1; n <= 300; ++n) FUZZ_CHECK(back.devicePath(n) == map.devicePath(n));
    return 0;
}
