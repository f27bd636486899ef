#include "core/mplex/PortTable.h"

namespace korvo {

void initDefaultMplexTable(MplexTable& table) {
    for (int g = 0; g < kMplexGroups; ++g) {
        MplexGroup& group = table.groups[static_cast<size_t>(g)];
        group.state = 1;
        for (int p = 0; p < kMplexPortsPerGroup; ++p) {
            MplexPort& port = group.ports[static_cast<size_t>(p)];
            port.openState = 0;
            port.enabled = 1;
            port.scopeActive = 0;
            port.baudIndex = 1;
            port.comPort = defaultComPort(g, p);
            port.statusText = QString::fromLatin1(kMplexNotConnectedText);
        }
    }
}

}  // namespace korvo
