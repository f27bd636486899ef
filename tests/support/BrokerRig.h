#pragma once
// A real MQTT broker (Debian's mosquitto) on a free loopback port with a configuration file of
// its own, and a subscriber to korvo/# that keeps every message it receives.

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct mosquitto;
struct mosquitto_message;

namespace korvo::test {

class Broker {
public:
    // With a user, only that user with that password is let in.
    Broker(const QString& folder, const QString& user = {}, const QString& password = {});
    ~Broker();
    // A second listener, TLS with a certificate for 127.0.0.1 from a CA made here; call before
    // start(). The CA's certificate file, empty when it could not be made.
    QString addTlsListener();
    int tlsPort() const { return tlsPort_; }
    bool start();  // also after stop(), on the same port; true once it listens
    void stop();
    int port() const { return port_; }
    QString url(const QString& userInfo = {}) const;

private:
    QString config_;
    int port_ = 0;
    int tlsPort_ = 0;
    std::unique_ptr<QProcess> process_;
};

struct MqttMessage {
    QByteArray topic, payload;
    bool retained = false;
    QJsonObject json() const;
};

class Subscriber {
public:
    // Returns once the broker has confirmed the subscription (10 s at the most), so that nothing
    // published after it is missed.
    Subscriber(int port, const QString& user = {}, const QString& password = {});
    ~Subscriber();
    // Messages so far; wait() looks at those from `from` on.
    std::size_t count() const;
    std::size_t countIf(const std::function<bool(const MqttMessage&)>& match) const;
    // Sleeps until a message from index `from` on matches, at most `seconds`.
    std::optional<MqttMessage> wait(const std::function<bool(const MqttMessage&)>& match,
                                    double seconds, std::size_t from = 0) const;
    // The first message on a topic from `from` on whose JSON field `key` has `value`.
    std::optional<MqttMessage> waitJson(const QByteArray& topic, const char* key,
                                        const QJsonValue& value, double seconds,
                                        std::size_t from = 0) const;

private:
    static void onConnect(mosquitto*, void* self, int rc);
    static void onMessage(mosquitto*, void* self, const mosquitto_message* m);
    static void onSubscribe(mosquitto*, void* self, int, int, const int*);
    mosquitto* mosq_ = nullptr;
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<MqttMessage> messages_;
    bool subscribed_ = false;
};

}  // namespace korvo::test
