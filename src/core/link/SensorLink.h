#pragma once
// The exchanges with a sensor: each sends one request (or a run of block requests) on a COM port
// of the bank and waits for its answer while the pump keeps events running. The outcome goes into
// the shared status text and, where it is shown at once, to the status sink; results are small
// integers. Pop-ups, dimming and panel refreshes belong to the caller, which gets back what it
// needs (result codes, the model profile, the identification verdicts of Identification.h).

#include <QString>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>

#include "core/link/Frame.h"
#include "core/link/LinkState.h"
#include "core/link/PortBank.h"
#include "core/link/Pump.h"
#include "core/link/StatusSink.h"
#include "core/model/ModelState.h"
#include "core/model/ModelTable.h"
#include "core/params/ParamSet.h"
#include "core/params/VideoBuffers.h"

namespace korvo {

// Memory target of the parameter exchange.
enum MemoryTarget : int { kMemoryRam = 1, kMemoryEeprom = 2, kMemoryFile = 3 };

inline constexpr double kReplyLimit = 1.0;       // seconds, every scope-window exchange
inline constexpr double kShortReplyLimit = 0.5;  // TEST, multiplexer line check and teach-in
inline constexpr int kFirmwareBytes = 72;
inline constexpr int kBlockBytes = 128;
inline constexpr std::array<std::uint16_t, 4> kBlockOffsets{0, 64, 128, 192};

// How a wait compares the elapsed time with its limit.
enum class LimitRule {
    Strict,     // times out once elapsed > limit: a reply at exactly the limit is still taken
    Inclusive,  // times out once elapsed >= limit
};

// How a wait for an answer ended.
enum class WaitOutcome {
    Reply,     // a frame that can answer the request arrived; it is in the shared reply state
    Resumed,   // (yielding waits only) an exchange nested in the wait handed the port back
    Stopped,   // (yielding waits only) the stop flag left 0: the loop that waits is to end
    TimedOut,  // the limit passed
    PortLost,  // the port is not open, or hung up meanwhile
    Refused,   // the request was never written: another exchange was waiting on the port
};

inline constexpr const char* kPortBusyText = "RS-232 line busy!";

// The order in which an exchange empties the queues before it writes.
enum class Flush { OutThenIn, InThenOut, InOnly };

struct HardwareQuery {
    int result = 0;  // 1 when the reply echoed command 10 (the model table has been applied)
    std::optional<ModelProfile> profile;  // what the panels must show; set when result is 1
};

struct XFlashWrite {
    int result = 0;      // 1 reply, 0 time-out
    int blockStart = 0;  // table index of the block's first entry
    std::uint16_t echoedOffset = 0;
    std::uint16_t echoedPage = 0;
    bool lastBlock = false;  // the echo carried page 9, offset 248: the table is complete
};

// What the exchanges with one sensor read and fill.
struct SensorData {
    LinkState link;      // buffers, flags, port in use, status texts
    ParamSet params;     // para0 and para1
    ToleranceBand band;  // tolerance lines of the profile plot
    ModelState model;    // derived from the sensor's hardware information
    VideoBuffers video;  // profile, threshold array/line, auto curve
    RunRecord run;       // last raw-data reply
};

class SensorLink {
public:
    SensorLink(SensorData& data, PortBank& ports, Pump& pump, StatusSink& sink);

    PortBank& ports() { return ports_; }
    Pump& pump() { return pump_; }

    // ---- transport (also for the run and recorder loops) ----
    // Every port keeps the frames it receives to itself, and each request remembers the newest
    // frame of its port when it was written: only a later frame of that port that can answer it
    // (ReplyMatch.h) completes its wait. One exchange waits on a port at a time; a request made
    // on a port while another exchange waits there is refused (status "RS-232 line busy!"),
    // unless that wait yields, as the measurement loops do. After a time-out the answer may still
    // come: a later request that would take it for its own first waits for it to arrive or for
    // its time to run out (one more limit).

