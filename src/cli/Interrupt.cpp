#include "cli/Interrupt.h"

#include <csignal>

#include "core/process/StopSignals.h"

namespace korvo::cli {

void Interrupt::install() {
    StopSignals::install({SIGINT, SIGTERM, SIGHUP});
}

bool Interrupt::requested() {
    return StopSignals::received() != 0;
}

void Interrupt::onRequest(std::function<void()> action) {
    if (!action) {
        StopSignals::onSignal({});
        return;
    }
    StopSignals::onSignal([action = std::move(action)](int) { action(); });
}

bool interrupted(PortResult& r, const QString& state) {
    const int signalNumber = StopSignals::received();
    if (signalNumber == 0) return false;
    finish(r, QStringLiteral("interrupted"), kExitSensor,
           QStringLiteral("%1 (%2)").arg(state, QLatin1String(StopSignals::name(signalNumber))));
    return true;
}

}  // namespace korvo::cli
