#pragma once
// The 36-byte frame: 18 unsigned 16-bit words, high byte first. A request starts with 0x0055, the
// command code and the argument word, then 15 data words; a reply starts with the sync word
// 0x00AA and a reply code that decides which words reach the data-word buffer.

#include <array>
#include <cstdint>
#include <span>

#include "core/link/LinkState.h"

namespace korvo {

inline constexpr int kFrameWords = 18;
inline constexpr std::uint16_t kStartWord = 0x0055;
inline constexpr std::uint16_t kSyncWord = 0x00AA;

// Word i of a byte buffer, high byte first.
inline std::uint16_t frameWord(std::span<const std::uint8_t> bytes, int i) {
    return static_cast<std::uint16_t>((bytes[2 * i] << 8) | bytes[2 * i + 1]);
}
inline void putFrameWord(std::span<std::uint8_t> bytes, int i, std::uint16_t w) {
    bytes[2 * i] = static_cast<std::uint8_t>(w >> 8);
    bytes[2 * i + 1] = static_cast<std::uint8_t>(w & 0xFF);
}

// Writes 0x0055, code, arg and words 0..14 into bytes 0..35 of the request buffer. Bytes beyond
// 35 are untouched; nothing is sent. words must hold at least 15 entries.
void FillTxBuf(LinkState& link, std::uint16_t code, std::uint16_t arg,
               std::span<const std::uint16_t> words);

// Writes 18 complete words into bytes 0..35 of the request buffer (for the requests that are
// laid out word by word rather than from the data-word buffer).
void writeTxWords(LinkState& link, const std::array<std::uint16_t, kFrameWords>& words);

// Decodes the reply in bytes 0..35 of the reply buffer into the data-word buffer and returns its
// kind: reply code 18 or 19 -> 18, 8 -> 8 (words 2..17 into entries 0..15); any other code ->
// 1 (words 3..17 into entries 0..14, entry 15 and word 2 left alone).
int GetRxBuf36(LinkState& link);

// What the receive callback does with the bytes queued on a port once at least one frame is in:
// it takes the first 36 bytes as a frame, and further frames right behind it as long as each
// starts with the sync word. Of what remains, the start of a further reply (the sync word, or
// only its zero byte so far) is kept until its last byte is in; anything else is discarded.
struct ReceiveSplit {
    int frames = 0;        // whole frames to take from the start of the queue
    bool keepRest = true;  // false: discard the bytes that follow those frames
};
ReceiveSplit splitReceived(std::span<const std::uint8_t> queued);

}  // namespace korvo
