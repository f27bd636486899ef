// Which frame can answer which request, from its reply code alone.

#include <gtest/gtest.h>

#include "core/link/Frame.h"
#include "core/link/ReplyMatch.h"

namespace korvo {
namespace {

std::array<std::uint8_t, kFrameBytes> replyWithCode(std::uint16_t word1) {
    std::array<std::uint8_t, kFrameBytes> f{};
    putFrameWord(f, 0, kSyncWord);
    putFrameWord(f, 1, word1);
    return f;
}

TEST(ReplyMatch, AFrameAnswersOnlyARequestItCanBelongTo) {
    struct Case {
        std::uint16_t request;
        std::uint16_t replyCode;
        bool answers;
    };
    const Case cases[] = {
        {2, 2, true},        // its own echo
        {2, 3, false},       // the echo of another command
        {2, 8, false},       // raw data is no echo
        {2, 19, false},      // nor a record
        {2, 0x0063, true},   // an echo code no command has: nothing says it is foreign
        {190, 2, false},     // a late GET echo does not confirm a baud-rate change
        {102, 102, true},    // offset and page are the writer's to check
        {8, 8, true},        // raw data
        {8, 0x0108, false},  // no raw-data code: an echo
        {8, 11, false},     {5, 0x00AA, true},  // a line check answered with the sync word in word
                                                // 1
        {5, 8, true},                           // the line check fails on it rather than waiting on
        {5, 2, false},                          // but a late GET echo is not its answer
        {10, 19, true},                         // the hardware query likewise
        {10, 11, false},    {18, 18, true},         {18, 19, true},
        {18, 16, false},    {0xFFFF, 0xFFFF, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "request " << c.request << " reply " << c.replyCode);
        EXPECT_EQ(canAnswer(c.request, replyWithCode(c.replyCode)), c.answers);
    }
}

TEST(ReplyMatch, ALateAnswerMustSettleOnlyWhenItWouldPassForTheNewRequest) {
    EXPECT_TRUE(lateReplyPassesFor(2, 2));  // para0 late, then para1: same code
    EXPECT_TRUE(lateReplyPassesFor(8, 8));  // measurements look alike
    EXPECT_TRUE(lateReplyPassesFor(5, 8));  // the line check takes any kind
    EXPECT_TRUE(lateReplyPassesFor(18, 8));
    EXPECT_FALSE(lateReplyPassesFor(190, 2));  // told apart by the echo
    EXPECT_FALSE(lateReplyPassesFor(5, 2));
    EXPECT_FALSE(lateReplyPassesFor(2, 8));
}

}  // namespace
}  // namespace korvo
