#pragma once
// Ctrl-C (SIGINT) ends an operation cleanly instead of killing the program half way. The signal
// handler only sets a flag and writes a byte into a pipe; a socket notifier on the main thread's
// event loop reads it and runs the stop action there, so a run or recording that sleeps on the
// event loop wakes up at once and ends the way its stop button would end it. Workers on other
// threads look at the flag between their steps. A second Ctrl-C ends the program at once.

#include <functional>

namespace korvo::cli {

class Interrupt {
public:
    // Installs the handler; call once, after the QCoreApplication exists.
    static void install();
    // Whether Ctrl-C was pressed. Safe from any thread.
    static bool requested();
    // What the main thread does when Ctrl-C arrives (empty: nothing but the flag).
    static void onRequest(std::function<void()> action);
};

}  // namespace korvo::cli
