#pragma once
// The line monitor over the ports of a command line (korvo watch, korvo serve), on the main
// thread's event loop.

#include <vector>

#include "cli/Args.h"
#include "core/link/PortBank.h"
#include "core/link/Pump.h"
#include "core/monitor/LineMonitor.h"

namespace korvo::cli {

struct LineRun {
    LineRun(const Options& o, const std::vector<int>& ports);
    // Starts the monitor and runs the event loop until `done` is set (by a caller's timer),
    // --duration seconds have passed, or Ctrl-C or a stop signal came.
    void run(const Options& o, bool& done);

    QtPump pump;
    PortBank bank;
    LineMonitor monitor;
};

}  // namespace korvo::cli
