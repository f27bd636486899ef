#pragma once
// The sensor's transmit line: replies wait here until their bytes are due. Unpaced, every byte is
// due at once; paced, each byte of a reply is due 10 bit times after the one before, and a reply
// never starts before the previous one has left. No byte leaves before it is due.

#include <QByteArray>
#include <chrono>
#include <deque>

namespace korvo::sim {

using Clock = std::chrono::steady_clock;

class LineSchedule {
public:
    // Queues `bytes` to start at `at`; `baud` 0 sends them all at once.
    void queue(const QByteArray& bytes, Clock::time_point at, int baud);
    // The bytes due by `now` (they count as sent once handed out; call sent() for what the
    // device took).
    QByteArray due(Clock::time_point now) const;
    // Marks `count` bytes of due() as written.
    void sent(int count);
    bool empty() const { return items_.empty(); }
    // When to hand out bytes next, or max() with nothing queued: the next byte's time, or a
    // little later to take a few bytes at once, but never after the reply's last byte is due.
    Clock::time_point nextDue() const;
    void clear();
    // Hands each reply out only once its last byte is due (SensorConfig::wholeReplies).
    void setWholeReplies(bool whole) { wholeReplies_ = whole; }

private:
    struct Item {
        QByteArray bytes;
        Clock::time_point start;
        Clock::duration byteTime{};  // zero: all at once
        int sent = 0;
        Clock::time_point dueOf(int index) const { return start + byteTime * (index + 1); }
    };
    std::deque<Item> items_;
    Clock::time_point lineFree_{};
    bool wholeReplies_ = false;
};

}  // namespace korvo::sim
