#pragma once
// What a port map line names: a local serial device by its path, or a sensor behind a serial
// device server in the cabinet, reached over the network: `tcp://HOST:PORT` for a server that
// passes bytes only, `rfc2217://HOST:PORT` for one that speaks the telnet COM-PORT-OPTION and so
// takes the baud rate from us. HOST is a name, an IPv4 address or an IPv6 address in brackets
// (`rfc2217://[fd00::12]:4001`). Anything else written as `scheme://...` is refused with the
// reason, so that a typing error never falls back to a local device.

#include <QString>
#include <cstdint>

namespace korvo {

struct PortAddress {
    enum class Kind { Device, Tcp, Rfc2217 };
    Kind kind = Kind::Device;
    QString device;  // the path itself for a local device
    QString host;    // without brackets
    std::uint16_t port = 0;
    QString error;  // why the text is no address; empty when it is one

    bool isNetwork() const { return kind != Kind::Device; }
    bool ok() const { return error.isEmpty(); }
    bool operator==(const PortAddress&) const = default;
};

// Reads a device string of the port map (already trimmed). A text without "://" is a local path.
PortAddress parsePortAddress(const QString& text);

// The address as a port map line writes it ("tcp://[fd00::12]:4002"); the path for a device.
QString portAddressText(const PortAddress& address);

// For a port that passes bytes only, what a baud change there does not do, for the user to read
// beside its outcome: the rate never reaches the device server. Empty for the other kinds.
QString baudChangeNotice(const PortAddress& address);

}  // namespace korvo
