#include "core/sensorfn/FlashWrite.h"

#include <span>

namespace korvo {

FlashOutcome FlashWriter::write(int port, const XFlashTable& table, int tableSize,
                                const FlashProgressFn& progress, const FlashOptions& options) {
    FlashOutcome outcome;
    const std::vector<XFlashBlock> blocks = xflashBlocks(tableSize);
    outcome.blocksTotal = static_cast<int>(blocks.size());
    const auto stopHere = [&] {
        if (!options.stopRequested || !options.stopRequested()) return false;
        if (outcome.end == FlashEnd::Written) outcome.end = FlashEnd::Stopped;
        return true;
    };

    if (stopHere()) return outcome;
    outcome.cleared = link_.ClearXFLASH(port) == 1;
    if (!outcome.cleared) {
        outcome.end = FlashEnd::ClearFailed;
        if (options.stopAtFailure) return outcome;
    }

    int done = 0;
    for (const XFlashBlock& block : blocks) {
        if (stopHere()) return outcome;
        const XFlashRequest request = xflashWriteRequest(table, block);
        const std::span<const std::uint16_t, 8> entries(request.data.data() + 1, 8);
        const XFlashWrite reply = link_.WriteXFLASH(port, block.offset, block.page, entries);
        // An echo for another block means the sensor stored this one somewhere else, or not at
        // all: the table is not what was asked for.
        const bool acknowledged = reply.result == 1 && reply.echoedOffset == block.offset &&
                                  reply.echoedPage == block.page;
        ++done;
        if (acknowledged) {
            ++outcome.blocksAcknowledged;
        } else if (!outcome.failedBlock) {
            outcome.failedBlock = block;
            outcome.failedReply = reply;
            if (outcome.end == FlashEnd::Written) outcome.end = FlashEnd::BlockFailed;
        }
        FlashProgress step;
        step.done = done;
        step.total = outcome.blocksTotal;
        step.block = block;
        step.reply = reply;
        step.acknowledged = acknowledged;
        const bool goOn = !progress || progress(step);
        if (!acknowledged && options.stopAtFailure) return outcome;
        if (!goOn) {
            if (outcome.end == FlashEnd::Written) outcome.end = FlashEnd::Stopped;
            return outcome;
        }
    }
    return outcome;
}

namespace {

QString blockText(int index) {
    const int perPage = kXFlashPageWords / kXFlashBlockWords;
    return QStringLiteral("page %1 offset %2")
        .arg(kXFlashFirstPage + index / perPage)
        .arg(index % perPage * kXFlashBlockWords);
}

// A stop comes only while every block so far was acknowledged: blocks 0..n-1 are written.
QString stoppedText(const FlashOutcome& outcome) {
    const int written = outcome.blocksAcknowledged;
    if (!outcome.cleared) return QStringLiteral("stopped before the clear: X-FLASH not changed");
    if (written == 0)
        return QStringLiteral("stopped after the clear: X-FLASH cleared, no block written");
    QString text = QStringLiteral("stopped after %1 of %2 blocks: written up to %3")
                       .arg(written)
                       .arg(outcome.blocksTotal)
                       .arg(blockText(written - 1));
    if (written < outcome.blocksTotal)
        text += QStringLiteral(", not from %1 on").arg(blockText(written));
    return text;
}

}  // namespace

QString flashFailureText(const FlashOutcome& outcome) {
    switch (outcome.end) {
        case FlashEnd::Written:
            return {};
        case FlashEnd::ClearFailed:
            return QStringLiteral("X-FLASH not cleared: no answer to command 101");
        case FlashEnd::Stopped:
            return stoppedText(outcome);
        case FlashEnd::BlockFailed:
            break;
    }
    const XFlashBlock b = outcome.failedBlock.value_or(XFlashBlock{});
    if (outcome.failedReply.result != 1)
        return QStringLiteral("no answer to block page %1 offset %2").arg(b.page).arg(b.offset);
    return QStringLiteral("block page %1 offset %2 answered for page %3 offset %4")
        .arg(b.page)
        .arg(b.offset)
        .arg(outcome.failedReply.echoedPage)
        .arg(outcome.failedReply.echoedOffset);
}

}  // namespace korvo
