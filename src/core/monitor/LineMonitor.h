#pragma once
// Measures many ports at once on the calling thread's event loop. Every port has a sensor object
// of its own and one run request outstanding at a time: the next goes out as soon as its answer
// came, so each port runs at its own line rate and a slow or silent port holds up no other.
//
// It never changes a sensor: a run request carries para0, and every port's requests carry that
// sensor's own para0 as read from its RAM when the port joined. A port joins one at a time: it is
// opened, identified with the multiplexer's line check (all-zero data words) and the window's
// rules (a sensor of another series or version is refused), and its para0 and para1 are read.
// Whatever else is going to work a sensor first lets go of its port (release) and hands it back
// after (resume); the port then joins again, so para0 is read again.
//
// A port that stays silent turns stale and is asked again every second; one that hangs up is
// line lost and is opened again every kRetryAfter seconds until its sensor is back.

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "core/link/PortBank.h"
#include "core/link/PortSensor.h"
#include "core/link/Pump.h"
#include "core/monitor/PortWatch.h"

namespace korvo {

class LineMonitor {
public:
    // The ports are opened in bank (shared with whatever else works them); waits use pump,
    // which must be the Qt event loop of this thread.
    LineMonitor(PortBank& bank, Pump& pump);
    ~LineMonitor();
    LineMonitor(const LineMonitor&) = delete;
    LineMonitor& operator=(const LineMonitor&) = delete;

    // A port to watch at the baud index; it joins once start() ran.
    void addPort(int com, int baudIndex);
    // A port the port table switched off: shown as not connected with the reason, never opened.
    void addDisabledPort(int com, const QString& reason);
    void start();
    // No request goes out any more; the ports the monitor opened are closed (a released one is
    // left as it is) unless closePortsAtStop(false) said the owner of the bank keeps them open.
    // Safe to call from within a wait.
    void stop();
    void closePortsAtStop(bool close) { closeAtStop_ = close; }

    // Lets go of the port: its pending answer is ignored and no request goes out until resume().
    void release(int com);
    void resume(int com);
    bool holds(int com) const;

    // Every port in COM order, its state as of now.
    std::vector<PortWatch> watches();
    // One port as of now; nullptr for a port never added.
    const PortWatch* watch(int com);
    // The values since the last call for this port, and a new interval begun.
    IntervalValues takeInterval(int com);
    // The para0 every request of this port carries (as read from the sensor's RAM).
    const ParamSet* para0(int com) const;

    // Called after every sample and every change of a port's state.
    std::function<void(int com)> changed;

private:
    struct Port;
    Port* find(int com) const;
    static bool waitsToJoin(const Port& p);
    void scheduleJoin(double after);
    void joinDue();
    void join(Port& p);
    void sendRun(Port& p);
    void framesArrived(Port& p);
    void replyTimedOut(Port& p);
    void lose(Port& p, const QString& reason);
    void notify(Port& p);

    PortBank& bank_;
    Pump& pump_;
    QObject context_;  // owns the timers and the connections
    std::map<int, std::unique_ptr<Port>> ports_;
    bool started_ = false;
    bool stopped_ = false;
    bool joining_ = false;
    bool closeAtStop_ = true;
};

}  // namespace korvo
