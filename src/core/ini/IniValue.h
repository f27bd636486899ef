#pragma once
// Integer values of the INI text format: signed 32-bit decimal. Unsigned 32-bit fields travel as
// the signed number with the same bit pattern (3000000000 is written as -1294967296).

#include <QByteArrayView>
#include <cstdint>
#include <optional>

namespace korvo {

constexpr std::int32_t toInt32Pattern(std::uint32_t value) {
    return static_cast<std::int32_t>(value);  // two's complement, same 32 bits
}

constexpr std::uint32_t fromInt32Pattern(std::int32_t value) {
    return static_cast<std::uint32_t>(value);
}

// An optional sign and decimal digits, optionally surrounded by white space, within the signed
// 32-bit range. Anything else (empty, only white space, other characters, out of range) gives
// nothing.
std::optional<std::int32_t> parseIniInt(QByteArrayView text);

}  // namespace korvo
