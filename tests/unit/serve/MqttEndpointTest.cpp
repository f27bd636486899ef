// The broker an MQTT URL names, with the password from the environment when the URL has none.

#include <gtest/gtest.h>

#include "core/serve/MqttEndpoint.h"

namespace korvo {
namespace {

TEST(MqttEndpoint, UrlsNameTheBrokerUserAndPassword) {
    struct Row {
        const char* url;
        std::optional<QString> env;
        bool tls;
        const char* host;
        int port;
        const char* user;
        const char* password;
    };
    const Row rows[] = {
        {"mqtt://broker", std::nullopt, false, "broker", 1883, "", ""},
        {"mqtts://broker", std::nullopt, true, "broker", 8883, "", ""},
        {"MQTT://10.0.0.5:1884/", std::nullopt, false, "10.0.0.5", 1884, "", ""},
        {"mqtt://[::1]:1", std::nullopt, false, "::1", 1, "", ""},
        {"mqtt://line%2F1:p%40ss@h", QStringLiteral("env"), false, "h", 1883, "line/1", "p@ss"},
        {"mqtt://line@h", QStringLiteral("from env"), false, "h", 1883, "line", "from env"},
        {"mqtt://h", QStringLiteral("unused"), false, "h", 1883, "", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.url);
        QString error;
        const auto e = parseMqttUrl(QString::fromLatin1(r.url), r.env, error);
        ASSERT_TRUE(e) << error.toStdString();
        EXPECT_EQ(e->tls, r.tls);
        EXPECT_EQ(e->host, QLatin1String(r.host));
        EXPECT_EQ(e->port, r.port);
        EXPECT_EQ(e->user, QLatin1String(r.user));
        EXPECT_EQ(e->password, QLatin1String(r.password));
    }
    QString error;
    EXPECT_FALSE(parseMqttUrl(QStringLiteral("mqtt://u:secret@h?x=1"), std::nullopt, error));
    EXPECT_FALSE(error.contains(QLatin1String("secret")));
}

TEST(MqttEndpoint, LineNamesAndTopics) {
    for (const char* name : {"line-3", "Halle_2.band", "x"}) EXPECT_TRUE(isTopicName(name)) << name;
    for (const char* name : {"", "a/b", "a+", "#", "two words", "tab\there"})
        EXPECT_FALSE(isTopicName(name)) << name;
    const QString longest(64, QLatin1Char('a'));
    EXPECT_TRUE(isTopicName(longest) && !isTopicName(longest + 'a'));
    EXPECT_EQ(stateTopic(QStringLiteral("l"), 17), "korvo/l/COM17/state");
    EXPECT_EQ(valueTopic(QStringLiteral("l"), 3), "korvo/l/COM3/value");
    EXPECT_EQ(statusTopic(QStringLiteral("l")), "korvo/l/status");
}

}  // namespace
}  // namespace korvo
