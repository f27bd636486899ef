// What korvo serve tells plant systems of a port: its Modbus register block, register reads over
// the line, and the MQTT state and value messages.

#include <gtest/gtest.h>

#include <QJsonDocument>

#include "core/serve/ServeReport.h"

namespace korvo {
namespace {

PortWatch sampledPort(int com) {
    PortWatch w;
    w.com = com;
    w.device = QStringLiteral("/dev/ttyUSB3");
    w.state = WatchState::Live;
    w.serialNumber = 4713;
    w.sampled = true;
    w.run.measuredValue = 1234;
    w.run.measuredUm = 0x00012345;
    w.run.leftEdge = 1000;
    w.run.rightEdge = 2234;
    w.run.outputState = 5;
    w.run.teachValue = 1200;
    w.limits = {50, 40, 1250, 1160};
    w.inTolerance = true;
    w.samples = 70000;  // past 16 bits
    w.timeouts = 70000;
    w.lastAnswer = 10.0;
    return w;
}

TEST(ServeReport, PortBlockHoldsTheLastRecordAndCountsHighWordFirst) {
    const PortRegisters r = portRegisters(sampledPort(3), 12.7);
    const PortRegisters expected = {kStateStale, 4713, 1234, 0x0001, 0x2345, 1000,   2234,
                                    5,           1,    1200, 1250,   1160,   0x0001, 0x1170,
                                    65535,       2,    0,    0,      0,      0};
    EXPECT_EQ(r, expected);
    PortWatch outside = sampledPort(3);
    outside.inTolerance = false;
    EXPECT_EQ(portRegisters(outside, 12.7)[kRegInTolerance], 0);

    // Before any record: no value, no tolerance, the age held at its top.
    PortWatch joining = sampledPort(4);
    joining.state = WatchState::Joining;
    joining.sampled = false;
    const PortRegisters j = portRegisters(joining, 99.0);
    EXPECT_EQ(j[kRegState], kStateJoining);
    EXPECT_EQ(j[kRegValuePixels], 0);
    EXPECT_EQ(j[kRegInTolerance], 0);
    EXPECT_EQ(j[kRegSecondsSinceRecord], 65535);
}

TEST(ServeReport, ReadsSpanBlocksAndRefuseRangesOutsideTheMap) {
    const std::vector<PortWatch> line = {sampledPort(2), sampledPort(112)};
    // The end of COM1's block (not served) and the start of COM2's.
    const auto span = inputRegisters(line, 18, 4, 10.5);
    ASSERT_TRUE(span);
    EXPECT_EQ(*span, (std::vector<std::uint16_t>{0, 0, kStateLive, 4713}));
    EXPECT_EQ(inputRegisters(line, 2239, 1, 10.5)->front(), 0);  // COM112's last, reserved
    for (const auto& [first, count] :
         std::vector<std::pair<int, int>>{{2239, 2}, {-1, 1}, {0, 0}, {0, 126}, {2240, 1}}) {
        EXPECT_FALSE(inputRegisters(line, first, count, 10.5)) << first << " " << count;
    }
    EXPECT_TRUE(inputRegisters(line, 0, 125, 10.5));
}

TEST(ServeReport, MessagesCarryStateLimitsAndTheIntervalsFigures) {
    PortWatch w = sampledPort(5);
    QJsonObject state = stateMessage(w, 10.5, 1024 * 5, 7);
    EXPECT_EQ(state.value("state").toString(), QStringLiteral("live"));
    EXPECT_EQ(state.value("serial").toInt(), 4713);
    EXPECT_EQ(state.value("droppedValues").toInt(), 7);
    EXPECT_DOUBLE_EQ(state.value("limits").toObject().value("upperMm").toDouble(), 6.25);
    EXPECT_FALSE(stateMessage(w, 10.5, std::nullopt, 0)
                     .value("limits")
                     .toObject()
                     .contains(QStringLiteral("upperMm")));

    ValueInterval v;
    for (const auto& [px, um, in] : std::vector<std::tuple<int, std::uint32_t, bool>>{
             {1200, 6000, true}, {1300, 6500, false}, {1234, 6170, true}}) {
        RunRecord run;
        run.measuredValue = static_cast<std::uint16_t>(px);
        run.measuredUm = um;
        v.add(run, in);
    }
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(1765190000123, Qt::UTC);
    const QJsonObject value = valueMessage(w, v, time);
    EXPECT_EQ(value.value("time").toString(), QStringLiteral("2025-12-08T10:33:20.123Z"));
    EXPECT_EQ(value.value("samples").toInt(), 3);
    EXPECT_EQ(value.value("outOfTolerance").toInt(), 1);
    const QJsonObject px = value.value("pixels").toObject();
    EXPECT_EQ(QJsonDocument(px).toJson(QJsonDocument::Compact),
              QByteArray(R"({"last":1234,"max":1300,"mean":1244.6666666666667,"min":1200})"));
    const QJsonObject mm = value.value("mm").toObject();
    EXPECT_DOUBLE_EQ(mm.value("min").toDouble(), 6.0);
    EXPECT_DOUBLE_EQ(mm.value("mean").toDouble(), 6.223333333333333);
    EXPECT_DOUBLE_EQ(mm.value("last").toDouble(), 74.565);
    // An interval without samples names only the last value.
    EXPECT_FALSE(valueMessage(w, {}, time).value("pixels").toObject().contains("min"));
}

}  // namespace
}  // namespace korvo
