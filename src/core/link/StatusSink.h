#pragma once
// Where core operations show their outcome. The GUI writes to the main panel's status line and the
// connect pop-up's status line; tests and command-line tools record or print.

#include <QString>

namespace korvo {

enum class StatusLine {
    Main = 1,   // the main panel's status line
    Popup = 2,  // the connect pop-up's status line
    Both = 3,
};

class StatusSink {
public:
    virtual ~StatusSink() = default;
    // Show the text now on the given line(s).
    virtual void showStatus(const QString& text, StatusLine where) = 0;
    // The port-number indicator of the main panel.
    virtual void showPortNumber(int port) { (void)port; }
    // What explains the text just shown on the main status line (a device path, the system's
    // reason); the fixed text stays short and this goes alongside. The next text drops it.
    virtual void showDetail(const QString& detail) { (void)detail; }
};

// Discards everything; for tools that do not show anything.
class NullStatusSink final : public StatusSink {
public:
    void showStatus(const QString&, StatusLine) override {}
};

}  // namespace korvo
