#include "cli/LineRun.h"

#include <QTimer>
#include <cmath>

#include "cli/Commands.h"
#include "cli/Interrupt.h"

namespace korvo::cli {

LineRun::LineRun(const Options& o, const std::vector<int>& ports)
    : bank(mapPathFor(o)), monitor(bank, pump) {
    for (int port : ports) monitor.addPort(port, o.baudIndex);
}

void LineRun::run(const Options& o, bool& done) {
    done = done || Interrupt::requested();
    QObject context;
    if (o.duration > 0.0)
        QTimer::singleShot(static_cast<int>(std::lround(o.duration * 1000)), &context,
                           [&done] { done = true; });
    Interrupt::onRequest([&done] { done = true; });
    monitor.start();
    while (!done) pump.waitForEvents(pump.now() + 3600.0);
    Interrupt::onRequest({});
}

}  // namespace korvo::cli
