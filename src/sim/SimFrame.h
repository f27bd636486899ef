#pragma once
// The sensor's view of the 36-byte frame: 18 words, each sent high byte first. A request starts
// with 0x0055, a reply with 0x00AA. The sensor side keeps its own small codec on purpose: it must
// not share a line with the PC code it is there to check.

#include <QByteArray>
#include <array>
#include <cstdint>

namespace korvo::sim {

inline constexpr int kFrameBytes = 36;
inline constexpr int kFrameWords = 18;
inline constexpr std::uint16_t kRequestStart = 0x0055;
inline constexpr std::uint16_t kReplySync = 0x00AA;

using FrameWords = std::array<std::uint16_t, kFrameWords>;

// Word `index` of a big-endian byte buffer; 0 beyond its end.
std::uint16_t wordAt(const QByteArray& bytes, int index);
// Writes `value` as word `index` (high byte first); the buffer must be large enough.
void putWord(QByteArray& bytes, int index, std::uint16_t value);

// All 18 words of a frame; missing bytes read as 0.
FrameWords decodeFrame(const QByteArray& bytes);
// Any number of words as a big-endian byte stream (frames, 64-word blocks).
QByteArray encodeWords(const std::uint16_t* words, int count);
QByteArray encodeFrame(const FrameWords& words);

// A request as the sensor reads it.
struct Request {
    std::uint16_t start = 0;
    std::uint16_t code = 0;
    std::uint16_t argument = 0;
    std::array<std::uint16_t, 15> data{};  // frame words 3..17
};
Request decodeRequest(const QByteArray& bytes);

// A reply frame: word 0 the sync word, word 1 the reply code, the rest zero until filled.
FrameWords replyHeader(std::uint16_t replyCode);

}  // namespace korvo::sim
