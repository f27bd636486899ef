#pragma once
// An MQTT client (libmosquitto) whose network work runs on a thread of its own: the name lookup,
// the connect and the TLS handshake block, and a broker that is slow or away must not hold up
// the line monitor on the caller's thread. Only that thread touches libmosquitto; it sleeps in
// poll() on the broker's socket and on a wake-up descriptor. Messages are handed over in
// batches: the caller queues them, and one wake-up takes all that were queued meanwhile.
// Between tries the thread sleeps too: pauses of 1, 2, 4 ... seconds, at most kMaxPause, begun
// again at 1 after each connection the broker accepted.
//
// Messages are taken only while connected and while fewer than kMaxUnsent are still on their way
// to the broker, so memory stays bounded however long the broker is away; the caller counts
// what was not taken. Everything the client reports reaches the caller's thread through its
// event loop.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "core/serve/MqttEndpoint.h"

struct mosquitto;

namespace korvo {

class MqttClient {
public:
    static constexpr int kMaxPause = 30;  // seconds between tries at most
    static constexpr int kMaxUnsent =
        20000;  // messages handed over but not yet sent or acknowledged

    struct Will {
        QByteArray topic, payload;
        int qos = 1;
        bool retain = true;
    };

    MqttClient(MqttEndpoint endpoint, const QByteArray& clientId, Will will);
    ~MqttClient();  // finish() if not done
    MqttClient(const MqttClient&) = delete;
    MqttClient& operator=(const MqttClient&) = delete;

    // False with `error` when the client cannot be set up (a TLS file that cannot be read).
    bool start(QString& error);
    // A message, queued for the client's thread; false when it was not taken.
    bool publish(const QByteArray& topic, const QByteArray& payload, int qos, bool retain);
    // Publishes a last message (QoS 1) when connected, waits at most `wait` seconds until the
    // broker has it, disconnects and ends the thread. The broker's will is not sent then.
    void finish(const QByteArray& topic, const QByteArray& payload, double wait);

    bool isConnected() const { return connected_; }
    bool everConnected() const { return everConnected_; }
    QString brokerText() const;  // host:port
    // Messages taken but not sent after all: queued when the connection went.
    long discarded() const {
        std::lock_guard lock(mutex_);
        return discarded_;
    }

    // On the caller's thread:
    std::function<void()> connected;              // each connection the broker accepted
    std::function<void(const QString&)> problem;  // not reached, lost: reason and next pause
    std::function<void(const QString&)> refused;  // the broker refused this client (credentials)

private:
    struct Message {
        QByteArray topic, payload;
        int qos = 0;
        bool retain = false;
    };
    void run();
    int serve(int& err);  // until the connection ends or stopping_; libmosquitto's result
    void publishQueued();
    bool waitForWake(int milliseconds);  // true when woken
    void wake();
    void post(std::function<void()> f);
    static void onConnect(mosquitto*, void* self, int rc);
    static void onDisconnect(mosquitto*, void* self, int rc);
    static void onPublish(mosquitto*, void* self, int mid);
    static void onLog(mosquitto*, void* self, int level, const char* text);

    MqttEndpoint endpoint_;
    Will will_;
    mosquitto* mosq_ = nullptr;
    QObject context_;  // lives on the caller's thread; reports are queued to it
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable ended_;  // done_ set
    std::atomic<bool> stopping_{false};
    std::atomic<bool> connected_{false};
    std::atomic<bool> everConnected_{false};
    std::atomic<int> unsent_{0};
    std::atomic<int> connack_{-1};  // the broker's answer to the last connect
    int wakeFd_ = -1;               // eventfd: messages queued, or stopping
    std::deque<Message> queued_;    // under mutex_, not yet handed to libmosquitto
    int inLibrary_ = 0;             // handed over, not yet sent (QoS 0) or acknowledged (QoS 1)
    long discarded_ = 0;            // under mutex_
    QString lastError_;             // libmosquitto's last error line (its thread only)
    double lastWait_ = 0.0;
    bool done_ = false;  // the thread has ended its work (under mutex_)
};

}  // namespace korvo
