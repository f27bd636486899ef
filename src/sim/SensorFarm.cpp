#include "sim/SensorFarm.h"

namespace korvo::sim {

SensorFarm::~SensorFarm() {
    removePortMap();
    stop();
}

VirtualSensor& SensorFarm::add(const SensorConfig& config) {
    sensors_.push_back(std::make_unique<VirtualSensor>(config));
    return *sensors_.back();
}

bool SensorFarm::start(QString* error) {
    for (std::size_t i = 0; i < sensors_.size(); ++i) {
        if (sensors_[i]->start()) continue;
        if (error)
            *error = QStringLiteral("sensor %1: %2").arg(i + 1).arg(sensors_[i]->errorText());
        return false;
    }
    return true;
}

void SensorFarm::stop() {
    for (auto& s : sensors_) s->stop();
}

std::vector<PortMapEntry> SensorFarm::entries(int firstCom) const {
    std::vector<PortMapEntry> out;
    for (std::size_t i = 0; i < sensors_.size(); ++i) {
        out.push_back({firstCom + static_cast<int>(i), sensors_[i]->devicePath()});
    }
    return out;
}

bool SensorFarm::writePortMap(const QString& path, int firstCom, QString* error) {
    if (!removePortMap(error)) return false;
    std::vector<PortMapEntry> lines = entries(firstCom);
    if (!addPortMapEntries(path, lines, error)) return false;
    mapPath_ = path;
    written_ = std::move(lines);
    return true;
}

bool SensorFarm::removePortMap(QString* error) {
    if (written_.empty()) return true;
    if (!removePortMapEntries(mapPath_, written_, error)) return false;
    written_.clear();
    return true;
}

}  // namespace korvo::sim
