#include "core/link/ReplyMatch.h"

#include "core/link/Frame.h"

namespace korvo {

Awaited awaitedFor(std::uint16_t code) {
    switch (code) {
        case 8:
            return Awaited::RawData;
        case 5:   // the line check fails on a reply of another kind rather than waiting on
        case 10:  // the hardware query likewise
        case 18:  // the recorder sorts record replies from the rest itself
            return Awaited::AnyReply;
        default:
            return Awaited::Echo;
    }
}

int replyKindOf(std::uint16_t word1) {
    const auto code = static_cast<std::int16_t>(word1);
    if (code == 8) return kReplyRawData;
    if (code == 18 || code == 19) return kReplyRecord;
    return kReplyEcho;
}

bool isEchoedCommand(std::uint16_t code) {
    switch (code) {
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 10:
        case 11:
        case 12:
        case 13:
        case 16:
        case 101:
        case 102:
        case 190:
            return true;
        default:  // 0 gets no answer, 7 and 9 are answered by plain bytes, 8 and 18 not by echoes
            return false;
    }
}

bool canAnswer(std::uint16_t code, std::span<const std::uint8_t, kFrameBytes> frame) {
    const std::uint16_t word1 = frameWord(frame, 1);
    const int kind = replyKindOf(word1);
    // An echo of another command is a late answer to that one. An echo code this program never
    // sends says nothing about its request and is taken as before.
    const bool foreignCode = kind == kReplyEcho && word1 != code;
    if (foreignCode && isEchoedCommand(word1)) return false;
    switch (awaitedFor(code)) {
        case Awaited::RawData:
            return kind == kReplyRawData;
        case Awaited::Echo:
            // Unless it starts with the sync word, though: a frame with neither the sync word
            // nor the request's own code is line noise, or a reply shifted by stray bytes in
            // front of it, and its words are no data.
            return kind == kReplyEcho && !(foreignCode && frameWord(frame, 0) != kSyncWord);
        case Awaited::AnyReply:
            break;
    }
    return true;
}

bool lateReplyPassesFor(std::uint16_t code, std::uint16_t earlierCode) {
    // The firmware text and the data blocks are read as plain bytes, with no frame to tell a late
    // answer from their own: any late answer would mix into them.
    if (code == 7 || code == 9) return true;
    // The answer the earlier request gets when it comes: its raw-data or record reply, or its
    // echo.
    std::array<std::uint8_t, kFrameBytes> typical{};
    putFrameWord(typical, 0, kSyncWord);
    putFrameWord(typical, 1, earlierCode);
    return canAnswer(code, typical);
}

}  // namespace korvo
