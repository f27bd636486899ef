#include "core/link/Pump.h"

namespace korvo {

void Pump::delay(double seconds) {
    const double deadline = now() + seconds;
    processEvents();
    while (now() < deadline) waitForEvents(deadline);
}

}  // namespace korvo
