#pragma once
// The line monitor's ports published to an MQTT broker: the line's status ("online", and
// "offline" at a clean stop or as the broker's last will), each port's retained state whenever
// it changes, and a value message per port and interval (or per record at rate 0). After every
// connection the status and every port's state go out afresh. Values that cannot be handed to
// the client (broker away, too much unsent) are dropped and counted; the count since start is
// in every state message.

#include <QObject>
#include <QString>
#include <map>
#include <optional>
#include <tuple>

#include "core/monitor/LineMonitor.h"
#include "core/serve/MqttClient.h"
#include "core/serve/ServeReport.h"

namespace korvo {

class LinePublisher {
public:
    struct Settings {
        QString line;        // NAME in the topics
        double rate = 10.0;  // value messages per second and port; 0: one per record
        int valueQos = 0;
    };

    // Sets the monitor's `changed` hook and the client's `connected` hook.
    LinePublisher(LineMonitor& monitor, MqttClient& client, Settings settings);
    LinePublisher(const LinePublisher&) = delete;
    LinePublisher& operator=(const LinePublisher&) = delete;

    void start();
    // "offline", waited for at most two seconds; the client is done after it.
    void finish();
    // Values not sent since start: not taken by the client, or lost with a connection.
    long dropped() const { return dropped_ + client_.discarded(); }

    static MqttClient::Will will(const QString& line);

private:
    using StateKey = std::tuple<WatchState, QString, std::uint16_t, QString, QString, std::uint16_t,
                                int, int, std::optional<std::uint32_t>>;
    struct Port {
        std::optional<StateKey> sent;
        long samples = 0;
        ValueInterval interval;
    };
    void portChanged(int com);
    void checkStates(bool force);
    void publishState(const PortWatch& w, Port& p, bool force);
    void publishValue(const PortWatch& w, Port& p);
    void publishIntervals();

    LineMonitor& monitor_;
    MqttClient& client_;
    Settings settings_;
    QObject context_;
    std::map<int, Port> ports_;
    long dropped_ = 0;
};

}  // namespace korvo
