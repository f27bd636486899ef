// What a sensor sends, arriving at a port in pieces of any size: the receive split cuts it into
// frames, each frame is matched against every request and decoded, and the decoded words go
// where the program takes them: parameter halves, hardware information and the model, run and
// record replies with the graphs drawn from them, block words with the video curves. Any bytes
// pass without fault, and frames are matched only to requests they can answer.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <span>
#include <vector>

#include "FuzzCheck.h"
#include "core/link/Frame.h"
#include "core/link/LinkState.h"
#include "core/link/ReplyMatch.h"
#include "core/measure/BarGraphPlan.h"
#include "core/measure/RollGraphPlan.h"
#include "core/measure/VideoCurvePlan.h"
#include "core/model/ModelTable.h"
#include "core/params/ParamSet.h"
#include "core/params/VideoBuffers.h"
#include "core/sensorfn/LinearisationTable.h"

namespace korvo {
namespace {

// Every command code the program sends, and two it never sends.
constexpr std::array<std::uint16_t, 20> kCodes = {0,  1,  2,  3,  4,  5,  6,   7,   8,   9,
                                                  10, 11, 12, 13, 16, 18, 101, 102, 190, 0x1234};

struct Session {
    LinkState link;
    ParamSet params;
    ToleranceBand band;
    ModelState model;
    RunRecord run;
    RollBuffer roll;
    VideoBuffers video;
    int blockSlot = 0;
};

void checkMatching(std::span<const std::uint8_t, kFrameBytes> frame) {
    const std::uint16_t word1 = frameWord(frame, 1);
    const int kind = replyKindOf(word1);
    for (const std::uint16_t code : kCodes) {
        if (!canAnswer(code, frame)) continue;
        const Awaited awaited = awaitedFor(code);
        FUZZ_CHECK(awaited != Awaited::RawData || kind == kReplyRawData);
        FUZZ_CHECK(awaited != Awaited::Echo || kind == kReplyEcho);
        // The echo of another command this program sends answers only that command.
        if (kind == kReplyEcho && isEchoedCommand(word1)) FUZZ_CHECK(word1 == code);
    }
}

void hardwareInfo(Session& s) {
    const auto w = [&s](int i) { return frameWord(s.link.rxBuf, i); };
    const HardwareInfo info{w(2), w(3), w(4), w(5), w(6), w(7), w(8), w(9), w(10), w(11), w(12)};
    storeHardwareInfo(info, s.model);
    if (w(1) != 10) return;
    applyHardwareInfo(info, s.model);
    FUZZ_CHECK(s.model.pixelCount > 0);
    FUZZ_CHECK(s.model.firstPixel <= s.model.lastPixel);
}

void measurement(Session& s) {
    const BarGraphPlan bars = planBarGraph(s.run, s.params, s.model);
    FUZZ_CHECK(bars.edgeCursor >= 1);
    const RollStep step = planRollStep(s.run, s.params, s.model.pixelCount);
    s.roll.push(step.sample);
}

// Frame words as the next block of the profile (blocks are plain bytes, like frames).
void blockWords(Session& s) {
    for (int i = 0; i < 16; ++i) {
        s.video.video[static_cast<std::size_t>(s.blockSlot)] = s.link.dataWords[i];
        s.blockSlot = (s.blockSlot + 1) % kProfileSamples;
    }
}

// The video curves of the profile as it stands, with the session's parameters and model.
void videoCurves(Session& s) {
    fillThresholdLine(s.video, s.model.videoFullScale, s.params.videoThdFix);
    fillAutoCurve(s.video, s.params.videoThdAuto);
    for (const bool raw : {false, true}) {
        curveToDraw(s.params.videoThdMode, raw);
        binarised(s.video.video, rawThreshold(s.video, s.params.videoThdMode),
                  s.model.videoFullScale);
    }
}

void take(Session& s, std::span<const std::uint8_t, kFrameBytes> frame) {
    checkMatching(frame);
    std::copy(frame.begin(), frame.end(), s.link.rxBuf.begin());
    const std::uint16_t word1 = frameWord(frame, 1);
    const int kind = GetRxBuf36(s.link);
    FUZZ_CHECK(kind == replyKindOf(word1));
    if (kind == kReplyRawData) {
        CopyPPtoRAW36(s.link.dataWords, s.run, s.params);
        measurement(s);
    } else if (kind == kReplyRecord) {
        CopyPPtoRAW18(s.link.dataWords, s.run);
        measurement(s);
    } else if (word1 == 2 || word1 == 4) {
        // A parameter half from RAM or EEPROM, the half named by the argument word.
        CopyPPtoVars(s.params, frameWord(frame, 2), s.link.dataWords, s.band, s.model.pixelCount);
        applyRanges(s.params, s.model.pixelCount);
    } else if (word1 == 10) {
        hardwareInfo(s);
    } else if (word1 == 102) {
        xflashPageMessage(s.link.dataWords[1]);
        isLastXFlashBlock(s.link.dataWords[1], s.link.dataWords[0]);
    }
    blockWords(s);
}

}  // namespace
}  // namespace korvo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvo;
    FuzzedDataProvider in(data, size);
    Session session;
    std::vector<std::uint8_t> queued;
    while (in.remaining_bytes() > 0) {
        const auto piece = in.ConsumeIntegralInRange<std::size_t>(1, 2 * kFrameBytes + 8);
        const std::vector<std::uint8_t> bytes = in.ConsumeBytes<std::uint8_t>(piece);
        queued.insert(queued.end(), bytes.begin(), bytes.end());
        if (queued.size() < kFrameBytes) continue;

        const ReceiveSplit split = splitReceived(queued);
        FUZZ_CHECK(split.frames >= 1);
        const auto taken = static_cast<std::size_t>(split.frames) * kFrameBytes;
        FUZZ_CHECK(taken <= queued.size());
        for (int i = 0; i < split.frames; ++i) {
            take(session,
                 std::span<const std::uint8_t, kFrameBytes>(
                     queued.data() + static_cast<std::size_t>(i) * kFrameBytes, kFrameBytes));
        }
        queued.erase(queued.begin(), queued.begin() + static_cast<std::ptrdiff_t>(taken));
        // What is kept is only ever the start of one more reply.
        if (split.keepRest) FUZZ_CHECK(queued.size() < kFrameBytes);
        if (!split.keepRest) queued.clear();
    }
    videoCurves(session);
    return 0;
}
