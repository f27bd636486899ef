#pragma once
// A line of virtual sensors paced at 115200 baud, reached as COM1.. through the port map `map`,
// for the benchmarks that measure many ports at once. Ends the program when they cannot start.

#include <cstdio>
#include <cstdlib>

#include "sim/SensorFarm.h"

namespace korvo::bench {

inline void startPacedLine(sim::SensorFarm& farm, int count, const QString& map) {
    for (int i = 0; i < count; ++i) {
        sim::SensorConfig c;
        c.serial = static_cast<std::uint16_t>(6000 + i);
        c.pace = true;
        c.baud = 115200;
        c.frameLogLimit = 0;
        // 112 sensors and their pseudo-terminals share this machine's cores with what is
        // measured: each reply in one write keeps the rig's own share small.
        c.wholeReplies = true;
        farm.add(c);
    }
    QString error;
    if (!farm.start(&error) || !farm.writePortMap(map, 1, &error)) {
        std::printf("virtual sensors: %s\n", qPrintable(error));
        std::exit(1);
    }
}

}  // namespace korvo::bench
