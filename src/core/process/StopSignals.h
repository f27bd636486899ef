#pragma once
// Signals that ask the program to end (Ctrl-C's SIGINT, SIGTERM at a logout or from a service
// manager, SIGHUP when the terminal goes away) turned into an ordinary event on the main thread's
// event loop, so the program ends the way its own stop or close would end it instead of dying
// half way through a write. The handler only notes the signal and writes a byte into a pipe; a
// socket notifier reads it on the main thread and runs the action there. Code on other threads
// looks at received() between its steps. A second signal of the same kind ends the program at
// once, for when the clean end itself hangs. The window and korvo share this one mechanism.

#include <functional>
#include <initializer_list>

namespace korvo {

class StopSignals {
public:
    // Catches the given signals. Call on the main thread once the QCoreApplication exists; a
    // later call catches further signals (or one that has been delivered once) again.
    static void install(std::initializer_list<int> signalNumbers);
    // The first signal caught, 0 while none came. Safe from any thread.
    static int received();
    // What the main thread does when a signal arrives (empty: nothing but received()).
    static void onSignal(std::function<void(int signalNumber)> action);
    // "SIGTERM" for the operator.
    static const char* name(int signalNumber);
};

}  // namespace korvo
