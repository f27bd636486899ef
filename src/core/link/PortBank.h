#pragma once
// All serial ports of the program, one per COM number, created on first use and kept until the
// bank ends. Every port keeps the frames it receives to itself; the exchange waiting on that port
// takes its answer from there (see ComPort and SensorLink). The device of a COM
// number is looked up in the port map file each time a port is opened, so edits to the map (by
// the user or the virtual sensor) take effect at the next opening.

#include <QObject>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>

#include "core/link/ComPort.h"

namespace korvo {

class PortBank {
public:
    explicit PortBank(QString portMapPath = {});
    ~PortBank();
    PortBank(const PortBank&) = delete;
    PortBank& operator=(const PortBank&) = delete;

    // The port map file read at each opening; empty = the program directory's file.
    void setPortMapPath(const QString& path) { portMapPath_ = path; }
    QString portMapPath() const;
    // The device a COM number opens, from the map as it stands now; empty when the map is there
    // but cannot be read or refuses that number's line (no device would be opened).
    QString devicePathFor(int comNumber) const;
    // baudChangeNotice() for the address the COM number opens now; empty for most ports.
    QString baudChangeNotice(int comNumber) const;

    // Opens COM comNumber at the table's baud rate for baudIndex with the given receive queue
    // size (closing it first if open). Returns 0 or a negative error code; kErrCannotOpen without
    // trying any device when the port map is there but cannot be read, or refuses its line.
    int open(int comNumber, int baudIndex, int queueSize);
    void close(int comNumber);
    void closeAll();

    // nullptr when the COM number was never used.
    ComPort* port(int comNumber) const;
    bool isOpen(int comNumber) const;
    bool isBroken(int comNumber) const;
    // Why the port map was not read at the latest opening, else the device path and reason of
    // the last failure of that port; empty when there is nothing to explain.
    QString errorDetail(int comNumber) const;
    // Why the port map was not read at the latest opening, or why it refused that port's line;
    // empty when it was read or missing.
    const QString& portMapProblem() const { return portMapProblem_; }

    // The port operations by COM number; kErrPortNotOpen for a port that is not open.
    int flushIn(int comNumber);
    int flushOut(int comNumber);
    int flushInThenOut(int comNumber);
    int write(int comNumber, const std::uint8_t* data, int count);
    // Up to count queued bytes (ComPort::read); none for a port that is not open.
    QByteArray read(int comNumber, int count);
    int inQLen(int comNumber) const;
    void installCallback(int comNumber, bool on);

private:
    ComPort& portFor(int comNumber);

    QString portMapPath_;
    QString portMapProblem_;  // of the latest opening
    std::map<int, std::unique_ptr<ComPort>> ports_;
};

}  // namespace korvo
