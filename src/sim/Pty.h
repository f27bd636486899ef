#pragma once
// One pseudo-terminal pair: the sensor holds the master, the PC opens the slave path like a
// serial device. The sensor keeps a slave descriptor of its own open (raw mode), so the master
// never sees a hang-up when the PC closes its side.

#include <QString>

namespace korvo::sim {

class Pty {
public:
    Pty() = default;
    ~Pty() { close(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    // Opens a fresh pair (closing any previous one). False with errorText() set on failure.
    bool open();
    // Closes both descriptors: a PC still holding the slave then reads EIO / hang-up.
    void close();

    bool isOpen() const { return master_ >= 0; }
    int masterFd() const { return master_; }
    QString slavePath() const { return path_; }
    QString errorText() const { return error_; }
    // The line rate the PC side has set on the slave, or 0 when unknown.
    int slaveBaud() const;

private:
    int master_ = -1;
    int slave_ = -1;
    QString path_;
    QString error_;
};

}  // namespace korvo::sim
