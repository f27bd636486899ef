#include "core/ini/FileWrite.h"

#include <QSaveFile>

namespace korvo {

FileWriteResult writeFileAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    // Never fall back to writing the target in place: that is exactly what could leave a
    // truncated file behind.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        return {false, QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString())};
    }
    // The bytes are buffered; a failure while they reach the disk shows only in flush(), and
    // commit() would otherwise rename a short temporary file over the target.
    if (file.write(bytes) != bytes.size() || !file.flush() ||
        file.error() != QFileDevice::NoError) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {false, QStringLiteral("Cannot write \"%1\": %2").arg(path, reason)};
    }
    if (!file.commit()) {
        return {false, QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString())};
    }
    return {true, QString()};
}

}  // namespace korvo
