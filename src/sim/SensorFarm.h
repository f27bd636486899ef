#pragma once
// A row of virtual sensors, one per COM number, and the port-map lines that lead to them. The
// lines it writes are taken out again by removePortMap() or at the latest by the destructor.

#include <QString>
#include <memory>
#include <vector>

#include "sim/PortMap.h"
#include "sim/SensorConfig.h"
#include "sim/VirtualSensor.h"

namespace korvo::sim {

class SensorFarm {
public:
    SensorFarm() = default;
    ~SensorFarm();
    SensorFarm(const SensorFarm&) = delete;
    SensorFarm& operator=(const SensorFarm&) = delete;

    // Adds a sensor (before or after start(); a later one is started by the next start()).
    VirtualSensor& add(const SensorConfig& config);
    // Starts every sensor; false with the first error text when one fails.
    bool start(QString* error = nullptr);
    void stop();

    int size() const { return static_cast<int>(sensors_.size()); }
    VirtualSensor& sensor(int index) { return *sensors_.at(index); }

    // COM firstCom + i for sensor i.
    std::vector<PortMapEntry> entries(int firstCom) const;
    // Writes those lines into the map at `path`, remembering them for removePortMap().
    bool writePortMap(const QString& path, int firstCom, QString* error = nullptr);
    // Takes out exactly the lines this farm wrote.
    bool removePortMap(QString* error = nullptr);

private:
    std::vector<std::unique_ptr<VirtualSensor>> sensors_;
    QString mapPath_;
    std::vector<PortMapEntry> written_;
};

}  // namespace korvo::sim
