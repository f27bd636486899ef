#pragma once
// The one way core code lets the rest of the program run while it waits: process pending events,
// sleep until the next event or a deadline, read the monotonic clock. The GUI, the tests and the
// benchmarks all use the Qt event loop behind it; a test may substitute its own.

#include <memory>

namespace korvo {

class Pump {
public:
    virtual ~Pump() = default;
    // Runs every pending event once (the receive callbacks of open ports included).
    virtual void processEvents() = 0;
    // Sleeps until an event arrives or the monotonic clock reaches deadline (seconds), then
    // processes what arrived. Never spins.
    virtual void waitForEvents(double deadline) = 0;
    // Monotonic seconds since an arbitrary start, double precision.
    virtual double now() const = 0;
    // Waits the given seconds while events keep running.
    void delay(double seconds);
};

// The Qt event loop of the calling thread. Create it after the QCoreApplication, on the thread
// that runs the ports.
class QtPump final : public Pump {
public:
    QtPump();
    ~QtPump() override;
    QtPump(const QtPump&) = delete;
    QtPump& operator=(const QtPump&) = delete;

    void processEvents() override;
    void waitForEvents(double deadline) override;
    double now() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace korvo
