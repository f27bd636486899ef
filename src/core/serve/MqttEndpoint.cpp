#include "core/serve/MqttEndpoint.h"

#include <QUrl>

namespace korvo {

std::optional<MqttEndpoint> parseMqttUrl(const QString& url,
                                         const std::optional<QString>& envPassword,
                                         QString& error) {
    const QUrl u(url, QUrl::StrictMode);
    const QString scheme = u.scheme().toLower();
    if (!u.isValid() || (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts"))) {
        error =
            QStringLiteral("not an MQTT URL: mqtt://[user[:password]@]host[:port] or mqtts://...");
        return std::nullopt;
    }
    if (u.host().isEmpty()) {
        error = QStringLiteral("the MQTT URL names no broker host");
        return std::nullopt;
    }
    if ((!u.path().isEmpty() && u.path() != QLatin1String("/")) || u.hasQuery() ||
        u.hasFragment()) {
        error =
            QStringLiteral("the MQTT URL has a path, query or fragment: only a broker is named");
        return std::nullopt;
    }
    MqttEndpoint e;
    e.tls = scheme == QLatin1String("mqtts");
    e.host = u.host();
    e.port = u.port(e.tls ? 8883 : 1883);
    if (e.port < 1) {
        error = QStringLiteral("the MQTT URL's port is not from 1 to 65535");
        return std::nullopt;
    }
    e.user = u.userName(QUrl::FullyDecoded);
    e.password = u.password(QUrl::FullyDecoded);
    if (e.user.isEmpty() && !e.password.isEmpty()) {
        error = QStringLiteral("the MQTT URL has a password but no user");
        return std::nullopt;
    }
    if (!e.user.isEmpty() && e.password.isEmpty() && envPassword) e.password = *envPassword;
    return e;
}

bool isTopicName(const QString& name) {
    if (name.isEmpty() || name.size() > 64) return false;
    for (const QChar c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('+') || c == QLatin1Char('#') ||
            c.isSpace() || c.category() == QChar::Other_Control)
            return false;
    return true;
}

QByteArray statusTopic(const QString& line) {
    return QStringLiteral("korvo/%1/status").arg(line).toUtf8();
}

QByteArray stateTopic(const QString& line, int com) {
    return QStringLiteral("korvo/%1/COM%2/state").arg(line).arg(com).toUtf8();
}

QByteArray valueTopic(const QString& line, int com) {
    return QStringLiteral("korvo/%1/COM%2/value").arg(line).arg(com).toUtf8();
}

}  // namespace korvo
