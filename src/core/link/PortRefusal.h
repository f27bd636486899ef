#pragma once
// Why a serial device would not open when the serial port library only says "permission": the
// user may not open the device (the dialout group), or another program holds it (its lock file
// names it, or it is seen to have the device open). The two need different remedies, so they are
// told apart from facts gathered on the spot; the wording is decided apart from the gathering, so
// that a test can state any case (a root user, a lock of a process that is gone).

#include <QString>
#include <optional>
#include <vector>

namespace korvo {

struct PortHolder {
    long pid = 0;
    QString name;  // the process's command name; empty when it cannot be read
};

struct PortRefusalFacts {
    bool accessDenied = false;            // the user may not read and write the device node
    QString deviceGroup;                  // the node's group
    QString lockFile;                     // a lock file of the device held by a live process
    std::optional<PortHolder> lockOwner;  // that process
    std::vector<PortHolder> openers;      // processes that have the node open, as far as visible
};

// The hint that follows the library's own reason.
QString portRefusalHint(const PortRefusalFacts& facts);

// The facts for a device node (the path the port was opened by, links resolved).
PortRefusalFacts gatherPortRefusalFacts(const QString& node);

// The lock file name serial programs use for a node: /dev/ttyUSB0 -> "LCK..ttyUSB0",
// /dev/pts/3 -> "LCK..pts_3".
QString serialLockFileName(const QString& node);

}  // namespace korvo
