#include "core/link/Frame.h"

namespace korvo {

void FillTxBuf(LinkState& link, std::uint16_t code, std::uint16_t arg,
               std::span<const std::uint16_t> words) {
    std::array<std::uint16_t, kFrameWords> frame{};
    frame[0] = kStartWord;
    frame[1] = code;
    frame[2] = arg;
    for (int i = 0; i < 15 && i < static_cast<int>(words.size()); ++i) frame[3 + i] = words[i];
    writeTxWords(link, frame);
}

void writeTxWords(LinkState& link, const std::array<std::uint16_t, kFrameWords>& words) {
    for (int i = 0; i < kFrameWords; ++i) putFrameWord(link.txBuf, i, words[i]);
}

int GetRxBuf36(LinkState& link) {
    const auto code = static_cast<std::int16_t>(frameWord(link.rxBuf, 1));
    if (code == 18 || code == 19 || code == 8) {
        for (int i = 0; i < 16; ++i) link.dataWords[i] = frameWord(link.rxBuf, 2 + i);
        return code == 8 ? kReplyRawData : kReplyRecord;
    }
    for (int i = 0; i < 15; ++i) link.dataWords[i] = frameWord(link.rxBuf, 3 + i);
    return kReplyEcho;
}

ReceiveSplit splitReceived(std::span<const std::uint8_t> queued) {
    ReceiveSplit split;
    if (queued.size() < kFrameBytes) return split;
    split.frames = 1;
    // Another reply right behind a frame: an exchange nested in a measurement loop's wait has two
    // requests outstanding, and their replies can arrive in one piece.
    for (auto rest = queued.subspan(kFrameBytes); !rest.empty(); rest = rest.subspan(kFrameBytes)) {
        // The sync word 0x00AA, high byte first; its zero byte alone may be all that is in yet.
        const bool sync = rest[0] == 0 && (rest.size() < 2 || rest[1] == (kSyncWord & 0xFF));
        if (!sync) {
            split.keepRest = false;
            break;
        }
        if (rest.size() < kFrameBytes) break;
        ++split.frames;
    }
    return split;
}

}  // namespace korvo
