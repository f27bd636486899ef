#include "cli/Interrupt.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <atomic>
#include <csignal>

namespace korvo::cli {

namespace {

std::atomic<bool> g_requested{false};
int g_pipe[2] = {-1, -1};
std::function<void()> g_action;

extern "C" void onSigint(int) {
    g_requested.store(true);
    const char byte = 1;
    // Nothing can be done about a full pipe here; the flag alone still stops the workers.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
}

}  // namespace

void Interrupt::install() {
    if (g_pipe[0] >= 0) return;
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    // Owned by the application, which outlives every operation.
    auto* notifier =
        new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char buf[16];
        while (::read(g_pipe[0], buf, sizeof buf) > 0) {
        }
        if (g_action) g_action();
    });
    struct sigaction sa {};
    sa.sa_handler = onSigint;
    sigemptyset(&sa.sa_mask);
    // The first Ctrl-C asks for a clean end; the handler then falls back to the default, so a
    // second one ends the program at once.
    sa.sa_flags = SA_RESETHAND | SA_RESTART;
    ::sigaction(SIGINT, &sa, nullptr);
}

bool Interrupt::requested() {
    return g_requested.load();
}

void Interrupt::onRequest(std::function<void()> action) {
    g_action = std::move(action);
}

}  // namespace korvo::cli
