#pragma once
// While the window works a sensor itself (the scope window, INIT, TEACH, a port's new values),
// the line monitor lets go of that port and takes it back after, reading its para0 again.

namespace korvo {

struct ScopeApp;

// Lets go of com for the lifetime of this object, when the monitor holds it.
class LinePause {
public:
    LinePause(ScopeApp& app, int com);
    ~LinePause();
    LinePause(const LinePause&) = delete;
    LinePause& operator=(const LinePause&) = delete;

private:
    ScopeApp& app_;
    int com_ = 0;
};

// The scope window takes com: the port it had before goes back to the monitor.
void lineScopeTakes(ScopeApp& app, int com);
// The scope window is off: its port goes back to the monitor.
void lineScopeGives(ScopeApp& app);

}  // namespace korvo
