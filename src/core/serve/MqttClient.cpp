#include "core/serve/MqttClient.h"

#include <mosquitto.h>

#include <QMetaObject>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

namespace korvo {

namespace {

constexpr int kKeepAlive = 30;           // seconds
constexpr unsigned kMaxInflight = 1000;  // QoS 1 messages the broker has not acknowledged yet
constexpr auto kJoinWait = std::chrono::seconds(5);

void initLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

QString errorText(int rc, int err) {
    if (rc == MOSQ_ERR_ERRNO) return QString::fromLocal8Bit(std::strerror(err));
    return QString::fromUtf8(mosquitto_strerror(rc));
}

using Clock = std::chrono::steady_clock;

}  // namespace

MqttClient::MqttClient(MqttEndpoint endpoint, const QByteArray& clientId, Will will)
    : endpoint_(std::move(endpoint)), will_(std::move(will)) {
    initLibrary();
    mosq_ = mosquitto_new(clientId.constData(), true, this);
}

MqttClient::~MqttClient() {
    finish({}, {}, 0.0);
    if (mosq_ != nullptr) mosquitto_destroy(mosq_);
}

QString MqttClient::brokerText() const {
    return QStringLiteral("%1:%2").arg(endpoint_.host).arg(endpoint_.port);
}

bool MqttClient::start(QString& error) {
    if (mosq_ == nullptr) {
        error = QStringLiteral("the MQTT client could not be created");
        return false;
    }
    mosquitto_threaded_set(mosq_, true);
    mosquitto_int_option(mosq_, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_max_inflight_messages_set(mosq_, kMaxInflight);
    mosquitto_connect_callback_set(mosq_, &MqttClient::onConnect);
    mosquitto_disconnect_callback_set(mosq_, &MqttClient::onDisconnect);
    mosquitto_publish_callback_set(mosq_, &MqttClient::onPublish);
    if (!endpoint_.user.isEmpty()) {
        const QByteArray user = endpoint_.user.toUtf8(), password = endpoint_.password.toUtf8();
        mosquitto_username_pw_set(mosq_, user.constData(),
                                  endpoint_.password.isEmpty() ? nullptr : password.constData());
    }
    if (!will_.topic.isEmpty())
        mosquitto_will_set(mosq_, will_.topic.constData(), static_cast<int>(will_.payload.size()),
                           will_.payload.constData(), will_.qos, will_.retain);
    if (endpoint_.tls) {
        const QByteArray ca = endpoint_.caFile.toLocal8Bit();
        const int rc =
            mosquitto_tls_set(mosq_, ca.isEmpty() ? nullptr : ca.constData(),
                              ca.isEmpty() ? "/etc/ssl/certs" : nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            error = QStringLiteral("TLS not set up with %1: %2")
                        .arg(ca.isEmpty() ? QStringLiteral("/etc/ssl/certs") : endpoint_.caFile,
                             errorText(rc, errno));
            return false;
        }
    }
    thread_ = std::thread([this] { run(); });
    return true;
}

bool MqttClient::publish(const QByteArray& topic, const QByteArray& payload, int qos, bool retain) {
    if (!connected_ || stopping_) return false;
    if (unsent_.fetch_add(1) >= kMaxUnsent) {
        --unsent_;
        return false;
    }
    if (mosquitto_publish(mosq_, nullptr, topic.constData(), static_cast<int>(payload.size()),
                          payload.constData(), qos, retain) != MOSQ_ERR_SUCCESS) {
        --unsent_;
        return false;
    }
    return true;
}

void MqttClient::finish(const QByteArray& topic, const QByteArray& payload, double wait) {
    if (!thread_.joinable()) return;
    lastWait_ = wait;
    if (connected_ && !topic.isEmpty()) {
        ++unsent_;
        if (mosquitto_publish(mosq_, nullptr, topic.constData(), static_cast<int>(payload.size()),
                              payload.constData(), 1, true) != MOSQ_ERR_SUCCESS)
            --unsent_;
    }
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    // The thread may be inside a connect that only the system's time-out ends: it is left to
    // end on its own (the client then outlives its owner, as the process ends).
    std::unique_lock lock(mutex_);
    if (wake_.wait_for(lock, kJoinWait + std::chrono::milliseconds(static_cast<int>(wait * 1000)),
                       [this] { return done_; })) {
        lock.unlock();
        thread_.join();
    } else {
        lock.unlock();
        thread_.detach();
        mosq_ = nullptr;
    }
}

void MqttClient::sleepFor(int seconds) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, std::chrono::seconds(seconds), [this] { return stopping_.load(); });
}

void MqttClient::post(std::function<void()> f) {
    QMetaObject::invokeMethod(&context_, std::move(f), Qt::QueuedConnection);
}

void MqttClient::run() {
    const QByteArray host = endpoint_.host.toUtf8();
    int pause = 1;
    while (!stopping_) {
        connack_ = -1;
        int rc = mosquitto_connect(mosq_, host.constData(), endpoint_.port, kKeepAlive);
        int err = errno;
        while (rc == MOSQ_ERR_SUCCESS && !stopping_) {
            rc = mosquitto_loop(mosq_, 1000, 1);
            err = errno;
        }
        if (stopping_) break;
        connected_ = false;
        const int connack = connack_;
        if (connack == 0) pause = 1;
        const QString next = QStringLiteral("; next try in %1 s").arg(pause);
        if (connack > 0) {
            const QString why = QString::fromUtf8(mosquitto_connack_string(connack));
            post([this, why, next] {
                if (refused)
                    refused(QStringLiteral("MQTT broker %1 refused the connection: %2")
                                .arg(brokerText(), why) +
                            next);
            });
        } else {
            const QString what =
                connack == 0 ? QStringLiteral("lost") : QStringLiteral("not reached");
            const QString why = errorText(rc, err);
            post([this, what, why, next] {
                if (problem)
                    problem(QStringLiteral("MQTT broker %1 %2: %3").arg(brokerText(), what, why) +
                            next);
            });
        }
        sleepFor(pause);
        pause = std::min(pause * 2, kMaxPause);
    }
    if (connected_) {
        const auto deadline =
            Clock::now() + std::chrono::milliseconds(static_cast<int>(lastWait_ * 1000));
        while (unsent_ > 0 && Clock::now() < deadline &&
               mosquitto_loop(mosq_, 100, 1) == MOSQ_ERR_SUCCESS) {
        }
        mosquitto_disconnect(mosq_);
        const auto closed = Clock::now() + std::chrono::seconds(1);
        while (Clock::now() < closed && mosquitto_loop(mosq_, 100, 1) == MOSQ_ERR_SUCCESS) {
        }
    }
    std::lock_guard lock(mutex_);
    done_ = true;
    wake_.notify_all();
}

void MqttClient::onConnect(mosquitto*, void* self, int rc) {
    auto* c = static_cast<MqttClient*>(self);
    c->connack_ = rc;
    if (rc != 0) return;  // the broker closes the connection; run() reports it
    c->unsent_ = 0;
    c->connected_ = true;
    c->everConnected_ = true;
    c->post([c] {
        if (c->connected) c->connected();
    });
}

void MqttClient::onDisconnect(mosquitto*, void* self, int) {
    static_cast<MqttClient*>(self)->connected_ = false;
}

void MqttClient::onPublish(mosquitto*, void* self, int) {
    auto* c = static_cast<MqttClient*>(self);
    int n = c->unsent_.load();
    while (n > 0 && !c->unsent_.compare_exchange_weak(n, n - 1)) {
    }
}

}  // namespace korvo
