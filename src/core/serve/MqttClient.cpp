#include "core/serve/MqttClient.h"

#include <mosquitto.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QMetaObject>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

namespace korvo {

namespace {

constexpr int kKeepAlive = 30;  // seconds
// Messages inside libmosquitto at a time; the rest wait in the client's own queue. libmosquitto
// looks up an acknowledged message in a list of those it holds, so that list is kept short.
constexpr int kInLibrary = 200;
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

int millisecondsUntil(Clock::time_point t) {
    return static_cast<int>(std::max<long>(
        0, std::chrono::duration_cast<std::chrono::milliseconds>(t - Clock::now()).count()));
}

}  // namespace

MqttClient::MqttClient(MqttEndpoint endpoint, const QByteArray& clientId, Will will)
    : endpoint_(std::move(endpoint)), will_(std::move(will)) {
    initLibrary();
    mosq_ = mosquitto_new(clientId.constData(), true, this);
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

MqttClient::~MqttClient() {
    finish({}, {}, 0.0);
    if (mosq_ != nullptr) {
        mosquitto_destroy(mosq_);
        if (wakeFd_ >= 0) ::close(wakeFd_);
    }
}

QString MqttClient::brokerText() const {
    return QStringLiteral("%1:%2").arg(endpoint_.host).arg(endpoint_.port);
}

bool MqttClient::start(QString& error) {
    if (mosq_ == nullptr || wakeFd_ < 0) {
        error = QStringLiteral("the MQTT client could not be created: %1")
                    .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    mosquitto_int_option(mosq_, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_max_inflight_messages_set(mosq_, kInLibrary);
    mosquitto_connect_callback_set(mosq_, &MqttClient::onConnect);
    mosquitto_disconnect_callback_set(mosq_, &MqttClient::onDisconnect);
    mosquitto_publish_callback_set(mosq_, &MqttClient::onPublish);
    mosquitto_log_callback_set(mosq_, &MqttClient::onLog);
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
    bool first = false;
    {
        std::lock_guard lock(mutex_);
        first = queued_.empty();
        queued_.push_back({topic, payload, qos, retain});
    }
    if (first) wake();
    return true;
}

void MqttClient::finish(const QByteArray& topic, const QByteArray& payload, double wait) {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        lastWait_ = wait;
        if (connected_ && !topic.isEmpty()) {
            ++unsent_;
            queued_.push_back({topic, payload, 1, true});
        }
        stopping_ = true;
    }
    wake();
    // The thread may be inside a connect that only the system's time-out ends: it is left to
    // end on its own (the client then outlives its owner, as the process ends).
    std::unique_lock lock(mutex_);
    if (ended_.wait_for(lock, kJoinWait + std::chrono::milliseconds(static_cast<int>(wait * 1000)),
                        [this] { return done_; })) {
        lock.unlock();
        thread_.join();
    } else {
        lock.unlock();
        thread_.detach();
        mosq_ = nullptr;
    }
}

void MqttClient::wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

bool MqttClient::waitForWake(int milliseconds) {
    pollfd fd{wakeFd_, POLLIN, 0};
    if (::poll(&fd, 1, milliseconds) <= 0) return false;
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(wakeFd_, &count, sizeof count);
    return true;
}

void MqttClient::post(std::function<void()> f) {
    QMetaObject::invokeMethod(&context_, std::move(f), Qt::QueuedConnection);
}

void MqttClient::publishQueued() {
    std::vector<Message> batch;
    {
        std::lock_guard lock(mutex_);
        while (!queued_.empty() && inLibrary_ + static_cast<int>(batch.size()) < kInLibrary) {
            batch.push_back(std::move(queued_.front()));
            queued_.pop_front();
        }
    }
    for (const Message& m : batch) {
        ++inLibrary_;
        if (mosquitto_publish(mosq_, nullptr, m.topic.constData(),
                              static_cast<int>(m.payload.size()), m.payload.constData(), m.qos,
                              m.retain) != MOSQ_ERR_SUCCESS) {
            --inLibrary_;
            --unsent_;
        }
    }
}

int MqttClient::serve(int& err) {
    while (!stopping_) {
        const int socket = mosquitto_socket(mosq_);
        if (socket < 0) return MOSQ_ERR_NO_CONN;
        pollfd fds[2] = {
            {socket, static_cast<short>(POLLIN | (mosquitto_want_write(mosq_) ? POLLOUT : 0)), 0},
            {wakeFd_, POLLIN, 0}};
        if (::poll(fds, 2, 1000) < 0 && errno != EINTR) {
            err = errno;
            return MOSQ_ERR_ERRNO;
        }
        if (fds[1].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t n = ::read(wakeFd_, &count, sizeof count);
            publishQueued();
        }
        int rc = MOSQ_ERR_SUCCESS;
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) rc = mosquitto_loop_read(mosq_, 1);
        if (rc == MOSQ_ERR_SUCCESS && mosquitto_want_write(mosq_))
            rc = mosquitto_loop_write(mosq_, 1);
        if (rc == MOSQ_ERR_SUCCESS) rc = mosquitto_loop_misc(mosq_);
        if (rc != MOSQ_ERR_SUCCESS) {
            err = errno;
            return rc;
        }
        publishQueued();  // room in libmosquitto again after acknowledgements
    }
    return MOSQ_ERR_SUCCESS;
}

void MqttClient::run() {
    pthread_setname_np(pthread_self(), "korvo-mqtt");  // for top -H and the journal's readers
    const QByteArray host = endpoint_.host.toUtf8();
    int pause = 1;
    while (!stopping_) {
        connack_ = -1;
        lastError_.clear();
        int rc = mosquitto_connect(mosq_, host.constData(), endpoint_.port, kKeepAlive);
        int err = errno;
        if (rc == MOSQ_ERR_SUCCESS) rc = serve(err);
        if (stopping_) break;
        connected_ = false;
        {
            // Queued for a connection that is gone: not sent after all.
            std::lock_guard lock(mutex_);
            discarded_ += static_cast<long>(queued_.size());
            queued_.clear();
        }
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
            // A TLS failure's reason is only in libmosquitto's log (OpenSSL's words).
            const QString why = rc == MOSQ_ERR_TLS && !lastError_.isEmpty()
                                    ? errorText(rc, err) + QStringLiteral(" ") + lastError_
                                    : errorText(rc, err);
            post([this, what, why, next] {
                if (problem)
                    problem(QStringLiteral("MQTT broker %1 %2: %3").arg(brokerText(), what, why) +
                            next);
            });
        }
        const auto until = Clock::now() + std::chrono::seconds(pause);
        while (!stopping_ && millisecondsUntil(until) > 0) waitForWake(millisecondsUntil(until));
        pause = std::min(pause * 2, kMaxPause);
    }
    if (connected_) {
        // The last messages (the offline status among them), then a clean disconnect.
        publishQueued();
        const auto deadline =
            Clock::now() + std::chrono::milliseconds(static_cast<int>(lastWait_ * 1000));
        while (unsent_ > 0 && Clock::now() < deadline) {
            pollfd fd{mosquitto_socket(mosq_),
                      static_cast<short>(POLLIN | (mosquitto_want_write(mosq_) ? POLLOUT : 0)), 0};
            if (fd.fd < 0 || ::poll(&fd, 1, std::max(1, millisecondsUntil(deadline))) < 0) break;
            int rc = MOSQ_ERR_SUCCESS;
            if (fd.revents & (POLLIN | POLLHUP | POLLERR)) rc = mosquitto_loop_read(mosq_, 1);
            if (rc == MOSQ_ERR_SUCCESS && mosquitto_want_write(mosq_))
                rc = mosquitto_loop_write(mosq_, 1);
            if (rc != MOSQ_ERR_SUCCESS) break;
            publishQueued();
        }
        mosquitto_disconnect(mosq_);  // DISCONNECT written at once: the broker drops the will
    }
    std::lock_guard lock(mutex_);
    done_ = true;
    ended_.notify_all();
}

void MqttClient::onConnect(mosquitto*, void* self, int rc) {
    auto* c = static_cast<MqttClient*>(self);
    c->connack_ = rc;
    if (rc != 0) return;  // the broker closes the connection; run() reports it
    c->unsent_ = 0;
    c->inLibrary_ = 0;
    c->connected_ = true;
    c->everConnected_ = true;
    c->post([c] {
        if (c->connected) c->connected();
    });
}

void MqttClient::onDisconnect(mosquitto*, void* self, int) {
    static_cast<MqttClient*>(self)->connected_ = false;
}

void MqttClient::onLog(mosquitto*, void* self, int level, const char* text) {
    if (level == MOSQ_LOG_ERR && text != nullptr)
        static_cast<MqttClient*>(self)->lastError_ = QString::fromUtf8(text).left(300);
}

void MqttClient::onPublish(mosquitto*, void* self, int) {
    auto* c = static_cast<MqttClient*>(self);
    if (c->inLibrary_ > 0) --c->inLibrary_;
    int n = c->unsent_.load();
    while (n > 0 && !c->unsent_.compare_exchange_weak(n, n - 1)) {
    }
}

}  // namespace korvo
