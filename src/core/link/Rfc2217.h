#pragma once
// The client's side of a telnet connection with the COM-PORT-OPTION (RFC 2217), as serial device
// servers speak it, in bytes only: what we send on opening and to purge, data bytes escaped for the
// wire, and the receive path that takes the server's bytes apart into data and telnet commands.
// Nothing here touches a socket, so a test or a fuzzer can feed it any bytes.
//
// Bytes from the network are untrusted. The receive path is a state machine over single bytes:
// any input is consumed in one pass, a subnegotiation keeps at most kMaxSubnegotiation bytes, and
// a reply is only ever written in answer to a command received, so no input makes it loop, grow
// without bound or pass a byte of a telnet command on as data.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace korvo::rfc2217 {

inline constexpr std::uint8_t kIac = 255;
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kSb = 250;
inline constexpr std::uint8_t kSe = 240;

inline constexpr std::uint8_t kBinary = 0;
inline constexpr std::uint8_t kSuppressGoAhead = 3;
inline constexpr std::uint8_t kComPortOption = 44;

// COM-PORT-OPTION commands from client to server; the server's answer carries the code + 100.
inline constexpr std::uint8_t kSetBaudRate = 1;
inline constexpr std::uint8_t kSetDataSize = 2;
inline constexpr std::uint8_t kSetParity = 3;
inline constexpr std::uint8_t kSetStopSize = 4;
inline constexpr std::uint8_t kSetControl = 5;
inline constexpr std::uint8_t kPurgeData = 12;
inline constexpr std::uint8_t kServerCode = 100;
// Values of the settings the sensors use: 8 data bits, parity NONE, 1 stop bit, no flow control.
inline constexpr std::uint8_t kParityNone = 1;
inline constexpr std::uint8_t kStopSizeOne = 1;
inline constexpr std::uint8_t kControlNone = 1;
// PURGE-DATA: the server's buffer of bytes received from the device (ours to read), of bytes to
// transmit to it, or both.
inline constexpr std::uint8_t kPurgeReceived = 1;
inline constexpr std::uint8_t kPurgeToTransmit = 2;
inline constexpr std::uint8_t kPurgeBoth = 3;

// A COM-PORT-OPTION subnegotiation is a command byte and at most four value bytes; anything much
// longer is no command of it and is dropped whole.
inline constexpr int kMaxSubnegotiation = 64;

// Data bytes for the wire: each 255 doubled.
QByteArray escape(const std::uint8_t* data, int count);
// IAC SB COM-PORT-OPTION command value IAC SE, the value escaped.
QByteArray comPortCommand(std::uint8_t command, const QByteArray& value);

// A telnet command the server sent: WILL, WONT, DO or DONT with its option, or SB with the
// option and the subnegotiation's bytes after it.
struct TelnetCommand {
    std::uint8_t verb = 0;
    std::uint8_t option = 0;
    QByteArray value;
    bool operator==(const TelnetCommand&) const = default;
};

// The receive state machine. Bytes may come split anywhere: the state carries over.
class Decoder {
public:
    // Appends the data bytes of `in` to data and the telnet commands completed in it to commands.
    void feed(const std::uint8_t* in, int count, QByteArray& data,
              std::vector<TelnetCommand>& commands);

private:
    enum class State { Data, Iac, Option, SbOption, Sb, SbIac };
    State state_ = State::Data;
    std::uint8_t verb_ = 0;
    std::uint8_t sbOption_ = 0;
    QByteArray sb_;
    bool sbTooLong_ = false;
};

// One connection's client: the option negotiation and the server's answers to the settings.
class Client {
public:
    // What we send once connected: WILL and DO BINARY, WILL COM-PORT-OPTION.
    QByteArray opening();
    // The settings, then and at every change of the rate: the baud rate, 8 data bits, no parity,
    // 1 stop bit and no flow control. The answers to earlier settings are forgotten.
    QByteArray settings(std::uint32_t baudRate);
    // Takes bytes from the server: data is appended to data, what we must answer to reply.
    void receive(const std::uint8_t* in, int count, QByteArray& data, QByteArray& reply);
    // PURGE-DATA for the given buffer(s) of the server.
    static QByteArray purge(std::uint8_t which);

    // The server said DONT COM-PORT-OPTION: it will not let us set the serial port.
    bool refused() const { return refused_; }
    // Any telnet command came from the server at all.
    bool heardTelnet() const { return heardTelnet_; }
    // Every one of the five settings has been answered.
    bool answered() const;
    // Why the serial port is not set as asked, judged on the answers so far: the refusal, or the
    // first setting the server answered with another value. Empty when none is wrong (yet).
    QString problem() const;
    std::optional<std::uint32_t> baudRateAnswer() const { return baudAnswer_; }

private:
    void onCommand(const TelnetCommand& c, QByteArray& reply);
    void onComPortAnswer(const QByteArray& value);

    // One side of an option: on, and whether our request for it still waits for the answer.
    struct Side {
        bool on = false;
        bool asked = false;
    };
    Decoder decoder_;
    std::uint32_t baudRate_ = 0;
    std::array<Side, 256> ours_{};    // options we perform (WILL)
    std::array<Side, 256> theirs_{};  // options the server performs (DO)
    bool refused_ = false;
    bool heardTelnet_ = false;
    std::optional<std::uint32_t> baudAnswer_;
    // Answers to SET-DATASIZE, SET-PARITY, SET-STOPSIZE, SET-CONTROL.
    std::array<std::optional<std::uint8_t>, 4> answers_{};
};

}  // namespace korvo::rfc2217
