// Measurement data: the single raw-data request and the 64-word block reads.

#include <algorithm>

#include "core/link/Frame.h"
#include "core/link/SensorLink.h"

namespace korvo {

int SensorLink::PushGETRAW(int port) {
    data_.link.receiveFlag = 0;
    const int written = sendRequest(port, 8, 0, Flush::InThenOut);
    if (written == kFrameBytes) show(QStringLiteral("Line Ok!"), StatusLine::Main);
    const double start = pump_.now();
    if (awaitReply(port, start, kReplyLimit)) return kReplyRawData;
    setStatus(failText(port, QStringLiteral("Timeout RS232-Line!")));
    showStatus(StatusLine::Main);
    data_.link.stopFlag = kStopByUser;
    return 0;
}

int SensorLink::ReadData64(int port, std::uint16_t offset, std::uint16_t selector) {
    if (!claimPort(port, 9)) return 0;
    data_.link.commandCode = 9;
    data_.link.argumentWord = offset;
    ports_.flushOut(port);
    ports_.flushIn(port);
    std::array<std::uint16_t, kFrameWords> words{};
    words[0] = data_.link.startWord;
    words[1] = 9;
    words[2] = offset;
    words[3] = selector;
    writeTxWords(data_.link, words);
    writeRequest(port);

    const bool known = offset % 64 == 0 && offset <= 192;
    show(QStringLiteral("Waiting for Data[64] Block %1 ...")
             .arg(known ? QString::number(offset / 64) : QStringLiteral("x")),
         StatusLine::Main);

    bool timedOut = false;
    const int queued = awaitQueued(port, kBlockBytes, pump_.now(), kReplyLimit, timedOut);
    const QByteArray got = queued > 0 ? ports_.read(port, queued) : QByteArray();
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(got.constData()), got.size());

    int result = 0;
    if (got.size() == kBlockBytes) {
        ProfileArray& target = selector == 0 ? data_.video.video : data_.video.thresholdArray;
        // An offset past 192 would run off the end of the 256-word array: those words are
        // dropped rather than written beyond it.
        for (int j = 0; j < 64 && offset + j < kProfileSamples; ++j)
            target[offset + j] = frameWord(bytes, j);
        setStatus(QStringLiteral("Data[64] block received!"));
        result = 1;
    } else if (timedOut) {
        setStatus(QStringLiteral("Timeout-RS-232 while reading 64 data-words!"));
    } else {
        setStatus(QStringLiteral("More than 64 data-words !"));
    }
    showStatus(StatusLine::Main);
    return result;
}

int SensorLink::readBlockRun(int port, std::uint16_t selector) {
    // Blocks are plain byte streams: with the receive callback on, it would take their first
    // 36 bytes for a frame and discard the rest.
    if (!claimPort(port, 9)) return 0;
    ports_.installCallback(port, false);
    ports_.flushIn(port);
    ports_.flushOut(port);
    int result = 1;
    for (const std::uint16_t offset : kBlockOffsets) {
        if (ReadData64(port, offset, selector) != 1) {
            result = 0;
            break;
        }
    }
    ports_.installCallback(port, true);
    ports_.flushIn(port);
    ports_.flushOut(port);
    return result;
}

}  // namespace korvo
