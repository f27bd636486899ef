// The receive path of an RFC 2217 port: whatever bytes a server sends are taken in one pass
// without fault, give the same data and the same replies however the network splits them, and
// our replies are only option answers, never more bytes than came in. Read a second time as a
// script of data bytes and telnet commands of every kind, the input must give back exactly the
// data bytes: no byte of a command is ever taken for data.

#include <QByteArray>

#include "FuzzCheck.h"
#include "core/link/Rfc2217.h"

namespace {

using namespace korvo::rfc2217;

const std::uint8_t* bytesOf(const QByteArray& b) {
    return reinterpret_cast<const std::uint8_t*>(b.constData());
}

// The stream split after `cut` bytes (and the rest byte by byte when `bytewise`).
void feed(Client& client, const QByteArray& stream, std::size_t cut, bool bytewise,
          QByteArray& data, QByteArray& reply) {
    const int n = static_cast<int>(stream.size());
    const int first = static_cast<int>(std::min<std::size_t>(cut, static_cast<std::size_t>(n)));
    client.receive(bytesOf(stream), first, data, reply);
    if (!bytewise) {
        client.receive(bytesOf(stream) + first, n - first, data, reply);
        return;
    }
    for (int i = first; i < n; ++i) client.receive(bytesOf(stream) + i, 1, data, reply);
}

void checkReplies(const QByteArray& reply) {
    FUZZ_CHECK(reply.size() % 3 == 0);
    for (qsizetype i = 0; i < reply.size(); i += 3) {
        FUZZ_CHECK(static_cast<std::uint8_t>(reply[i]) == kIac);
        const auto verb = static_cast<std::uint8_t>(reply[i + 1]);
        FUZZ_CHECK(verb == kWill || verb == kWont || verb == kDo || verb == kDont);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input = korvo::fuzz::inputBytes(data, size);
    const std::size_t cut = size > 0 ? data[0] : 0;

    // As the server's bytes: one piece, or split and then byte by byte.
    QByteArray whole, wholeReply, split, splitReply;
    Client one, other;
    feed(one, input, size, false, whole, wholeReply);
    feed(other, input, cut, true, split, splitReply);
    FUZZ_CHECK(whole == split);
    FUZZ_CHECK(wholeReply == splitReply);
    FUZZ_CHECK(static_cast<std::size_t>(whole.size()) <= size);
    FUZZ_CHECK(static_cast<std::size_t>(wholeReply.size()) <= size);
    checkReplies(wholeReply);
    FUZZ_CHECK(one.refused() == other.refused() && one.answered() == other.answered());

    // As a script: each byte picks what comes next in the stream and the bytes after it fill it.
    QByteArray stream, expected;
    std::size_t i = 0;
    const auto next = [&] { return i < size ? data[i++] : std::uint8_t{0}; };
    while (i < size) {
        const std::uint8_t op = next();
        switch (op % 4) {
            case 0: {  // data bytes, 255 among them, escaped as we escape ours
                const std::uint8_t n = next() % 8;
                for (std::uint8_t k = 0; k < n; ++k) {
                    const std::uint8_t b = next();
                    expected.append(static_cast<char>(b));
                    stream += escape(&b, 1);
                }
                break;
            }
            case 1: {  // WILL, WONT, DO or DONT with any option
                const char c[] = {static_cast<char>(kIac), static_cast<char>(kWill + next() % 4),
                                  static_cast<char>(next())};
                stream.append(c, 3);
                break;
            }
            case 2: {  // a subnegotiation, short or past the bound, its bytes escaped
                std::uint8_t option = next();
                if (option == kIac) option = kComPortOption;
                const int n = (op / 4) % 2 ? next() : next() % 6;
                QByteArray value;
                for (int k = 0; k < n; ++k) value.append(static_cast<char>(next()));
                stream.append(static_cast<char>(kIac));
                stream.append(static_cast<char>(kSb));
                stream.append(static_cast<char>(option));
                stream += escape(bytesOf(value), static_cast<int>(value.size()));
                stream.append(static_cast<char>(kIac));
                stream.append(static_cast<char>(kSe));
                break;
            }
            default: {  // a one-byte command: SE, NOP, data mark, ..., go-ahead
                const char c[] = {static_cast<char>(kIac), static_cast<char>(kSe + next() % 10)};
                stream.append(c, 2);
                break;
            }
        }
    }
    QByteArray got, reply;
    Client scripted;
    feed(scripted, stream, cut, true, got, reply);
    FUZZ_CHECK(got == expected);
    checkReplies(reply);
    return 0;
}
