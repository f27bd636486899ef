#pragma once
// The serial settings the sensors use: the baud-rate table (8 data bits, no parity, 1 stop bit,
// no handshake), the queue sizes, and the error codes of port operations with their fixed texts.

#include <QString>

namespace korvo {

// Error codes of port operations. Texts are fixed; see rs232ErrorText.
inline constexpr int kErrUnknownSystem = -1;
inline constexpr int kErrInvalidPort = -2;
inline constexpr int kErrPortNotOpen = -3;
inline constexpr int kErrIo = -4;
inline constexpr int kErrNoSerialPort = -6;
inline constexpr int kErrCannotOpen = -7;
inline constexpr int kErrInvalidParameter = -13;
inline constexpr int kErrTimeout = -99;
// Not a serial-library code: a request refused because another exchange waits on the port.
inline constexpr int kErrPortBusy = -100;

// "Unknown system error", "Invalid port number", ... ; "RS-232 error!" for any other code.
QString rs232ErrorText(int code);

inline constexpr int kBaudIndexCount = 5;
inline constexpr int kLargeQueue = 4096;

// Index 0..4 = 9600, 19200, 38400, 57600, 115200; any other index 19200.
int baudRateForIndex(int baudIndex);
// Queue size the scope window opens a port with: 1024 for index 1, 4096 otherwise. The
// multiplexer and the reopening after a baud-rate change always use kLargeQueue.
int initQueueSizeForIndex(int baudIndex);

}  // namespace korvo
