#pragma once
// Writing the linearisation table into the sensor's X-FLASH: clear it with command 101, then
// send the table block by block (8 words each, offsets 0, 8, ..., 248 of pages 2..) with command
// 102. A write counts as done only when the clear and every block were acknowledged, each block
// by an echo that names its own offset and page. Widget-free, with a progress callback, so that
// the window and the command-line tool run the same sequence.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/link/SensorLink.h"
#include "core/sensorfn/LinearisationTable.h"

namespace korvo {

enum class FlashEnd {
    Written,      // cleared, and every block acknowledged with its own offset and page
    ClearFailed,  // command 101 was not acknowledged
    BlockFailed,  // a block timed out or its echo named another offset or page
    Stopped,      // the progress callback or stopRequested asked to stop
};

struct FlashOptions {
    // Stop at the first failure. The window's historic sequence went on writing after a failed
    // clear or block, which only fills the flash with a table that is known to be incomplete.
    bool stopAtFailure = true;
    // Asked before each exchange, the clear included: true ends the write there, so the
    // exchange under way is the last (the command-line tool on SIGTERM).
    std::function<bool()> stopRequested;
};

struct FlashProgress {
    int done = 0;   // blocks sent so far, this one included
    int total = 0;  // blocks of the table
    XFlashBlock block;
    XFlashWrite reply;  // the exchange of this block
    bool acknowledged = false;
};

struct FlashOutcome {
    FlashEnd end = FlashEnd::Written;
    bool cleared = false;
    int blocksTotal = 0;
    int blocksAcknowledged = 0;
    std::optional<XFlashBlock> failedBlock;  // the first block that was not acknowledged
    XFlashWrite failedReply;                 // its exchange (result 0: time-out)
};

// Returns false to stop after the block just written.
using FlashProgressFn = std::function<bool(const FlashProgress&)>;

class FlashWriter {
public:
    explicit FlashWriter(SensorLink& link) : link_(link) {}

    // Writes the first tableSize words of table (linTableSize() of the model) on port.
    FlashOutcome write(int port, const XFlashTable& table, int tableSize,
                       const FlashProgressFn& progress = {}, const FlashOptions& options = {});

private:
    SensorLink& link_;
};

// What went wrong, for the operator: "X-FLASH not cleared", "no answer to block page 3 offset
// 16", "block page 3 offset 16 answered for page 3 offset 8", and for a stop which blocks were
// written and which not; empty when written.
QString flashFailureText(const FlashOutcome& outcome);

}  // namespace korvo
