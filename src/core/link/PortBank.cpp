#include "core/link/PortBank.h"

#include <utility>

#include "core/link/PortAddress.h"
#include "core/link/PortMap.h"
#include "core/link/PortSettings.h"

namespace korvo {

PortBank::PortBank(QString portMapPath) : portMapPath_(std::move(portMapPath)) {}

PortBank::~PortBank() {
    closeAll();
}

QString PortBank::portMapPath() const {
    return portMapPath_.isEmpty() ? PortMap::defaultFilePath() : portMapPath_;
}

QString PortBank::devicePathFor(int comNumber) const {
    const PortMap map = PortMap::load(portMapPath());
    if (!map.problem().isEmpty() || !map.refusal(comNumber).isEmpty()) return {};
    return map.devicePath(comNumber);
}

QString PortBank::baudChangeNotice(int comNumber) const {
    return korvo::baudChangeNotice(parsePortAddress(devicePathFor(comNumber)));
}

ComPort& PortBank::portFor(int comNumber) {
    auto& slot = ports_[comNumber];
    if (!slot) slot = std::make_unique<ComPort>(comNumber);
    return *slot;
}

int PortBank::open(int comNumber, int baudIndex, int queueSize) {
    portMapProblem_.clear();
    if (comNumber < 1) return kErrInvalidPort;
    // A map that is there but cannot be read says nothing about where COM n is: the built-in
    // device could be another sensor's line, so no port is opened and the operator learns why.
    const PortMap map = PortMap::load(portMapPath());
    portMapProblem_ = map.problem();
    if (!portMapProblem_.isEmpty()) {
        portFor(comNumber).close();
        return kErrCannotOpen;
    }
    // A refused line is a fault in the file as well; the built-in device is not tried for it.
    const QString refusal = map.refusal(comNumber);
    if (!refusal.isEmpty()) {
        portMapProblem_ =
            QStringLiteral("port map %1: line refused: %2").arg(portMapPath(), refusal);
        portFor(comNumber).close();
        return kErrCannotOpen;
    }
    return portFor(comNumber).open(map.devicePath(comNumber), baudRateForIndex(baudIndex),
                                   queueSize);
}

void PortBank::close(int comNumber) {
    if (ComPort* p = port(comNumber)) p->close();
}

void PortBank::closeAll() {
    for (auto& [n, p] : ports_) p->close();
}

ComPort* PortBank::port(int comNumber) const {
    const auto it = ports_.find(comNumber);
    return it == ports_.end() ? nullptr : it->second.get();
}

bool PortBank::isOpen(int comNumber) const {
    const ComPort* p = port(comNumber);
    return p != nullptr && p->isOpen();
}

bool PortBank::isBroken(int comNumber) const {
    const ComPort* p = port(comNumber);
    return p != nullptr && p->isBroken();
}

QString PortBank::errorDetail(int comNumber) const {
    const ComPort* p = port(comNumber);
    // A refused map is the whole story: the port was not tried.
    if (!portMapProblem_.isEmpty()) return portMapProblem_ + QStringLiteral(": no port opened");
    return p ? p->errorDetail() : QString();
}

int PortBank::flushIn(int comNumber) {
    ComPort* p = port(comNumber);
    return p ? p->flushIn() : kErrPortNotOpen;
}

int PortBank::flushOut(int comNumber) {
    ComPort* p = port(comNumber);
    return p ? p->flushOut() : kErrPortNotOpen;
}

int PortBank::flushInThenOut(int comNumber) {
    ComPort* p = port(comNumber);
    return p ? p->flushInThenOut() : kErrPortNotOpen;
}

int PortBank::write(int comNumber, const std::uint8_t* data, int count) {
    ComPort* p = port(comNumber);
    return p ? p->write(data, count) : kErrPortNotOpen;
}

QByteArray PortBank::read(int comNumber, int count) {
    ComPort* p = port(comNumber);
    return p ? p->read(count) : QByteArray();
}

int PortBank::inQLen(int comNumber) const {
    const ComPort* p = port(comNumber);
    return p ? p->inQLen() : kErrPortNotOpen;
}

void PortBank::installCallback(int comNumber, bool on) {
    if (ComPort* p = port(comNumber)) p->installCallback(on);
}

}  // namespace korvo
