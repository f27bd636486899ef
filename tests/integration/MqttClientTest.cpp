// The MQTT client against a real broker: every message it takes reaches the broker in order,
// also past its bound of unsent messages, which the broker's acknowledgements free again.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/link/Pump.h"
#include "core/serve/MqttClient.h"
#include "support/BrokerRig.h"

namespace korvo::test {
namespace {

TEST(MqttClient, EveryMessageTakenReachesTheBrokerInOrderPastTheBound) {
    QTemporaryDir dir;
    Broker broker(dir.path());
    ASSERT_TRUE(broker.start());
    Subscriber sub(broker.port());
    MqttEndpoint endpoint;
    endpoint.host = QStringLiteral("127.0.0.1");
    endpoint.port = broker.port();
    MqttClient client(endpoint, "korvo-client-test", {"korvo/t/status", "offline", 1, true});
    bool up = false;
    client.connected = [&] { up = true; };
    QString error;
    ASSERT_TRUE(client.start(error)) << error.toStdString();
    QtPump pump;
    const double end = pump.now() + 30.0;
    while (!up && pump.now() < end) pump.waitForEvents(pump.now() + 0.05);
    ASSERT_TRUE(up);

    // More than the client holds at a time: refused while full, taken again as the broker
    // acknowledges.
    const int total = MqttClient::kMaxUnsent + 5000;
    int taken = 0, refused = 0;
    while (taken < total && pump.now() < end) {
        if (client.publish("korvo/t/n", QByteArray::number(taken), 1, false)) {
            ++taken;
        } else {
            ++refused;
            pump.waitForEvents(pump.now() + 0.01);
        }
    }
    ASSERT_EQ(taken, total);
    EXPECT_GT(refused, 0);
    client.finish("korvo/t/status", "online-then-offline", 5.0);
    ASSERT_TRUE(sub.wait([](const MqttMessage& m) { return m.topic == "korvo/t/status"; }, 10));

    int next = 0;
    const std::size_t n = sub.countIf([&](const MqttMessage& m) {
        if (m.topic != "korvo/t/n") return false;
        EXPECT_EQ(m.payload.toInt(), next) << "out of order";
        ++next;
        return true;
    });
    EXPECT_EQ(n, static_cast<std::size_t>(total));
}

}  // namespace
}  // namespace korvo::test
