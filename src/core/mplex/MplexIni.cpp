#include "core/mplex/MplexIni.h"

namespace korvo {

namespace {
std::uint16_t lowHalf(std::int32_t v) {
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(v) & 0xFFFFu);
}
}  // namespace

QString mplexTabKey(int group) {
    return QStringLiteral("MPC-Tab%1").arg(group + 1);
}

QString mplexPortSection(int group, int port) {
    return QStringLiteral("MPLEX%1_PORT%2").arg(group + 1).arg(port + 1);
}

MplexIniContent mplexIniContentFromTable(const MplexTable& table) {
    MplexIniContent c;
    c.teachValue = table.teachValue;
    c.tolHigh = table.upperTolerance;
    c.tolLow = table.lowerTolerance;
    for (size_t g = 0; g < kMplexGroups; ++g) {
        c.groupStates[g] = table.groups[g].state;
        for (size_t p = 0; p < kMplexPortsPerGroup; ++p) {
            const MplexPort& port = table.groups[g].ports[p];
            c.ports[g][p] = MplexPortIni{port.enabled, port.baudIndex, port.comPort};
        }
    }
    return c;
}

IniFile mplexIniFromContent(const MplexIniContent& c) {
    IniFile ini(false);
    ini.putInt(kMplexAppSection, kMplexPanelMaxKey, c.panelMax);
    ini.putInt(kMplexAppSection, kMplexPanelXKey, c.panelX);
    ini.putInt(kMplexAppSection, kMplexPanelYKey, c.panelY);
    ini.putInt(kMplexAppSection, kMplexPanelWidthKey, c.panelWidth);
    ini.putInt(kMplexAppSection, kMplexPanelHeightKey, c.panelHeight);
    ini.putInt(kMplexGeneralSection, kMplexTeachKey, c.teachValue);
    ini.putInt(kMplexGeneralSection, kMplexTolHighKey, c.tolHigh);
    ini.putInt(kMplexGeneralSection, kMplexTolLowKey, c.tolLow);
    for (int g = 0; g < kMplexGroups; ++g) {
        ini.putInt(kMplexTabSection, mplexTabKey(g), c.groupStates[static_cast<size_t>(g)]);
    }
    for (int g = 0; g < kMplexGroups; ++g) {
        for (int p = 0; p < kMplexPortsPerGroup; ++p) {
            const MplexPortIni& port = c.ports[static_cast<size_t>(g)][static_cast<size_t>(p)];
            const QString section = mplexPortSection(g, p);
            ini.putInt(section, kMplexEnableKey, port.enabled);
            ini.putInt(section, kMplexBaudrateKey, port.baudIndex);
            ini.putInt(section, kMplexComKey, port.comPort);
        }
    }
    return ini;
}

FileWriteResult writeMplexIniFile(const MplexIniContent& content, const QString& path) {
    return mplexIniFromContent(content).writeToFile(path);
}

MplexIniRead mplexIniRead(const IniFile& ini) {
    auto low16 = [](std::optional<std::int32_t> v) -> std::optional<std::uint16_t> {
        if (!v) return std::nullopt;
        return static_cast<std::uint16_t>(static_cast<std::uint32_t>(*v) & 0xFFFFu);
    };
    MplexIniRead r;
    r.fileRead = true;
    r.geometry.max = ini.getInt(kMplexAppSection, kMplexPanelMaxKey);
    r.geometry.x = ini.getInt(kMplexAppSection, kMplexPanelXKey);
    r.geometry.y = ini.getInt(kMplexAppSection, kMplexPanelYKey);
    r.geometry.width = ini.getInt(kMplexAppSection, kMplexPanelWidthKey);
    r.geometry.height = ini.getInt(kMplexAppSection, kMplexPanelHeightKey);
    r.teachValue = low16(ini.getInt(kMplexGeneralSection, kMplexTeachKey));
    r.tolHigh = low16(ini.getInt(kMplexGeneralSection, kMplexTolHighKey));
    r.tolLow = low16(ini.getInt(kMplexGeneralSection, kMplexTolLowKey));
    for (int g = 0; g < kMplexGroups; ++g) {
        r.groupStates[static_cast<size_t>(g)] = ini.getInt(kMplexTabSection, mplexTabKey(g));
        for (int p = 0; p < kMplexPortsPerGroup; ++p) {
            const QString section = mplexPortSection(g, p);
            MplexPortIniRead& port = r.ports[static_cast<size_t>(g)][static_cast<size_t>(p)];
            port.enabled = ini.getInt(section, kMplexEnableKey);
            port.baudIndex = ini.getInt(section, kMplexBaudrateKey);
            port.comPort = ini.getInt(section, kMplexComKey);
        }
    }
    return r;
}

MplexIniRead readMplexIniFile(const QString& path) {
    IniFile ini(false);
    if (!ini.readFromFile(path)) return {};
    return mplexIniRead(ini);
}

void applyMplexIni(const MplexIniRead& read, MplexTable& table) {
    if (read.teachValue) table.teachValue = *read.teachValue;
    if (read.tolHigh) table.upperTolerance = *read.tolHigh;
    if (read.tolLow) table.lowerTolerance = *read.tolLow;
    for (size_t g = 0; g < kMplexGroups; ++g) {
        MplexGroup& group = table.groups[g];
        if (read.groupStates[g]) group.state = *read.groupStates[g] != 0 ? 1 : 0;
        for (size_t p = 0; p < kMplexPortsPerGroup; ++p) {
            const MplexPortIniRead& in = read.ports[g][p];
            MplexPort& port = group.ports[p];
            if (in.enabled) port.enabled = *in.enabled != 0 ? 1 : 0;
            // Stored as written, low 16 bits: a baud index outside 0..4 opens at 19200 baud and
            // a COM number no port has fails visibly when the port is opened, whereas keeping
            // the previous number would quietly talk to another sensor.
            if (in.baudIndex) port.baudIndex = lowHalf(*in.baudIndex);
            if (in.comPort) port.comPort = lowHalf(*in.comPort);
        }
    }
}

}  // namespace korvo
