// A full X-FLASH write (the 2048-word table: clear, then 256 blocks of 8 words) against a
// virtual sensor paced at 19200 and at 115200 baud, against the line's limit of 2 x 36 bytes x
// 10 bits per block (the clear counted as one more block). Median of several writes.
//
//   bench_flash [--runs N]

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <vector>

#include "BenchFigures.h"
#include "BenchRig.h"
#include "core/link/PortBank.h"
#include "core/link/Pump.h"
#include "core/link/SensorLink.h"
#include "core/link/StatusSink.h"
#include "core/sensorfn/FlashWrite.h"
#include "sim/SensorFarm.h"
#include "sim/SensorModel.h"

namespace {

using namespace korvo;
using namespace korvo::bench;

// A paced sensor at the given rate, with the port opened at that rate.
struct Rig : SensorRig {
    explicit Rig(int baud) : SensorRig(config(baud), sim::indexForBaud(baud)) {}
    static sim::SensorConfig config(int baud) {
        sim::SensorConfig c;
        c.noise = false;
        c.pace = true;
        c.baud = baud;
        return c;
    }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    int runs = 3;
    for (int i = 1; i + 1 < argc; i += 2)
        if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[i + 1]));
    XFlashTable table{};
    for (int i = 0; i < kXFlashTableWords; ++i) table[i] = static_cast<std::uint16_t>(i * 7);
    for (int baud : {19200, 115200}) {
        Rig rig(baud);
        if (!rig.ok) return 1;
        std::vector<double> seconds;
        bool written = true;
        for (int r = 0; r < runs; ++r) {
            FlashWriter writer(rig.scope);
            const double t0 = rig.pump.now();
            const FlashOutcome outcome = writer.write(1, table, kXFlashTableWords);
            seconds.push_back(rig.pump.now() - t0);
            written = written && outcome.end == FlashEnd::Written;
        }
        const double limit = 257 * 72 * 10.0 / baud;
        std::printf("full X-FLASH write at %d baud (median of %d)%s\n", baud, runs,
                    written ? "" : "  -- NOT WRITTEN");
        std::printf("  seconds                          %9.3f\n", median(seconds));
        std::printf("  line limit                       %9.3f\n", limit);
        std::printf("  ratio limit / achieved           %9.2f\n", limit / median(seconds));
    }
    return 0;
}
