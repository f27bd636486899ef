#include "sim/LineSchedule.h"

#include <algorithm>

namespace korvo::sim {

namespace {
// Within a reply, bytes may wait this long after their time to leave together with later ones,
// so that a fast line does not wake the thread (and the reader) for every byte. No byte ever
// leaves before its time, and the last byte of a reply does not wait at all.
constexpr auto kBatch = std::chrono::microseconds(1000);
}  // namespace

void LineSchedule::queue(const QByteArray& bytes, Clock::time_point at, int baud) {
    if (bytes.isEmpty()) return;
    Item item;
    item.bytes = bytes;
    item.start = std::max(at, lineFree_);
    if (baud > 0) {
        item.byteTime =
            std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(10.0 / baud));
    }
    lineFree_ = item.start + item.byteTime * bytes.size();
    items_.push_back(std::move(item));
}

QByteArray LineSchedule::due(Clock::time_point now) const {
    QByteArray out;
    for (const Item& item : items_) {
        int n = item.sent;
        while (n < item.bytes.size() && item.dueOf(n) <= now) ++n;
        out.append(item.bytes.constData() + item.sent, n - item.sent);
        if (n < item.bytes.size()) break;  // later items wait for this one
    }
    return out;
}

void LineSchedule::sent(int count) {
    while (count > 0 && !items_.empty()) {
        Item& head = items_.front();
        const int take = std::min(count, static_cast<int>(head.bytes.size()) - head.sent);
        head.sent += take;
        count -= take;
        if (head.sent == head.bytes.size()) items_.pop_front();
    }
}

Clock::time_point LineSchedule::nextDue() const {
    if (items_.empty()) return Clock::time_point::max();
    const Item& head = items_.front();
    const int last = static_cast<int>(head.bytes.size()) - 1;
    if (wholeReplies_) return head.dueOf(last);
    return std::min(head.dueOf(head.sent) + kBatch, head.dueOf(last));
}

void LineSchedule::clear() {
    items_.clear();
    lineFree_ = {};
}

}  // namespace korvo::sim
