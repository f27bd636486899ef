// Model rows, firmware text and the program's command line.

#include <gtest/gtest.h>

#include "sim/SensorModel.h"
#include "sim/SimOptions.h"

namespace korvo::sim {
namespace {

TEST(SensorModel, PixelCountsOfTheModelRows) {
    const struct {
        int family, variant, firmware, pixels;
    } rows[] = {{1, 80, 310, 4096},    {1, 80, 312, 8192},      {4, 60, 315, 2048},
                {4, 60, 316, 4096},    {4, 20162, 318, 1792},   {6, 20280, 318, 16384},
                {102, 510, 318, 768},  {103, 750, 310, 2360},   {103, 750, 313, 4720},
                {103, 750, 316, 9216}, {104, 21000, 315, 6144}, {5, 1, 318, 4096}};
    for (const auto& r : rows)
        EXPECT_EQ(modelPixelCount(r.family, r.variant, r.firmware), r.pixels)
            << r.family << "/" << r.variant << " " << r.firmware;
    SensorConfig c;
    c.pixelCount = 3000;  // an explicit count wins
    EXPECT_EQ(effectivePixelCount(c), 3000);
}

TEST(SensorModel, FirmwareTextIsPaddedOrCutTo72Bytes) {
    SensorConfig c;
    c.family = 103;
    c.variant = 20750;
    c.firmware = 310;
    c.serial = 7;
    c.firmwareId = "KORVO-GX";
    QByteArray expected("KORVO-GX-75-CL V3.10 VIRTUAL SN7");
    EXPECT_EQ(firmwareTextFor(c), expected + QByteArray(72 - expected.size(), '\0'));
    c.firmwareText = QByteArray(80, 'x');
    EXPECT_EQ(firmwareTextFor(c), QByteArray(72, 'x'));
}

bool parse(const char* line, SimOptions* o, QString* error) {
    return parseSimOptions(QString::fromLatin1(line).split(' '), o, error);
}

TEST(SimOptions, ModelsAndIdsRepeatTheLastOneGiven) {
    SimOptions o;
    QString error;
    ASSERT_TRUE(
        parse("korvo-sim --count 3 --first-com 4 --model 1:80:310 --model "
              "6:20280:318:16384:1024 --id RMZ12 --serial 100 --pace --baud 38400 "
              "--latency-ms 16 --map /tmp/x.map",
              &o, &error))
        << error.toStdString();
    ASSERT_EQ(o.sensors.size(), 3u);
    EXPECT_EQ(o.firstCom, 4);
    EXPECT_EQ(o.mapPath, "/tmp/x.map");
    EXPECT_EQ(o.sensors[0].family, 1);
    EXPECT_EQ(o.sensors[0].firmware, 310);
    EXPECT_EQ(o.sensors[1].family, 6);
    EXPECT_EQ(o.sensors[1].videoResolution, 1024);
    EXPECT_EQ(o.sensors[2].variant, 20280);
    EXPECT_EQ(o.sensors[2].firmwareId, "RMZ12");
    EXPECT_EQ(o.sensors[2].serial, 102);
    EXPECT_TRUE(o.sensors[2].pace);
    EXPECT_EQ(o.sensors[2].baud, 38400);
    EXPECT_EQ(o.sensors[2].latencyMs, 16);

    ASSERT_TRUE(parse("korvo-sim --count 1", &o, &error));
    EXPECT_EQ(o.sensors[0].firmwareId, "KORVO-KM");
    EXPECT_EQ(o.sensors[0].variant, 80);
    EXPECT_TRUE(o.mapPath.isEmpty());

    for (const char* bad : {"korvo-sim", "korvo-sim --count 0", "korvo-sim --count 2 --model 1:80",
                            "korvo-sim --count 2 --baud 12345", "korvo-sim --count 2 --bogus"}) {
        error.clear();
        EXPECT_FALSE(parse(bad, &o, &error)) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
}

}  // namespace
}  // namespace korvo::sim
