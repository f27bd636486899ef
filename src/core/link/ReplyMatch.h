#pragma once
// Which reply frame can answer which request. A reply carries nothing that names its request but
// its reply code (frame word 1): a raw-data reply (8), a record reply (18 or 19), or, for every
// other reply, the echoed command code. These rules rest on that word; nothing here relies on the
// argument word or the data words coming back, and the sync word counts only where the reply
// code does not name the request.

#include <array>
#include <cstdint>
#include <span>

#include "core/link/LinkState.h"

namespace korvo {

// What a request's wait takes as its answer.
enum class Awaited {
    Echo,      // an echo reply
    RawData,   // a raw-data reply (command 8)
    AnyReply,  // any reply; the caller tells the kinds apart (line check, hardware info, record)
};

Awaited awaitedFor(std::uint16_t code);

// The reply kind that reply code word1 gives: 8, 18 (for 18 and 19) or 1.
int replyKindOf(std::uint16_t word1);

// True when code is a command this program sends that is answered by an echo frame: an echo
// naming such a code belongs to that command and to no other.
bool isEchoedCommand(std::uint16_t code);

// Whether the 36-byte frame can be the answer to a request with this command code: it has the
// awaited kind, and it is not the echo of another command. An echo awaited for a request must
// carry either the request's own code or the sync word.
bool canAnswer(std::uint16_t code, std::span<const std::uint8_t, kFrameBytes> frame);

// Whether a late answer to an earlier request with earlierCode would pass as the answer to a
// request with code (the same command, or one that takes any reply after a measurement
// request, or any answer before a read of plain bytes). Only then must a new request wait for
// the earlier answer to settle first.
bool lateReplyPassesFor(std::uint16_t code, std::uint16_t earlierCode);

}  // namespace korvo
