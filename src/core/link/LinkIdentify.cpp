// Line check, firmware text and hardware information.

#include <algorithm>

#include "core/link/Frame.h"
#include "core/link/Identification.h"
#include "core/link/SensorLink.h"

namespace korvo {

namespace {
enum LineCheck { kLineTimeout = -1, kLineOtherReply = -2, kLineNoSync = 0, kLineGood = 1 };
}

// Command 5 with the data-word buffer as the caller filled it.
int SensorLink::lineCheck(int port, double limit) {
    sendRequest(port, 5, 0, Flush::OutThenIn);
    const double start = pump_.now();
    if (!awaitReply(port, start, limit)) return kLineTimeout;
    if (data_.link.replyKind != kReplyEcho) return kLineOtherReply;
    for (int i = 0; i < 3; ++i) data_.link.dataWords[i] = frameWord(data_.link.rxBuf, i);
    data_.link.serialNumber = data_.link.dataWords[2];
    const bool sync = data_.link.dataWords[0] == kSyncWord || data_.link.dataWords[1] == kSyncWord;
    if (sync) data_.link.lineSerials[port] = data_.link.serialNumber;
    return sync ? kLineGood : kLineNoSync;
}

int SensorLink::CheckComLine(int port) {
    CopyVarsToPP(data_.params, 0, data_.link.dataWords, data_.band, data_.model.pixelCount);
    const int check = lineCheck(port, kReplyLimit);
    switch (check) {
        case kLineTimeout:
            setStatus(failText(port, QStringLiteral("Timeout-RS-232...")));
            break;
        case kLineGood:
            setStatus(QStringLiteral("Echo Check - Line Ok!") +
                      serialNumberSuffix(data_.link.serialNumber));
            break;
        case kLineNoSync:
            setStatus(QStringLiteral("read error - not sync byte 0xAA!"));
            break;
        default:
            break;  // another kind of reply: the status text stays
    }
    showStatus(StatusLine::Both);
    return check == kLineOtherReply ? 0 : check;
}

int SensorLink::Check232Line(int port) {
    data_.link.setMplexStatus(QString());
    setStatus(QString());
    data_.link.dataWords.fill(0);
    const int check = lineCheck(port, kShortReplyLimit);
    QString text;
    switch (check) {
        case kLineTimeout:
            text = failText(port, QStringLiteral("Timeout RS-232!"));
            break;
        case kLineGood:
            text = QStringLiteral("Line OK!") + serialNumberSuffix(data_.link.serialNumber);
            break;
        case kLineNoSync:
            text = QStringLiteral("ERROR,no sync byte!");
            break;
        default:
            break;
    }
    if (check != kLineOtherReply) {
        data_.link.setMplexStatus(text);
        setStatus(text);
    }
    return check == kLineOtherReply ? 0 : check;
}

int SensorLink::GetVERSIONInfo(int port) {
    // The firmware text is a plain byte stream longer than a frame: the receive callback must
    // not cut it up.
    if (!claimPort(port, 7)) return 0;
    ports_.installCallback(port, false);
    ports_.flushIn(port);
    ports_.flushOut(port);
    data_.link.commandCode = 7;
    data_.link.argumentWord = 0;
    FillTxBuf(data_.link, 7, 0, data_.link.dataWords);
    writeRequest(port);
    show(QStringLiteral("Waiting for firmware info ..."), StatusLine::Both);

    bool timedOut = false;
    const int queued = awaitQueued(port, kFirmwareBytes, pump_.now(), kReplyLimit, timedOut);
    const QByteArray got = queued > 0 ? ports_.read(port, queued) : QByteArray();
    data_.link.firmwareText = firmwareTextFromBytes(
        std::span(reinterpret_cast<const std::uint8_t*>(got.constData()), got.size()));
    setStatus(data_.link.firmwareText);

    ports_.installCallback(port, true);
    ports_.flushIn(port);
    ports_.flushOut(port);
    data_.link.replyKind = kReplyNone;
    return queued;
}

HardwareQuery SensorLink::GetHARDWAREInfo(int port) {
    sendRequest(port, 10, 0, Flush::OutThenIn);
    const double start = pump_.now();
    if (!awaitReply(port, start, kReplyLimit)) {
        setStatus(failText(port, QStringLiteral("Timeout-RS-232...")));
        return {};
    }
    if (data_.link.replyKind != kReplyEcho) return {};

    // Frame words 2..12; word 2 is not in the data-word buffer after an echo reply.
    const auto w = [this](int i) { return frameWord(data_.link.rxBuf, i); };
    HardwareInfo info;
    info.familyCode = w(2);
    info.word3 = w(3);
    info.word4 = w(4);
    info.word5 = w(5);
    info.pixelCount = w(6);
    info.word7 = w(7);
    info.word8 = w(8);
    info.word9 = w(9);
    info.firmwareVersion = w(10);
    info.variantCode = w(11);
    info.videoResolution = w(12);
    storeHardwareInfo(info, data_.model);
    if (w(1) != 10) return {};

    HardwareQuery query;
    query.result = 1;
    query.profile = applyHardwareInfo(info, data_.model);
    return query;
}

}  // namespace korvo
