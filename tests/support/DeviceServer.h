#pragma once
// Debian's real ser2net, started in the foreground on free loopback ports with a configuration
// of its own, in front of virtual sensors' pseudo-terminals: the device server of the tests and
// the benchmarks that reach sensors over the network. Stopped (killed) when it ends.

#include <QProcess>
#include <QString>
#include <memory>
#include <vector>

namespace korvo {
class Pump;
}

namespace korvo::test {

// A loopback port free at the time of asking.
int freeLoopbackPort();

class DeviceServer {
public:
    // Writes its configuration (and log) into folder.
    explicit DeviceServer(QString folder);
    ~DeviceServer();
    DeviceServer(const DeviceServer&) = delete;
    DeviceServer& operator=(const DeviceServer&) = delete;

    // ser2net's defaults, or as set for request-and-answer traffic: Nagle off (tcp(nodelay)) and
    // no wait for more characters from the device before sending what came (chardelay: false).
    enum class Tuning { Defaults, Interactive };
    // Adds an accepter ("telnet(rfc2217)" or "" for raw TCP) on a free loopback port in front of
    // a ser2net connector ("serialdev,/dev/pts/3,19200n81,local"); returns the port. Takes
    // effect at the next start().
    int add(const QString& telnet, const QString& connector, Tuning tuning = Tuning::Defaults);
    // Starts ser2net; true once every accepter listens (within 5 s). -u: no UUCP lock files,
    // the devices are the caller's own.
    bool start(Pump& pump);
    void kill();

private:
    struct Accepter {
        QString telnet;
        QString connector;
        Tuning tuning;
        int port;
    };
    QString config_;
    std::vector<Accepter> accepters_;
    std::unique_ptr<QProcess> process_;
};

}  // namespace korvo::test
