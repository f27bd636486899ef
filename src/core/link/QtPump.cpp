#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cmath>

#include "core/link/Pump.h"

namespace korvo {

struct QtPump::Impl {
    QElapsedTimer clock;
    // Armed for the time left before a deadline so that the dispatcher wakes up at the latest
    // then; its timeout needs no receiver, the timer event alone ends the wait.
    QTimer wakeUp;
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
    const double left = deadline - now();
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (left <= 0.0 || dispatcher == nullptr) {
        processEvents();
        return;
    }
    // Whole milliseconds, rounded up: waking early would only cost another round.
    const double ms = std::ceil(left * 1000.0);
    impl_->wakeUp.start(static_cast<int>(std::min(ms, 2.0e9)));
    dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    impl_->wakeUp.stop();
}

double QtPump::now() const {
    return static_cast<double>(impl_->clock.nsecsElapsed()) * 1e-9;
}

}  // namespace korvo
