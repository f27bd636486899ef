#include "core/process/StopSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <atomic>
#include <csignal>

namespace korvo {

namespace {

std::atomic<int> g_received{0};
int g_pipe[2] = {-1, -1};
std::function<void(int)> g_action;

extern "C" void onStopSignal(int signalNumber) {
    int none = 0;
    g_received.compare_exchange_strong(none, signalNumber);
    const char byte = 1;
    // Nothing can be done about a full pipe here; received() alone still stops the workers.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
}

}  // namespace

void StopSignals::install(std::initializer_list<int> signalNumbers) {
    if (g_pipe[0] < 0) {
        if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
        // Owned by the application, which outlives every operation.
        auto* notifier =
            new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, [] {
            char buf[16];
            while (::read(g_pipe[0], buf, sizeof buf) > 0) {
            }
            if (g_action) g_action(g_received.load());
        });
    }
    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    // The handler falls back to the default once it has run, so a second signal of the same
    // kind ends the program at once. SA_RESTART: no system call of Qt's fails with EINTR.
    sa.sa_flags = SA_RESETHAND | SA_RESTART;
    for (int signalNumber : signalNumbers) ::sigaction(signalNumber, &sa, nullptr);
}

int StopSignals::received() {
    return g_received.load();
}

void StopSignals::onSignal(std::function<void(int)> action) {
    g_action = std::move(action);
}

const char* StopSignals::name(int signalNumber) {
    switch (signalNumber) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "a signal";
    }
}

}  // namespace korvo
