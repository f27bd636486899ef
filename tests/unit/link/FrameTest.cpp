// Request frames, the decoding and splitting of reply frames, and which frame can answer which
// request.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "core/link/Frame.h"
#include "core/link/ReplyMatch.h"

namespace korvo {
namespace {

// Whole request frames of every exchange, para1's slope low word first among them, are checked
// against what the virtual sensor receives in the integration tests.
TEST(FillTxBuf, WritesEighteenBigEndianWordsAndNothingBeyond) {
    LinkState link;
    link.txBuf.fill(0xEE);
    std::array<std::uint16_t, 16> words{};
    for (int i = 0; i < 16; ++i) words[i] = static_cast<std::uint16_t>(i + 1);
    words[14] = 0xABCD;

    FillTxBuf(link, 5, 0x1234, words);

    const std::vector<std::uint8_t> expected{0x00, 0x55, 0x00, 0x05, 0x12, 0x34, 0x00, 0x01, 0x00,
                                             0x02, 0x00, 0x03, 0x00, 0x04, 0x00, 0x05, 0x00, 0x06,
                                             0x00, 0x07, 0x00, 0x08, 0x00, 0x09, 0x00, 0x0A, 0x00,
                                             0x0B, 0x00, 0x0C, 0x00, 0x0D, 0x00, 0x0E, 0xAB, 0xCD};
    EXPECT_EQ(std::vector<std::uint8_t>(link.txBuf.begin(), link.txBuf.begin() + 36), expected);
    // The sixteenth buffer word is never sent, and bytes past the frame stay as they were.
    EXPECT_EQ(link.txBuf[36], 0xEE);
    EXPECT_EQ(link.txBuf[4095], 0xEE);
}

// A reply frame with the given code in word 1; word i (i >= 2) holds 0x0100 + i.
void putReply(LinkState& link, std::uint16_t code) {
    putFrameWord(link.rxBuf, 0, 0x00AA);
    putFrameWord(link.rxBuf, 1, code);
    for (int i = 2; i < 18; ++i) putFrameWord(link.rxBuf, i, static_cast<std::uint16_t>(0x100 + i));
}

// Raw data and records fill all sixteen data words from frame word 2. Any other code is an echo:
// the words from 3 on, the last data word untouched, word 2 still readable in the reply buffer.
TEST(GetRxBuf36, RawDataAndRecordsFillSixteenWordsAnyOtherCodeIsAnEcho) {
    // The echoed command, an unknown code, and a code that is negative as a signed word.
    const std::pair<std::uint16_t, int> codes[] = {{8, 8}, {18, 18}, {19, 18},
                                                   {2, 1}, {170, 1}, {0xFFF8, 1}};
    for (const auto& [code, kind] : codes) {
        SCOPED_TRACE(testing::Message() << "reply code " << code);
        LinkState link;
        link.dataWords.fill(0x7777);
        putReply(link, code);
        EXPECT_EQ(GetRxBuf36(link), kind);
        const int from = kind == 1 ? 3 : 2;
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(link.dataWords[i], from + i < 18 ? 0x100 + from + i : 0x7777)
                << "entry " << i;
        EXPECT_EQ(frameWord(link.rxBuf, 2), 0x102);
    }
    // High byte first, checked against raw bytes.
    LinkState link;
    link.rxBuf[3] = 0x08;
    link.rxBuf[4] = 0x12;
    link.rxBuf[5] = 0x34;
    ASSERT_EQ(GetRxBuf36(link), 8);
    EXPECT_EQ(link.dataWords[0], 0x1234);
}

// Bytes queued on a port: n frames that start with the sync word, then the tail.
std::vector<std::uint8_t> queue(int frames, std::vector<std::uint8_t> tail) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < frames; ++i) {
        bytes.insert(bytes.end(), {0x00, 0xAA, 0x00, 0x08});
        bytes.resize(bytes.size() + 32, 0x11);
    }
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

TEST(SplitReceived, TakesFramesWhileTheySyncAndKeepsOnlyTheStartOfAReply) {
    const struct {
        std::vector<std::uint8_t> queued;
        int frames;
        bool keepRest;
    } cases[] = {
        {queue(0, {0x00, 0xAA, 0x00}), 0, true},         // less than a frame: wait for more
        {std::vector<std::uint8_t>(36, 0x11), 1, true},  // the first frame needs no sync
        {queue(2, {}), 2, true},
        {queue(1, {0x00, 0xAA, 0x00}), 1, true},   // a second reply on its way
        {queue(1, {0x00}), 1, true},               // its zero byte alone may start a reply
        {queue(1, {0x00, 0x55, 0x00}), 1, false},  // anything else is noise
        {queue(2, {0x7F}), 2, false},
    };
    for (const auto& c : cases) {
        const ReceiveSplit split = splitReceived(c.queued);
        EXPECT_EQ(split.frames, c.frames) << c.queued.size() << " bytes";
        EXPECT_EQ(split.keepRest, c.keepRest) << c.queued.size() << " bytes";
    }
}

std::array<std::uint8_t, kFrameBytes> replyWithCode(std::uint16_t word1) {
    std::array<std::uint8_t, kFrameBytes> f{};
    putFrameWord(f, 0, kSyncWord);
    putFrameWord(f, 1, word1);
    return f;
}

TEST(ReplyMatch, AFrameAnswersOnlyARequestItCanBelongTo) {
    const struct {
        std::uint16_t request, replyCode;
        bool answers;
    } cases[] = {
        // clang-format off
        {2, 2, true},                        // its own echo
        {2, 3, false},                       // the echo of another command
        {2, 8, false},                       // raw data is no echo
        {2, 19, false},                      // nor a record
        {2, 0x0063, true},                   // an echo code no command has: not known as foreign
        {190, 2, false},                     // a late GET echo does not confirm a baud-rate change
        {102, 102, true},                    // offset and page are the writer's to check
        {8, 8, true},                        // raw data
        {8, 0x0108, false}, {8, 11, false},  // no raw-data code: an echo
        {5, 0x00AA, true},                   // a line check answered with the sync word as its code
        {5, 8, true},                        // the line check fails on it rather than waiting on
        {5, 2, false},                       // but a late GET echo is not its answer
        {10, 19, true}, {10, 11, false},     // the hardware query likewise
        {18, 18, true}, {18, 19, true}, {18, 16, false}, {0xFFFF, 0xFFFF, true},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "request " << c.request << " reply " << c.replyCode);
        EXPECT_EQ(canAnswer(c.request, replyWithCode(c.replyCode)), c.answers);
        // The late answer to an earlier request of the reply's code settles only where it passes.
        EXPECT_EQ(lateReplyPassesFor(c.request, c.replyCode), c.answers);
    }
    // Plain bytes would take in any late answer.
    EXPECT_TRUE(lateReplyPassesFor(7, 2) && lateReplyPassesFor(9, 8));
}

}  // namespace
}  // namespace korvo
