#include "core/link/Rfc2217.h"

#include <utility>

namespace korvo::rfc2217 {

namespace {

bool isOptionVerb(std::uint8_t b) {
    return b == kWill || b == kWont || b == kDo || b == kDont;
}

// Options we take on either side: binary transmission (every byte is data) and suppressed
// go-ahead (a full-duplex line). COM-PORT-OPTION is ours to perform only; echo and every other
// option are declined.
bool weTake(std::uint8_t option, bool ours) {
    return option == kBinary || option == kSuppressGoAhead || (ours && option == kComPortOption);
}

QByteArray optionReply(std::uint8_t verb, std::uint8_t option) {
    const char bytes[] = {static_cast<char>(kIac), static_cast<char>(verb),
                          static_cast<char>(option)};
    return QByteArray(bytes, 3);
}

}  // namespace

QByteArray escape(const std::uint8_t* data, int count) {
    QByteArray out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        out.append(static_cast<char>(data[i]));
        if (data[i] == kIac) out.append(static_cast<char>(kIac));
    }
    return out;
}

QByteArray comPortCommand(std::uint8_t command, const QByteArray& value) {
    QByteArray out;
    out.append(static_cast<char>(kIac));
    out.append(static_cast<char>(kSb));
    out.append(static_cast<char>(kComPortOption));
    out.append(static_cast<char>(command));
    out.append(escape(reinterpret_cast<const std::uint8_t*>(value.constData()),
                      static_cast<int>(value.size())));
    out.append(static_cast<char>(kIac));
    out.append(static_cast<char>(kSe));
    return out;
}

void Decoder::feed(const std::uint8_t* in, int count, QByteArray& data,
                   std::vector<TelnetCommand>& commands) {
    for (int i = 0; i < count; ++i) {
        const std::uint8_t b = in[i];
        switch (state_) {
            case State::Data:
                if (b == kIac) {
                    state_ = State::Iac;
                } else {
                    data.append(static_cast<char>(b));
                }
                break;
            case State::Iac:
                if (b == kIac) {
                    data.append(static_cast<char>(kIac));
                    state_ = State::Data;
                } else if (isOptionVerb(b)) {
                    verb_ = b;
                    state_ = State::Option;
                } else if (b == kSb) {
                    state_ = State::SbOption;
                } else {
                    // NOP, go-ahead, data mark, a stray SE and the other one-byte commands
                    // carry nothing for a serial line.
                    state_ = State::Data;
                }
                break;
            case State::Option:
                commands.push_back({verb_, b, {}});
                state_ = State::Data;
                break;
            case State::SbOption:
                sbOption_ = b;
                sb_.clear();
                sbTooLong_ = false;
                state_ = b == kIac ? State::SbIac : State::Sb;
                break;
            case State::Sb:
                if (b == kIac) {
                    state_ = State::SbIac;
                } else if (sb_.size() < kMaxSubnegotiation) {
                    sb_.append(static_cast<char>(b));
                } else {
                    sbTooLong_ = true;
                }
                break;
            case State::SbIac:
                if (b == kIac) {
                    // An escaped 255 inside the subnegotiation.
                    if (sb_.size() < kMaxSubnegotiation) {
                        sb_.append(static_cast<char>(kIac));
                    } else {
                        sbTooLong_ = true;
                    }
                    state_ = State::Sb;
                } else if (b == kSe) {
                    if (!sbTooLong_) commands.push_back({kSb, sbOption_, sb_});
                    sb_.clear();
                    state_ = State::Data;
                } else {
                    // IAC and a command other than SE ends a subnegotiation that was never closed:
                    // it is dropped, and the command is read as it stands.
                    sb_.clear();
                    state_ = State::Iac;
                    --i;
                }
                break;
        }
    }
}

QByteArray Client::opening() {
    QByteArray out;
    for (const std::uint8_t option : {kBinary, kComPortOption}) {
        out += optionReply(kWill, option);
        ours_[option].asked = true;
    }
    out += optionReply(kDo, kBinary);
    theirs_[kBinary].asked = true;
    return out;
}

