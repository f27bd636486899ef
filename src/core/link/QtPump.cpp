#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "core/link/Pump.h"

namespace korvo {

struct QtPump::Impl {
    QElapsedTimer clock;
    // Armed for the time left before a deadline so that the dispatcher wakes up at the latest
    // then; its timeout needs no receiver, the timer event alone ends the wait.
    QTimer wakeUp;
    // Pump time at which the armed wakeUp fires (meaningful while it is active).
    double wakeUpAt = 0.0;
};

QtPump::QtPump() : impl_(std::make_unique<Impl>()) {
    impl_->clock.start();
    impl_->wakeUp.setSingleShot(true);
    impl_->wakeUp.setTimerType(Qt::PreciseTimer);
}

QtPump::~QtPump() = default;

void QtPump::processEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtPump::waitForEvents(double deadline) {
    const double t = now();
    const double left = deadline - t;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (left <= 0.0 || dispatcher == nullptr) {
        processEvents();
        return;
    }
    // Whole milliseconds, rounded up: waking early would only cost another round.
    const double ms = std::min(std::ceil(left * 1000.0), 2.0e9);
    const double wakeUpAt = t + ms * 1e-3;
    // The timer stays armed after a wait. One still armed from an earlier wait that fires no
    // later than this wait's own would is kept: re-arming on every wait costs more than the
    // single early wake-up it may cause, after which the caller waits again. One that would
    // fire later is armed anew, so every wait ends by its deadline.
    if (!impl_->wakeUp.isActive() || impl_->wakeUpAt > wakeUpAt) {
        impl_->wakeUp.start(static_cast<int>(ms));
        impl_->wakeUpAt = wakeUpAt;
    }
    dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

double QtPump::now() const {
    return static_cast<double>(impl_->clock.nsecsElapsed()) * 1e-9;
}

}  // namespace korvo
