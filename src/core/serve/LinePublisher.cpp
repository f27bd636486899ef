#include "core/serve/LinePublisher.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QTimer>
#include <cmath>

namespace korvo {

namespace {

constexpr int kStateCheckMs = 250;  // how soon a port turning stale is published
constexpr double kOfflineWait = 2.0;

QByteArray compact(const QJsonObject& j) {
    return QJsonDocument(j).toJson(QJsonDocument::Compact);
}

}  // namespace

MqttClient::Will LinePublisher::will(const QString& line) {
    return {statusTopic(line), QByteArrayLiteral("offline"), 1, true};
}

LinePublisher::LinePublisher(LineMonitor& monitor, MqttClient& client, Settings settings)
    : monitor_(monitor), client_(client), settings_(std::move(settings)) {
    monitor_.changed = [this](int com) { portChanged(com); };
    client_.connected = [this] {
        client_.publish(statusTopic(settings_.line), QByteArrayLiteral("online"), 1, true);
        checkStates(true);
    };
}

void LinePublisher::start() {
    auto* states = new QTimer(&context_);
    QObject::connect(states, &QTimer::timeout, &context_, [this] { checkStates(false); });
    states->start(kStateCheckMs);
    if (settings_.rate > 0.0) {
        auto* values = new QTimer(&context_);
        values->setTimerType(Qt::PreciseTimer);
        QObject::connect(values, &QTimer::timeout, &context_, [this] { publishIntervals(); });
        values->start(std::max(1, static_cast<int>(std::lround(1000.0 / settings_.rate))));
    }
}

void LinePublisher::finish() {
    for (QTimer* t : context_.findChildren<QTimer*>()) t->stop();
    monitor_.changed = nullptr;
    client_.connected = nullptr;
    client_.finish(statusTopic(settings_.line), QByteArrayLiteral("offline"), kOfflineWait);
}

void LinePublisher::portChanged(int com) {
    const PortWatch* w = monitor_.watch(com);
    if (w == nullptr) return;
    Port& p = ports_[com];
    if (w->sampled && w->samples != p.samples) {
        p.samples = w->samples;
        p.interval.add(w->run, w->inTolerance);
        if (settings_.rate <= 0.0) publishValue(*w, p);
    }
    publishState(*w, p, false);
}

void LinePublisher::checkStates(bool force) {
    for (const PortWatch& w : monitor_.watches()) publishState(w, ports_[w.com], force);
}

// `w` as the monitor hands it out: its state as of now.
void LinePublisher::publishState(const PortWatch& w, Port& p, bool force) {
    StateKey key{w.state,          w.reason,       w.serialNumber, w.modelLine, w.firmwareText,
                 w.run.teachValue, w.limits.upper, w.limits.lower, w.umSlope};
    if (!force && p.sent == key) return;
    p.sent = key;
    const QJsonObject j = stateMessage(w, w.lastAnswer, w.umSlope, dropped());
    client_.publish(stateTopic(settings_.line, w.com), compact(j), 1, true);
}

void LinePublisher::publishValue(const PortWatch& w, Port& p) {
    const QJsonObject j = valueMessage(w, p.interval, QDateTime::currentDateTimeUtc());
    p.interval = {};
    if (!client_.publish(valueTopic(settings_.line, w.com), compact(j), settings_.valueQos, false))
        ++dropped_;
}

void LinePublisher::publishIntervals() {
    for (auto& [com, p] : ports_) {
        if (p.interval.samples == 0) continue;
        if (const PortWatch* w = monitor_.watch(com)) publishValue(*w, p);
    }
}

}  // namespace korvo
