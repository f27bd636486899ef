#include "LinkRig.h"

#include <gtest/gtest.h>

namespace korvo::test {

bool RecordingSink::saw(const QString& text, StatusLine where) const {
    for (const Shown& s : shown)
        if (s.text == text && s.where == where) return true;
    return false;
}

LinkRig::LinkRig(const std::vector<sim::SensorConfig>& configs)
    : mapPath(dir.filePath(QStringLiteral("COMPORTS.map"))),
      bank(link, mapPath),
      sensorLink(link, bank, pump, sink, params, band, model, video) {
    for (const sim::SensorConfig& c : configs) farm.add(c);
    QString error;
    if (!farm.start(&error)) ADD_FAILURE() << "virtual sensors: " << error.toStdString();
    if (!farm.writePortMap(mapPath, 1, &error))
        ADD_FAILURE() << "port map: " << error.toStdString();
}

LinkRig::~LinkRig() {
    bank.closeAll();
    farm.stop();
}

void LinkRig::open(int com, int baudIndex) {
    ASSERT_EQ(sensorLink.InitRS232(com, baudIndex), 0) << bank.errorDetail(com).toStdString();
}

void LinkRig::rewriteMap() {
    QString error;
    ASSERT_TRUE(farm.writePortMap(mapPath, 1, &error)) << error.toStdString();
}

QByteArray LinkRig::takeRequest(int index) {
    sim::VirtualSensor& s = farm.sensor(index);
    s.waitForFrames(1, 1000);
    const auto frames = s.receivedFrames();
    s.clearReceivedFrames();
    return frames.empty() ? QByteArray() : frames.back().bytes;
}

QByteArray frameHex(const char* hexWords) {
    QByteArray bytes = QByteArray::fromHex(QByteArray(hexWords).replace(' ', ""));
    bytes.append(QByteArray(36 - bytes.size(), '\0'));
    return bytes;
}

}  // namespace korvo::test
