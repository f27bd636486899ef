#pragma once
// Replacing a file as a whole: the bytes go to a temporary file beside the target, which is then
// renamed over it. A failure at any point (no write permission, full disk, crash) leaves the old
// file as it was and never a truncated one, and the caller learns what went wrong so that the
// operator can be told.

#include <QByteArray>
#include <QString>

namespace korvo {

struct FileWriteResult {
    bool ok = false;
    QString message;  // empty on success; otherwise the path and the operating system's reason
};

FileWriteResult writeFileAtomically(const QString& path, const QByteArray& bytes);

}  // namespace korvo
