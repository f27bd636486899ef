#pragma once
// The shared state of the sensor link: request and reply buffers, the data-word buffer and the
// flags through which exchanges, loops and the receive callback talk to each other. Each sensor
// object (PortSensor) holds one; an exchange copies the answer it takes from its port's frames
// into it.

#include <QString>
#include <array>
#include <cstdint>
#include <map>

namespace korvo {

inline constexpr int kLinkBufferSize = 4096;
inline constexpr int kFrameBytes = 36;
inline constexpr int kStatusTextMax = 72;
inline constexpr int kMplexStatusTextMax = 35;

// Reply kinds set by the receive callback.
inline constexpr int kReplyNone = 0;
inline constexpr int kReplyEcho = 1;
inline constexpr int kReplyRawData = 8;
inline constexpr int kReplyRecord = 18;

// Stop-flag values.
inline constexpr int kStopRunning = 0;
inline constexpr int kStopByUser = 1;
inline constexpr int kStopRecordDone = 2;
inline constexpr int kStopRecordTimeout = 3;
inline constexpr int kStopRunTimeout = -1;

struct LinkState {
    std::array<std::uint8_t, kLinkBufferSize> txBuf{};
    std::array<std::uint8_t, kLinkBufferSize> rxBuf{};
    std::array<std::uint16_t, 16> dataWords{};

    std::uint16_t startWord = 0x0055;
    std::uint16_t commandCode = 1;
    std::uint16_t argumentWord = 0;

    int replyKind = kReplyNone;
    int receiveFlag = 0;
    int stopFlag = kStopByUser;

    std::uint16_t portNumber = 1;         // COM port number in use by the scope window
    std::uint16_t baudIndex = 1;          // index into the baud-rate table
    std::uint16_t blockReadSelector = 0;  // 0 video array, else threshold array

    QString statusText;       // outcome of the last operation, at most 72 characters
    QString mplexStatusText;  // the multiplexer's own status text, at most 35 characters
    QString firmwareText;     // the connected sensor's firmware text, at most 72 characters
    std::uint16_t serialNumber = 0;
    // Per COM port, the serial number its last good line check read (the audit log names the
    // sensor a write went to by it).
    std::map<int, std::uint16_t> lineSerials;

    void setStatus(const QString& text) { statusText = text.left(kStatusTextMax); }
    void setMplexStatus(const QString& text) { mplexStatusText = text.left(kMplexStatusTextMax); }
};

}  // namespace korvo