QByteArray Client::settings(std::uint32_t baudRate) {
    baudRate_ = baudRate;
    baudAnswer_.reset();
    answers_.fill(std::nullopt);
    const char baud[] = {static_cast<char>(baudRate >> 24), static_cast<char>(baudRate >> 16),
                         static_cast<char>(baudRate >> 8), static_cast<char>(baudRate)};
    QByteArray out = comPortCommand(kSetBaudRate, QByteArray(baud, 4));
    out += comPortCommand(kSetDataSize, QByteArray(1, 8));
    out += comPortCommand(kSetParity, QByteArray(1, static_cast<char>(kParityNone)));
    out += comPortCommand(kSetStopSize, QByteArray(1, static_cast<char>(kStopSizeOne)));
    out += comPortCommand(kSetControl, QByteArray(1, static_cast<char>(kControlNone)));
    return out;
}

QByteArray Client::purge(std::uint8_t which) {
    return comPortCommand(kPurgeData, QByteArray(1, static_cast<char>(which)));
}

void Client::receive(const std::uint8_t* in, int count, QByteArray& data, QByteArray& reply) {
    std::vector<TelnetCommand> commands;
    decoder_.feed(in, count, data, commands);
    for (const TelnetCommand& c : commands) onCommand(c, reply);
}

void Client::onCommand(const TelnetCommand& c, QByteArray& reply) {
    heardTelnet_ = true;
    if (c.verb == kSb) {
        if (c.option == kComPortOption) onComPortAnswer(c.value);
        return;
    }
    // Each side of an option is answered once per change of its state, and a request of ours
    // that is answered needs no further word: replies never outnumber the commands received.
    const bool ours = c.verb == kDo || c.verb == kDont;
    const bool enable = c.verb == kDo || c.verb == kWill;
    Side& side = ours ? ours_[c.option] : theirs_[c.option];
    const std::uint8_t yes = ours ? kWill : kDo;
    const std::uint8_t no = ours ? kWont : kDont;
    const bool wasAsked = std::exchange(side.asked, false);
    if (ours && c.option == kComPortOption && !enable) refused_ = true;
    if (enable) {
        if (side.on) return;
        if (weTake(c.option, ours)) {
            side.on = true;
            if (!wasAsked) reply += optionReply(yes, c.option);
        } else {
            reply += optionReply(no, c.option);
        }
    } else if (side.on) {
        side.on = false;
        reply += optionReply(no, c.option);
    }
}

void Client::onComPortAnswer(const QByteArray& value) {
    if (value.isEmpty()) return;
    const auto code = static_cast<std::uint8_t>(value.at(0));
    const auto byte = [&](int i) { return static_cast<std::uint8_t>(value.at(i)); };
    if (code == kServerCode + kSetBaudRate) {
        if (value.size() != 5) return;
        baudAnswer_ = (static_cast<std::uint32_t>(byte(1)) << 24) |
                      (static_cast<std::uint32_t>(byte(2)) << 16) |
                      (static_cast<std::uint32_t>(byte(3)) << 8) | byte(4);
    } else if (code >= kServerCode + kSetDataSize && code <= kServerCode + kSetControl) {
        if (value.size() != 2) return;
        answers_[code - kServerCode - kSetDataSize] = byte(1);
    }
    // Line and modem state notifications, purge confirmations and signatures carry nothing the
    // link needs.
}

bool Client::answered() const {
    if (!baudAnswer_) return false;
    for (const auto& a : answers_)
        if (!a) return false;
    return true;
}

QString Client::problem() const {
    if (refused_)
        return QStringLiteral("the server refuses the COM-PORT-OPTION: not an RFC 2217 server");
    if (baudAnswer_ && *baudAnswer_ != baudRate_)
        return QStringLiteral("the server did not confirm %1 baud (it answered %2 baud)")
            .arg(baudRate_)
            .arg(*baudAnswer_);
    const struct {
        std::uint8_t wanted;
        const char* what;
    } settings[] = {{8, "data size"},
                    {kParityNone, "parity"},
                    {kStopSizeOne, "stop size"},
                    {kControlNone, "flow control"}};
    for (std::size_t i = 0; i < answers_.size(); ++i) {
        if (answers_[i] && *answers_[i] != settings[i].wanted)
            return QStringLiteral("the server did not confirm %1 %2 (it answered %3)")
                .arg(QLatin1String(settings[i].what))
                .arg(settings[i].wanted)
                .arg(*answers_[i]);
    }
    return {};
}

}  // namespace korvo::rfc2217
