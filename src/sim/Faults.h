#pragma once
// Faults the virtual sensor can be told to show on its replies, so that the PC side's handling of
// a bad line can be tested: silence, lateness, wrong lengths, a missing sync word, noise and a
// vanished device.

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

namespace korvo::sim {

enum class Fault {
    NoReply,     // the request is swallowed
    LateReply,   // the reply leaves delayMs after the request
    ShortReply,  // frames: 35 bytes; firmware text: 60 bytes; 64-word block: 100 bytes
    LongReply,   // frames: 40 bytes; firmware text: 80 bytes; 64-word block: 130 bytes
    NoSync,      // neither word 0 nor word 1 is 0x00AA
    Garbage,     // 36 random bytes instead of the reply
    HangUp,      // the device goes away (master side closed)
    BadData,     // frames: data word 0 (frame word 3) altered, as a memory that lost a bit
    SplitReply,  // every byte leaves on its own, delayMs after the one before
    StrayFirst,  // one to three stray bytes (never 0xAA) on the line just before the reply
    StrayAfter,  // the same just after the reply
    CutOff,      // the first half of the reply leaves; delayMs later the device goes away
};

struct FaultRule {
    Fault fault = Fault::NoReply;
    int commandCode = -1;  // -1: any command
    int count = -1;        // replies still to spoil; -1: forever
    int delayMs = 1500;    // LateReply: how late; SplitReply: the gap; CutOff: till the hang-up
    int skip = 0;          // matching requests answered normally before the rule applies
};

// The rules in force, first match wins. Each use of a counted rule uses it up by one.
class FaultTable {
public:
    void add(const FaultRule& rule) {
        if (rule.count != 0) rules_.push_back(rule);
    }
    void clear() { rules_.clear(); }
    bool empty() const { return rules_.empty(); }
    // The rule that applies to a request with this code, consumed by one use. A request that
    // gets no reply anyway (the dummy frame) uses up only a hang-up rule.
    std::optional<FaultRule> take(int commandCode, bool replying);

private:
    std::vector<FaultRule> rules_;
};

// What the sensor sends, by its shape; fault lengths differ per shape.
enum class ReplyShape { Frame, FirmwareText, Block };

// The reply bytes as the fault spoils them (NoReply gives empty bytes; LateReply, SplitReply and
// HangUp leave the bytes alone: they act on timing and on the device).
QByteArray spoilReply(const QByteArray& reply, ReplyShape shape, Fault fault, std::mt19937& rng);

}  // namespace korvo::sim
