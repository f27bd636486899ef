#pragma once
// Reading a whole text file that the operator or the program wrote: the settings files, the port
// map, the linearisation table. Only a regular file is read, and only up to a size limit: a FIFO
// under one of these names would block the program for good, a link to /dev/zero or a huge file
// would exhaust its memory, and opening a serial device has side effects of its own. Anything
// else is refused with a reason the operator can act on.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>

namespace korvo {

// The limit of the settings files and the linearisation table: far beyond anything the program
// writes, small enough to read at once.
inline constexpr qsizetype kMaxTextFileBytes = 8 * 1024 * 1024;

struct FileReadResult {
    bool ok = false;
    bool missing = false;  // nothing at the path: for some files a normal case, not a fault
    QByteArray bytes;      // the whole file when ok
    QString reason;        // when !ok: why the file was not read, without its path
};

// Reads the file at path if it is a regular file (a link to one is followed) of at most maxBytes.
// Devices, FIFOs, sockets and folders are never opened.
FileReadResult readRegularFile(const QString& path, qsizetype maxBytes);

// Reads a pipe or terminal (standard input) to its end, up to maxBytes, waiting for its writer as
// long as it takes; a signal ends the wait when stopped() then says so ("interrupted").
FileReadResult readToEnd(int fd, qsizetype maxBytes, const std::function<bool()>& stopped);

// The bytes without a leading UTF-8 byte-order mark, which Windows editors put at the start of a
// text file they save.
QByteArrayView withoutUtf8Bom(QByteArrayView bytes);

}  // namespace korvo
