#include "support/BrokerRig.h"

#include <mosquitto.h>
#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <algorithm>
#include <chrono>

namespace korvo::test {

namespace {

int freeLoopbackPort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

}  // namespace

Broker::Broker(const QString& folder, const QString& user, const QString& password)
    : config_(folder + QStringLiteral("/mosquitto.conf")), port_(freeLoopbackPort()) {
    // Run as root, mosquitto would become the user "mosquitto", who cannot read the test's folder.
    const passwd* me = getpwuid(getuid());
    QString text =
        QStringLiteral("listener %1 127.0.0.1\npersistence false\nlog_type error\nuser %2\n"
                       "max_queued_messages 100000\n")
            .arg(port_)
            .arg(QString::fromLocal8Bit(me != nullptr ? me->pw_name : "root"));
    if (user.isEmpty()) {
        text += QStringLiteral("allow_anonymous true\n");
    } else {
        const QString passwords = folder + QStringLiteral("/passwords");
        QProcess::execute(QStringLiteral("mosquitto_passwd"),
                          {"-c", "-b", passwords, user, password});
        text += QStringLiteral("allow_anonymous false\npassword_file %1\n").arg(passwords);
    }
    QFile f(config_);
    if (f.open(QIODevice::WriteOnly)) f.write(text.toUtf8());
}

Broker::~Broker() {
    stop();
}

namespace {

bool quietly(const QStringList& opensslArguments) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("openssl"), opensslArguments);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

}  // namespace

QString Broker::addTlsListener() {
    const QDir dir = QFileInfo(config_).dir();
    const auto file = [&](const char* name) { return dir.filePath(QLatin1String(name)); };
    QFile ext(file("san.ext"));
    if (!ext.open(QIODevice::WriteOnly)) return {};
    ext.write("subjectAltName=IP:127.0.0.1\n");
    ext.close();
    const QStringList ec = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
    const bool made = quietly(QStringList{"req", "-x509"} + ec +
                              QStringList{"-keyout", file("ca.key"), "-out", file("ca.pem"),
                                          "-days", "2", "-subj", "/CN=korvo test CA"}) &&
                      quietly(QStringList{"req"} + ec +
                              QStringList{"-keyout", file("server.key"), "-out", file("server.csr"),
                                          "-subj", "/CN=127.0.0.1"}) &&
                      quietly({"x509", "-req", "-in", file("server.csr"), "-CA", file("ca.pem"),
                               "-CAkey", file("ca.key"), "-CAcreateserial", "-out",
                               file("server.pem"), "-days", "2", "-extfile", file("san.ext")});
    if (!made) return {};
    tlsPort_ = freeLoopbackPort();
    QFile conf(config_);
    if (!conf.open(QIODevice::Append)) return {};
    conf.write(QStringLiteral("listener %1 127.0.0.1\ncafile %2\ncertfile %3\nkeyfile %4\n")
                   .arg(tlsPort_)
                   .arg(file("ca.pem"), file("server.pem"), file("server.key"))
                   .toUtf8());
    return file("ca.pem");
}

bool Broker::start() {
    process_ = std::make_unique<QProcess>();
    process_->setStandardErrorFile(QFileInfo(config_).dir().filePath("mosquitto.log"),
                                   QIODevice::Append);
    process_->start(QStringLiteral("mosquitto"), {"-c", config_});
    if (!process_->waitForStarted(5000)) return false;
    for (int i = 0; i < 100; ++i) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_));
        if (probe.waitForConnected(100)) return true;
        if (process_->waitForFinished(50)) return false;
    }
    return false;
}

void Broker::stop() {
    if (!process_ || process_->state() == QProcess::NotRunning) return;
    process_->terminate();
    if (!process_->waitForFinished(5000)) process_->kill();
    process_->waitForFinished(5000);
}

QString Broker::url(const QString& userInfo) const {
    const QString user = userInfo.isEmpty() ? QString() : userInfo + QLatin1Char('@');
    return QStringLiteral("mqtt://") + user + QStringLiteral("127.0.0.1:%1").arg(port_);
}

QJsonObject MqttMessage::json() const {
    return QJsonDocument::fromJson(payload).object();
}

Subscriber::Subscriber(int port, const QString& user, const QString& password) {
    mosquitto_lib_init();
    mosq_ = mosquitto_new(nullptr, true, this);
    if (!user.isEmpty())
        mosquitto_username_pw_set(mosq_, user.toUtf8().constData(), password.toUtf8().constData());
    mosquitto_connect_callback_set(mosq_, &Subscriber::onConnect);
    mosquitto_message_callback_set(mosq_, &Subscriber::onMessage);
    mosquitto_subscribe_callback_set(mosq_, &Subscriber::onSubscribe);
    mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
    mosquitto_connect(mosq_, "127.0.0.1", port, 10);
    mosquitto_loop_start(mosq_);
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, std::chrono::seconds(10), [this] { return subscribed_; });
}

Subscriber::~Subscriber() {
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, true);
    mosquitto_destroy(mosq_);
}

void Subscriber::onConnect(mosquitto* m, void*, int rc) {
    if (rc == 0) mosquitto_subscribe(m, nullptr, "korvo/#", 1);
}

void Subscriber::onSubscribe(mosquitto*, void* self, int, int, const int*) {
    auto* s = static_cast<Subscriber*>(self);
    std::lock_guard lock(s->mutex_);
    s->subscribed_ = true;
    s->arrived_.notify_all();
}

void Subscriber::onMessage(mosquitto*, void* self, const mosquitto_message* m) {
    auto* s = static_cast<Subscriber*>(self);
    MqttMessage message{QByteArray(m->topic),
                        QByteArray(static_cast<const char*>(m->payload), m->payloadlen), m->retain};
    std::lock_guard lock(s->mutex_);
    s->messages_.push_back(std::move(message));
    s->arrived_.notify_all();
}

std::size_t Subscriber::count() const {
    std::lock_guard lock(mutex_);
    return messages_.size();
}

std::size_t Subscriber::countIf(const std::function<bool(const MqttMessage&)>& match) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(messages_.begin(), messages_.end(), match));
}

std::optional<MqttMessage> Subscriber::wait(const std::function<bool(const MqttMessage&)>& match,
                                            double seconds, std::size_t from) const {
    std::unique_lock lock(mutex_);
    std::optional<MqttMessage> found;
    arrived_.wait_for(lock, std::chrono::milliseconds(static_cast<int>(seconds * 1000)), [&] {
        for (std::size_t i = from; i < messages_.size(); ++i)
            if (match(messages_[i])) {
                found = messages_[i];
                return true;
            }
        from = messages_.size();
        return false;
    });
    return found;
}

std::optional<MqttMessage> Subscriber::waitJson(const QByteArray& topic, const char* key,
                                                const QJsonValue& value, double seconds,
                                                std::size_t from) const {
    return wait(
        [&](const MqttMessage& m) {
            return m.topic == topic && m.json().value(QLatin1String(key)) == value;
        },
        seconds, from);
}

}  // namespace korvo::test
