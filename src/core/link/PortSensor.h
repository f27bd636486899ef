#pragma once
// One sensor on one port, as the program holds it: the link state its exchanges talk through
// (request and reply buffers, flags, status texts), the parameter set, tolerance band, model,
// video buffers and run record the exchanges fill, and the exchanges themselves over them. It is
// built from the port bank, the pump that keeps events running while it waits and the sink that
// shows its status texts. The window holds one for its scope window, korvo one per port it works,
// and a monitor of the line one per sensor.

#include "core/link/SensorLink.h"

namespace korvo {

class PortSensor : public SensorData, public SensorLink {
public:
    PortSensor(PortBank& ports, Pump& pump, StatusSink& sink)
        : SensorLink(static_cast<SensorData&>(*this), ports, pump, sink) {}
    PortSensor(const PortSensor&) = delete;
    PortSensor& operator=(const PortSensor&) = delete;
};

}  // namespace korvo
