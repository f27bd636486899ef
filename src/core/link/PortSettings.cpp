#include "core/link/PortSettings.h"

namespace korvo {

QString rs232ErrorText(int code) {
    switch (code) {
        case kErrUnknownSystem:
            return QStringLiteral("Unknown system error");
        case kErrInvalidPort:
            return QStringLiteral("Invalid port number");
        case kErrPortNotOpen:
            return QStringLiteral("Port is not open");
        case kErrIo:
            return QStringLiteral("Unknown I/0 error");
        case kErrNoSerialPort:
            return QStringLiteral("No serial port found");
        case kErrCannotOpen:
            return QStringLiteral("Cannot open port");
        case kErrInvalidParameter:
            return QStringLiteral("Invalid parameter");
        case kErrTimeout:
            return QStringLiteral("Timeout");
        default:
            return QStringLiteral("RS-232 error!");
    }
}

int baudRateForIndex(int baudIndex) {
    switch (baudIndex) {
        case 0:
            return 9600;
        case 1:
            return 19200;
        case 2:
            return 38400;
        case 3:
            return 57600;
        case 4:
            return 115200;
        default:
            return 19200;
    }
}

int initQueueSizeForIndex(int baudIndex) {
    return baudIndex == 1 ? 1024 : kLargeQueue;
}

}  // namespace korvo
