#pragma once
// Where `korvo serve` publishes: the broker of an MQTT URL, and the names of this line's topics.

#include <QByteArray>
#include <QString>
#include <optional>

namespace korvo {

struct MqttEndpoint {
    bool tls = false;  // mqtts://
    QString host;
    int port = 1883;   // 8883 for mqtts:// when the URL names none
    QString user;      // empty: no user name sent
    QString password;  // sent only with a user
    QString caFile;    // mqtts:// only; empty: the system's certificate folder
};

// mqtt://[user[:password]@]host[:port] or mqtts://...; user and password may be percent-encoded.
// `envPassword` (the KORVO_MQTT_PASSWORD variable, when set) is taken when the URL names a user
// without a password. Nothing else is accepted: no path, query or fragment, no other scheme, a
// password without a user. On a bad URL `error` says what is wrong, without the password.
std::optional<MqttEndpoint> parseMqttUrl(const QString& url,
                                         const std::optional<QString>& envPassword, QString& error);

// A line name in topics: not empty, at most 64 characters, none of / + # and no control
// character or space.
bool isTopicName(const QString& name);

QByteArray statusTopic(const QString& line);          // korvo/NAME/status
QByteArray stateTopic(const QString& line, int com);  // korvo/NAME/COM<n>/state
QByteArray valueTopic(const QString& line, int com);  // korvo/NAME/COM<n>/value

}  // namespace korvo
