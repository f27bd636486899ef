#pragma once
// Shared by the fuzz targets: the input as bytes or as a settings file, and checks of what must
// hold for any input. A failed check aborts, which the fuzzer reports as a crash and keeps the
// input that caused it.

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/ini/IniFile.h"

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

namespace korvo::fuzz {

// The fuzzer's buffer itself, not a copy: a read one byte past the input is caught there.
inline QByteArray inputBytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                   static_cast<qsizetype>(size));
}

inline IniFile iniFrom(const QByteArray& bytes) {
    IniFile ini;
    ini.fromBytes(bytes);
    return ini;
}

inline IniFile iniFrom(const std::uint8_t* data, std::size_t size) {
    return iniFrom(inputBytes(data, size));
}

}  // namespace korvo::fuzz