    // Sets command code and argument word, builds the request from the data-word buffer, empties
    // the queues, clears the reply kind and writes the 36 bytes. Returns the bytes written or a
    // negative error code (kErrPortBusy when refused).
    int sendRequest(int port, std::uint16_t code, std::uint16_t arg,
                    Flush flush = Flush::OutThenIn);
    // Writes bytes 0..35 of the request buffer.
    int writeRequest(int port);
    // Waits for the answer to the port's last request until the limit has passed since start.
    // The answer is decoded into the shared state (reply buffer, data words, reply kind, receive
    // flag). A port that is not open, or hangs up meanwhile, ends the wait at once. Sleeps
    // between events; never spins.
    bool awaitReply(int port, double start, double limit, LimitRule rule = LimitRule::Strict) {
        return awaitFrame(port, start, limit, rule) == WaitOutcome::Reply;
    }
    // The same, telling how it ended. A yielding wait (a measurement loop's) lets exchanges on
    // its port run nested in it (they take the port over), ends Resumed when one of them hands
    // the port back and Stopped as soon as the stop flag is no longer 0.
    WaitOutcome awaitFrame(int port, double start, double limit, LimitRule rule = LimitRule::Strict,
                           bool yields = false);
    // Records the sensor sends on its own (triggered output): the port's newest frame number, from
    // which awaitUnasked looks; and the wait for the next record frame after `next` (which it
    // advances), until deadline. Decoded into the shared reply state like any answer. Yields to
    // nested exchanges like a measurement wait; ends Stopped when the stop flag leaves 0,
    // PortLost on a hang-up, TimedOut at the deadline (no answer is owed: nothing was asked).
    std::uint64_t framesReceived(int port) const;
    WaitOutcome awaitUnasked(int port, std::uint64_t& next, double deadline);
    // Processes events until at least count bytes are queued or more than limit seconds have
    // passed since start; returns the bytes queued then (0 for a port that is not open) and tells
    // whether the wait ended by time-out.
    int awaitQueued(int port, int count, double start, double limit, bool& timedOut);
    // A running measurement loop waits for a raw-data reply before its next request; an exchange
    // nested in that wait hands the port back this way when the loop runs (reply kind 8, and the
    // loop's wait ends Resumed).
    void resumeRunLoop();
    // Shows the status text on the given line(s) now.
    void showStatusNow(StatusLine where) { showStatus(where); }
    // Frames received on the port that no exchange took (late, foreign or unasked answers).
    std::uint64_t droppedFrames(int port) const;

    // ---- opening ----
    // Shows the port number, opens with the table's baud rate and queue sizes, installs the
    // receive callback. "RS232-Init successful!" or the error text on both status lines, the
    // reasons of a failure (or of a port map not read) as their detail. Returns 0 or the
    // negative error code.
    int InitRS232(int port, int baudIndex);
    // The multiplexer's opening: 4096-byte queues for every index, message into the multiplexer
    // status text. Returns 1 or the negative error code.
    int Init232(int port, int baudIndex);
    // Command 190 at the old rate; on the echo the port is reopened at the new rate with
    // 4096-byte queues. Returns 1 (changed), 0 (no answer, old rate kept) or the negative
    // error code of the reopening (the port then stays closed).
    int ChangeBaudRate(int port, int newBaudIndex);
    // Command 0, no reply awaited. 1 when 36 bytes were written, else 0.
    int WriteDummyFrame(int port);

    // ---- line check and identification ----
    // Command 5 with the para0 words, 1.0 s: 1 line good (serial number kept), 0 no sync word or
    // another kind of reply, -1 time-out. Shown on both status lines.
    int CheckComLine(int port);
    // Command 5 with zero words, 0.5 s; both status texts, nothing shown. Same results.
    int Check232Line(int port);
    // Command 7: reads the raw firmware text. Returns the bytes queued when the wait ended
    // (72 or more: complete).
    int GetVERSIONInfo(int port);
    // Command 10: stores the hardware-info words of any echo reply, applies the model table when
    // the echo is 10.
    HardwareQuery GetHARDWAREInfo(int port);

    // ---- measurement data ----
    // Command 8 with the data-word buffer as it stands: 8 on a raw-data reply, else 0 (stop
    // flag 1).
    int PushGETRAW(int port);
    // Command 9: one 64-word block at offset into the video array (selector 0) or the threshold
    // array (any other selector). 1 when exactly 128 bytes came, else 0.
    int ReadData64(int port, std::uint16_t offset, std::uint16_t selector);
    // The four blocks with the receive callback off, stopping at the first failure; the callback
    // is installed again whatever the outcome. Returns 1 when all four blocks came, else 0.
    int readBlockRun(int port, std::uint16_t selector);

