// Requests laid out word by word: TEST and the multiplexer teach-in (command 16), and the
// X-FLASH linearisation table (commands 101 and 102).

#include "core/link/Frame.h"
#include "core/link/SensorLink.h"
#include "core/link/XFlashEcho.h"

namespace korvo {

namespace {
std::array<std::uint16_t, kFrameWords> requestWords(std::uint16_t code, std::uint16_t arg) {
    std::array<std::uint16_t, kFrameWords> words{};
    words[0] = kStartWord;
    words[1] = code;
    words[2] = arg;
    return words;
}
}  // namespace

// Writes a request laid out word by word: the command code and argument word are taken from the
// words, both queues are emptied, the reply kind cleared. Returns the time of the write.
double SensorLink::sendWords(int port, const std::array<std::uint16_t, kFrameWords>& words) {
    if (!claimPort(port, words[1])) return pump_.now();
    data_.link.commandCode = words[1];
    data_.link.argumentWord = words[2];
    writeTxWords(data_.link, words);
    ports_.flushInThenOut(port);
    data_.link.replyKind = kReplyNone;
    markWritten(port);
    writeRequest(port);
    return pump_.now();
}

// Command 16 carries the teach value as its argument and the two tolerances in words 3 and 4.
// Both senders empty the queues, write and wait up to 0.5 s for the echo.
bool SensorLink::exchangeTest(int port, std::uint16_t teachValue, std::uint16_t upperTolerance,
                              std::uint16_t lowerTolerance, const QString& shownAtOnce) {
    auto words = requestWords(16, teachValue);
    words[3] = upperTolerance;
    words[4] = lowerTolerance;
    const double start = sendWords(port, words);
    if (!shownAtOnce.isEmpty()) show(shownAtOnce, StatusLine::Main);
    return awaitReply(port, start, kShortReplyLimit);
}

int SensorLink::TestBUTTON(int port, std::uint16_t teachValue, std::uint16_t upperTolerance,
                           std::uint16_t lowerTolerance) {
    const bool ok = exchangeTest(port, teachValue, upperTolerance, lowerTolerance,
                                 QStringLiteral("activating TEST ..."));
    setStatus(ok ? QStringLiteral("TEST-BUTTON-done-ok!")
                 : failText(port, QStringLiteral("Timeout-RS-232...")));
    showStatus(StatusLine::Main);
    resumeRunLoop();
    return ok ? 1 : 0;
}

int SensorLink::ActivateTeach(int port, std::uint16_t teachValue, std::uint16_t upperTolerance,
                              std::uint16_t lowerTolerance) {
    const bool ok = exchangeTest(port, teachValue, upperTolerance, lowerTolerance, QString());
    data_.link.setMplexStatus(ok ? QStringLiteral("TEACH-IN OK!")
                                 : failText(port, QStringLiteral("Timeout RS-232!")));
    return ok ? 1 : 0;
}

int SensorLink::ClearXFLASH(int port) {
    auto words = requestWords(101, 0);
    for (int i = 3; i < kFrameWords; ++i) words[i] = kSyncWord;
    const double start = sendWords(port, words);
    show(QStringLiteral("clearing X-FLASH..."), StatusLine::Main);
    const bool ok = awaitReply(port, start, kReplyLimit);
    setStatus(ok ? QStringLiteral("X-FLASH-cleared!")
                 : failText(port, QStringLiteral("Timeout-RS-232...")));
    showStatus(StatusLine::Main);
    return ok ? 1 : 0;
}

XFlashWrite SensorLink::WriteXFLASH(int port, std::uint16_t offset, std::uint16_t page,
                                    std::span<const std::uint16_t, 8> entries) {
    auto words = requestWords(102, offset);
    words[3] = page;
    for (int i = 0; i < 8; ++i) words[4 + i] = entries[i];
    const double start = sendWords(port, words);

    XFlashWrite outcome;
    outcome.blockStart = (static_cast<int>(page) - 2) * 256 + offset;
    if (!awaitReply(port, start, kReplyLimit)) {
        setStatus(failText(port, QStringLiteral("Timeout-RS-232...")));
        showStatus(StatusLine::Main);
        return outcome;
    }
    outcome.result = 1;
    outcome.echoedOffset = data_.link.dataWords[0];
    outcome.echoedPage = data_.link.dataWords[1];
    if (const auto message = xflashPageMessage(outcome.echoedPage)) setStatus(*message);
    outcome.lastBlock = isLastXFlashBlock(outcome.echoedPage, outcome.echoedOffset);
    if (outcome.lastBlock)
        show(QStringLiteral("X-FLASH Data successfully written!"), StatusLine::Main);
    else
        showStatus(StatusLine::Main);
    return outcome;
}

}  // namespace korvo
