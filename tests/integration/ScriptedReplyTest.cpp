// Replies a well-behaved sensor never sends: every 36-byte request is answered with the one
// frame the test has set.

#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <functional>

#include "LinkRig.h"
#include "core/sensorfn/FlashWrite.h"

namespace korvo::test {
namespace {

class ScriptedReply : public BarePty {
protected:
    void SetUp() override {
        BarePty::SetUp();
        notifier = std::make_unique<QSocketNotifier>(master, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] { answer(); });
        linkUp();
    }
    void TearDown() override {
        notifier.reset();
        BarePty::TearDown();
    }
    void answer() {
        char buffer[256];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) return;
        pending.append(buffer, static_cast<qsizetype>(n));
        for (; pending.size() >= kFrameBytes; pending.remove(0, kFrameBytes))
            sensorWrites(script ? script(pending.left(kFrameBytes)) : reply);
    }

    QByteArray pending;
    QByteArray reply;
    std::function<QByteArray(const QByteArray& request)> script;  // when set, answers instead
    std::unique_ptr<QSocketNotifier> notifier;
};

TEST_F(ScriptedReply, LineCheckFailsOnAReplyOfAnotherKindAndKeepsTheStatusText) {
    for (const char* frame : {"00AA 0008 1234", "00AA 0012 1234", "00AA 0013 1234"}) {
        SCOPED_TRACE(frame);
        reply = frameHex(frame);
        pc->scope.link.statusText = QStringLiteral("before");
        EXPECT_EQ(pc->scope.CheckComLine(1), 0);
        EXPECT_EQ(pc->scope.link.statusText, QStringLiteral("before"));
    }
    // The same sync word in an echo passes; the words after the serial number are not taken.
    reply = frameHex("00AA 0005 0309 4321");
    EXPECT_EQ(pc->scope.CheckComLine(1), 1);
    EXPECT_EQ(pc->scope.link.statusText, QStringLiteral("Echo Check - Line Ok!   SN:777"));
    EXPECT_NE(pc->scope.link.dataWords[3], 0x4321);
}

TEST_F(ScriptedReply, HardwareWordsCountOnlyFromTheRightEcho) {
    // Family 1, pixel count 8192, firmware 312, variant 80, video 1024, answered as raw data.
    reply = frameHex("00AA 0008 0001 0003 0004 0005 2000 0007 0008 0009 0138 0050 0400");
    EXPECT_EQ(pc->scope.GetHARDWAREInfo(1).result, 0);
    EXPECT_EQ(pc->scope.model.familyCode, 0);
    EXPECT_EQ(pc->scope.model.pixelCount, 4096);

    // The echo of another command (11) is a late answer to that one: dropped, nothing stored.
    reply[3] = 0x0B;
    EXPECT_EQ(pc->scope.GetHARDWAREInfo(1).result, 0);
    EXPECT_EQ(pc->scope.model.familyCode, 0);
    EXPECT_EQ(pc->scope.droppedFrames(1), 1u);

    // An echo code no command has: the words are stored, nothing is derived.
    reply[3] = 0x63;
    const HardwareQuery query = pc->scope.GetHARDWAREInfo(1);
    EXPECT_EQ(query.result, 0);
    EXPECT_FALSE(query.profile.has_value());
    EXPECT_EQ(pc->scope.model.familyCode, 1);
    EXPECT_EQ(pc->scope.model.pixelCount, 8192);
    EXPECT_EQ(pc->scope.model.firmwareVersion, 312);
    EXPECT_EQ(pc->scope.model.variantCode, 80);
    EXPECT_EQ(pc->scope.model.info.word7, 7);
    EXPECT_EQ(pc->scope.model.lastPixel, 1024);
    EXPECT_EQ(pc->scope.model.videoX[1], 4.0);
    EXPECT_EQ(pc->scope.model.videoFullScale, 255);
    EXPECT_EQ(pc->scope.model.hardwareType, 0);

    reply[3] = 0x0A;  // the right echo: the model table applies (the row's type: ModelTable)
    EXPECT_EQ(pc->scope.GetHARDWAREInfo(1).result, 1);
    EXPECT_EQ(pc->scope.model.lastPixel, 8192);
    EXPECT_EQ(pc->scope.model.videoX[1], 32.0);
    EXPECT_EQ(pc->scope.model.videoFullScale, 1024);
}

