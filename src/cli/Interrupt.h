#pragma once
// Ctrl-C (SIGINT), SIGTERM and SIGHUP end an operation cleanly instead of killing korvo half way
// through a write (core/process/StopSignals.h). A run, recording or video that sleeps on its
// thread's event loop wakes up at once and ends the way its stop button would end it. A command
// that writes to sensors lets the exchange under way finish and starts no further one: each
// worker looks between its exchanges, and its result says what was written and what was not. A
// second signal of the same kind ends korvo at once.

#include <QString>
#include <functional>

#include "cli/PortSession.h"

namespace korvo::cli {

class Interrupt {
public:
    // Catches the three signals; call once, after the QCoreApplication exists.
    static void install();
    // Whether one of them came. Safe from any thread.
    static bool requested();
    // What the main thread does when one arrives (empty: nothing but the flag).
    static void onRequest(std::function<void()> action);
};

// When a signal asked korvo to end: finishes r as "interrupted" (exit 1) with `state`, what has
// and has not been written, and the signal's name; returns true. Otherwise false, r unchanged.
bool interrupted(PortResult& r, const QString& state);

}  // namespace korvo::cli
