// The RFC 2217 client's side in bytes: what it sends, how it answers a server's options, and its
// verdict on the server's answers to the settings. The receive path's robustness is the fuzz
// target's; the whole against a real server is the device server test.

#include <gtest/gtest.h>

#include <tuple>

#include "core/link/NetPort.h"
#include "core/link/Rfc2217.h"

namespace korvo::rfc2217 {
namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

struct Heard {
    QByteArray data, reply;
};

Heard hear(Client& c, const QByteArray& bytes) {
    Heard h;
    c.receive(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
              static_cast<int>(bytes.size()), h.data, h.reply);
    return h;
}

TEST(Rfc2217, SendsTheSettingsEscapedAndJudgesTheServersAnswers) {
    Client c;
    EXPECT_EQ(c.opening(), hex("fffb00 fffb2c fffd00"));
    EXPECT_EQ(c.settings(115200), hex("fffa2c010001c200fff0 fffa2c0208fff0 fffa2c0301fff0 "
                                      "fffa2c0401fff0 fffa2c0501fff0"));
    const std::uint8_t data[] = {0x00, 0xFF, 0x12};
    EXPECT_EQ(escape(data, 3), hex("00ffff12"));
    EXPECT_EQ(Client::purge(kPurgeBoth), hex("fffa2c0c03fff0"));

    // The options ser2net offers: ours asked for already need no word, SUPPRESS-GO-AHEAD is
    // taken, ECHO declined both ways; data around the commands, a 255 among it, passes.
    const Heard h = hear(c, hex("fffb03fffd03fffb01fffd01fffd00fffb00fffd2c 41ffff42 "
                                "fffa2c6b00fff0"));
    EXPECT_EQ(h.reply, hex("fffd03 fffb03 fffe01 fffc01"));
    EXPECT_EQ(h.data, hex("41ff42"));
    EXPECT_TRUE(c.problem().isEmpty());
    EXPECT_FALSE(c.answered());

    const struct {
        const char* answers;
        bool answered;
        const char* problem;
    } cases[] = {
        {"fffa2c650001c200fff0 fffa2c6608fff0 fffa2c6701fff0 fffa2c6801fff0 fffa2c6901fff0", true,
         ""},
        {"fffa2c6500002580fff0", false,
         "the server did not confirm 115200 baud (it answered 9600 baud)"},
        {"fffa2c650001c200fff0 fffa2c6607fff0", false,
         "the server did not confirm data size 8 (it answered 7)"},
        {"fffe2c", false, "the server refuses the COM-PORT-OPTION: not an RFC 2217 server"},
    };
    for (const auto& k : cases) {
        Client client;
        client.opening();
        client.settings(115200);
        const Heard answer = hear(client, hex(k.answers));
        EXPECT_TRUE(answer.data.isEmpty()) << k.answers;
        EXPECT_EQ(client.answered(), k.answered) << k.answers;
        EXPECT_EQ(client.problem(), QLatin1String(k.problem)) << k.answers;
        // Settings sent again, for a baud change, want every answer again.
        client.settings(9600);
        hear(client, hex("fffa2c6500002580fff0"));
        EXPECT_FALSE(client.answered()) << k.answers;
    }
    // A subnegotiation beyond 64 bytes, an escaped 255 counting one, is dropped as never heard.
    for (const auto& [plain, escaped, heard] :
         {std::tuple{63, "ffff", true}, {64, "ffff", false}, {64, "", true}, {65, "", false}}) {
        Client quiet;
        hear(quiet, hex("fffa2c") + QByteArray(plain, 'a') + hex(escaped) + hex("fff0"));
        EXPECT_EQ(quiet.heardTelnet(), heard) << plain << escaped;
    }
}

// A refusing server's words as the open failure's reason shows them.
TEST(Rfc2217, ServerTextIsOneLineOfPrintableAsciiCutAt120) {
    EXPECT_EQ(serverText("\r\nPort already in use\r\n\r\n"), "Port already in use");
    EXPECT_EQ(serverText(" ~a\r\nb\r\n"), "~a b");
    EXPECT_EQ(serverText(QByteArray(120, 'x') + '\x01'), QString(120, QLatin1Char('x')));
    for (const char* bad : {"busy\x7f", "busy\x1f", "b\xc3\xa4"}) EXPECT_EQ(serverText(bad), "");
}

}  // namespace
}  // namespace korvo::rfc2217