// A late answer settles, and is thrown away, before the firmware text or a data block is asked
// for: read as plain bytes, they would take it in.
TEST_F(ScriptedReply, ALateAnswerNeverMixesIntoTheFirmwareTextOrADataBlock) {
    QObject context;
    const QByteArray text("KORVO-KM firmware");
    QByteArray block(kBlockBytes, '\0');
    block[0] = 7;
    block[1] = 3;  // the block's first word, high byte first: 0x0703
    script = [&](const QByteArray& request) {
        const QByteArray answer = request[3] == 7   ? text.leftJustified(72, '\0')
                                  : request[3] == 9 ? block
                                                    : QByteArray();  // para0 goes unanswered
        if (!answer.isEmpty())
            QTimer::singleShot(200, &context, [this, answer] { sensorWrites(answer); });
        return QByteArray();
    };
    for (const bool firmware : {true, false}) {
        SCOPED_TRACE(firmware ? "firmware text" : "data block");
        EXPECT_EQ(pc->scope.GetParamHalf(kMemoryRam, 0, 1, pc->scope.params), -1);
        QTimer::singleShot(100, &context, [&] { sensorWrites(frameHex("00AA 0002")); });
        if (firmware) {
            EXPECT_EQ(pc->scope.GetVERSIONInfo(1), kFirmwareBytes);
            EXPECT_EQ(pc->scope.link.firmwareText, QString::fromLatin1(text));
        } else {
            pc->bank.installCallback(1, false);
            pc->scope.ReadData64(1, 0, 0);
            pc->bank.installCallback(1, true);
            EXPECT_EQ(pc->scope.video.video[0], 0x0703);
            EXPECT_EQ(pc->scope.video.video[1], 0);
        }
    }
}

// A flash block counts only when its echo names its own offset and page; the third block's echo
// names another page here. The writer stops there, or goes on when told to, and a progress
// callback can stop it.
TEST_F(ScriptedReply, FlashWriteCountsOnlyEchoesOfTheirOwnBlock) {
    int blocks = 0;
    script = [&](const QByteArray& request) {
        QByteArray echo(kFrameBytes, '\0');
        echo[1] = static_cast<char>(0xAA);
        echo[2] = request[2];
        echo[3] = request[3];
        echo.replace(6, 4, request.mid(4, 4));  // offset and page as asked
        if (static_cast<std::uint8_t>(request[3]) == 102 && ++blocks == 3) echo[9] = 3;
        return echo;
    };
    XFlashTable table{};
    const struct {
        bool stopAtFailure;
        int stopAfter;  // the progress callback says stop after this many blocks (0: never)
        FlashEnd end;
        int sent, acknowledged;
    } cases[] = {
        {true, 0, FlashEnd::BlockFailed, 3, 2},
        {false, 0, FlashEnd::BlockFailed, 256, 255},
        {true, 2, FlashEnd::Stopped, 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent);
        blocks = 0;
        int sent = 0;
        FlashOptions options;
        options.stopAtFailure = c.stopAtFailure;
        const auto progress = [&](const FlashProgress& p) {
            EXPECT_EQ(p.done, ++sent);
            return c.stopAfter == 0 || p.done < c.stopAfter;
        };
        const FlashOutcome outcome =
            FlashWriter(pc->scope).write(1, table, kXFlashTableWords, progress, options);
        EXPECT_TRUE(outcome.cleared);
        EXPECT_EQ(outcome.end, c.end);
        EXPECT_EQ(sent, c.sent);
        EXPECT_EQ(outcome.blocksAcknowledged, c.acknowledged);
        if (c.end == FlashEnd::BlockFailed) {
            EXPECT_EQ(outcome.failedBlock, (XFlashBlock{2, 16}));
            EXPECT_EQ(flashFailureText(outcome),
                      QStringLiteral("block page 2 offset 16 answered for page 3 offset 16"));
        }
    }
}

}  // namespace
}  // namespace korvo::test
