#include "sim/Faults.h"

namespace korvo::sim {

std::optional<FaultRule> FaultTable::take(int commandCode, bool replying) {
    for (auto it = rules_.begin(); it != rules_.end(); ++it) {
        if (it->commandCode != -1 && it->commandCode != commandCode) continue;
        if (!replying && it->fault != Fault::HangUp) continue;
        if (it->skip > 0) {
            --it->skip;
            return std::nullopt;
        }
        FaultRule used = *it;
        if (it->count > 0 && --it->count == 0) rules_.erase(it);
        return used;
    }
    return std::nullopt;
}

QByteArray spoilReply(const QByteArray& reply, ReplyShape shape, Fault fault, std::mt19937& rng) {
    std::uniform_int_distribution<int> byte(0, 255);
    switch (fault) {
        case Fault::NoReply:
            return {};
        case Fault::ShortReply: {
            const int n = shape == ReplyShape::Frame ? 35 : shape == ReplyShape::Block ? 100 : 60;
            return reply.left(n);
        }
        case Fault::LongReply: {
            const int n = shape == ReplyShape::Frame ? 40 : shape == ReplyShape::Block ? 130 : 80;
            QByteArray longer = reply;
            while (longer.size() < n) longer.append(static_cast<char>(byte(rng)));
            return longer;
        }
        case Fault::NoSync: {
            QByteArray out = reply;
            if (out.size() >= 4) {
                out[0] = 0x00;
                out[1] = 0x00;
                if (out[2] == 0x00 && static_cast<std::uint8_t>(out[3]) == 0xAA) out[3] = 0x00;
            }
            return out;
        }
        case Fault::Garbage: {
            QByteArray out(36, '\0');
            for (char& c : out) c = static_cast<char>(byte(rng));
            // Random bytes must not pass for a sync word by chance.
            if (out[0] == 0x00) out[0] = 0x5A;
            if (out[2] == 0x00) out[2] = 0x5A;
            return out;
        }
        case Fault::BadData: {
            QByteArray out = reply;
            if (shape == ReplyShape::Frame && out.size() >= 8)
                out[7] = static_cast<char>(out[7] ^ 0x01);
            return out;
        }
        case Fault::StrayFirst:
        case Fault::StrayAfter: {
            // Without 0xAA no stray byte can pass for the sync word, alone or with the reply.
            std::uniform_int_distribution<int> count(1, 3);
            QByteArray stray(count(rng), '\0');
            for (char& c : stray) c = static_cast<char>(byte(rng));
            stray.replace(static_cast<char>(0xAA), static_cast<char>(0xAB));
            return fault == Fault::StrayFirst ? stray + reply : reply + stray;
        }
        case Fault::CutOff:
            return reply.left(reply.size() / 2);
        case Fault::LateReply:
        case Fault::SplitReply:
        case Fault::HangUp:
            return reply;
    }
    return reply;
}

}  // namespace korvo::sim
