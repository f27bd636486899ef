#include "sim/SimFrame.h"

namespace korvo::sim {

std::uint16_t wordAt(const QByteArray& bytes, int index) {
    const int at = index * 2;
    if (index < 0 || at + 1 >= bytes.size()) return 0;
    return static_cast<std::uint16_t>((static_cast<std::uint8_t>(bytes[at]) << 8) |
                                      static_cast<std::uint8_t>(bytes[at + 1]));
}

void putWord(QByteArray& bytes, int index, std::uint16_t value) {
    bytes[index * 2] = static_cast<char>(value >> 8);
    bytes[index * 2 + 1] = static_cast<char>(value & 0xFF);
}

FrameWords decodeFrame(const QByteArray& bytes) {
    FrameWords words{};
    for (int i = 0; i < kFrameWords; ++i) words[i] = wordAt(bytes, i);
    return words;
}

QByteArray encodeWords(const std::uint16_t* words, int count) {
    QByteArray bytes(count * 2, '\0');
    for (int i = 0; i < count; ++i) putWord(bytes, i, words[i]);
    return bytes;
}

QByteArray encodeFrame(const FrameWords& words) {
    return encodeWords(words.data(), kFrameWords);
}

Request decodeRequest(const QByteArray& bytes) {
    const FrameWords w = decodeFrame(bytes);
    Request r;
    r.start = w[0];
    r.code = w[1];
    r.argument = w[2];
    for (int i = 0; i < 15; ++i) r.data[i] = w[3 + i];
    return r;
}

FrameWords replyHeader(std::uint16_t replyCode) {
    FrameWords w{};
    w[0] = kReplySync;
    w[1] = replyCode;
    return w;
}

}  // namespace korvo::sim
