#include "core/sensorfn/FlashWrite.h"

#include <span>

namespace korvo {

FlashOutcome FlashWriter::write(int port, const XFlashTable& table, int tableSize,
                                const FlashProgressFn& progress, const FlashOptions& options) {
    FlashOutcome outcome;
    const std::vector<XFlashBlock> blocks = xflashBlocks(tableSize);
    outcome.blocksTotal = static_cast<int>(blocks.size());

    outcome.cleared = link_.ClearXFLASH(port) == 1;
    if (!outcome.cleared) {
        outcome.end = FlashEnd::ClearFailed;
        if (options.stopAtFailure) return outcome;
    }

    int done = 0;
    for (const XFlashBlock& block : blocks) {
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

QString flashFailureText(const FlashOutcome& outcome) {
    switch (outcome.end) {
        case FlashEnd::Written:
            return {};
        case FlashEnd::ClearFailed:
            return QStringLiteral("X-FLASH not cleared: no answer to command 101");
        case FlashEnd::Stopped:
            return QStringLiteral("stopped after %1 of %2 blocks")
                .arg(outcome.blocksAcknowledged)
                .arg(outcome.blocksTotal);
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