    // ---- parameter halves ----
    // Commands 2 (RAM) / 4 (EEPROM): sends the half of params as it stands and takes the reply
    // into it (and the tolerance band). 1 received, -1 time-out, 0 for the File target (nothing
    // sent).
    int GetParamHalf(int target, std::uint16_t half, int port, ParamSet& params);
    // Commands 1 (RAM and any other target) / 3 (EEPROM). 1 acknowledged, -1 time-out.
    int SendParamHalf(int target, std::uint16_t half, int port);

    // ---- sensor functions ----
    // Command 6 with the para0 words. 1 acknowledged (the caller reads both halves back),
    // -1 time-out (stop flag 1).
    int TeachSetpoint(int port);
    // Command 11. 1 acknowledged, -1 time-out (stop flag 1); a running loop is resumed.
    int ResetMaxMin(int port);
    // Command 12 with argument 1 / 2 / 0. On the echo um-Slope and um-Offset of the parameter
    // set take the reply's values. 1 reply, -1 time-out.
    int ActivateCalibration(int port);
    int SaveCalibration(int port, std::uint32_t umSlope, std::uint32_t umOffset);
    int StopCalibration(int port);
    // Command 13: store the automatic threshold at percent in target (1 RAM, 2 EEPROM). The
    // outcome names the target and a time-out is shown. 1 acknowledged, -1 time-out.
    int ActivateAutoThdSave(int port, std::uint16_t percent, std::uint16_t target);
    // Command 16 from the scope window, 0.5 s. 1 acknowledged, 0 time-out; a running loop is
    // resumed.
    int TestBUTTON(int port, std::uint16_t teachValue, std::uint16_t upperTolerance,
                   std::uint16_t lowerTolerance);
    // Command 16 from the multiplexer, 0.5 s, multiplexer status text. 1 acknowledged, else 0.
    int ActivateTeach(int port, std::uint16_t teachValue, std::uint16_t upperTolerance,
                      std::uint16_t lowerTolerance);
    // Command 18 with the para0 words: the reply kind that arrived (18 for a record), or -1 on
    // time-out (stop flag 3).
    int RequestRecordSample(int port);
    // Command 101. 1 acknowledged, 0 time-out.
    int ClearXFLASH(int port);
    // Command 102: one block of 8 table entries at offset of page.
    XFlashWrite WriteXFLASH(int port, std::uint16_t offset, std::uint16_t page,
                            std::span<const std::uint16_t, 8> entries);

private:
    // Who uses a port's answers: the request awaited, the waits in progress, a late answer owed.
    struct PortTurn {
        std::uint16_t code = 0;  // command of the last request written
        std::uint64_t mark = 0;  // the port's newest frame number just before that write
        bool refused = false;    // the last request was refused
        int waiting = 0;         // waits on the stack for this port
        bool yields = false;     // the innermost wait lets nested exchanges take the port
        bool resumed = false;    // a nested exchange handed the port back
        bool owed = false;       // a timed-out request may still be answered
        std::uint16_t owedCode = 0;
        std::uint64_t owedMark = 0;
        double owedUntil = 0.0;
    };
    class WaitScope;

    // Refuses (false, busy status) when a non-yielding wait is in progress on the port; otherwise
    // lets a late answer that code would take settle first.
    bool claimPort(int port, std::uint16_t code);
    void settleLateReply(int port, std::uint16_t code);
    // Marks the request as written now: later frames of the port may answer it.
    void markWritten(int port);
    bool takeAnswer(int port, std::uint16_t code, std::uint64_t& next);
    // The time-out text, or the busy text when the request was refused.
    QString failText(int port, const QString& timeoutText) const;

    void setStatus(const QString& text) { data_.link.setStatus(text); }
    void showStatus(StatusLine where) { sink_.showStatus(data_.link.statusText, where); }
    void show(const QString& text, StatusLine where) { sink_.showStatus(text, where); }
    int openAndInstall(int port, int baudIndex, int queueSize);
    // Beside the status text just shown: why the port map or the device failed, if either did.
    void showOpenDetail(int port);
    int lineCheck(int port, double limit);
    int calibrationExchange(int port, std::uint16_t arg);
    double sendWords(int port, const std::array<std::uint16_t, kFrameWords>& words);
    bool exchangeTest(int port, std::uint16_t teachValue, std::uint16_t upperTolerance,
                      std::uint16_t lowerTolerance, const QString& shownAtOnce);

    SensorData& data_;
    PortBank& ports_;
    Pump& pump_;
    StatusSink& sink_;
    std::map<int, PortTurn> turns_;
};

}  // namespace korvo
