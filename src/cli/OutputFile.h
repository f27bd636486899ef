#pragma once
// Whether korvo may write an output file (get -o, record -o) at a path: nothing there yet, or with
// --force a regular file. Anything else is refused before any sensor is touched: as root, a
// replaced /dev/null or FIFO would be a regular file from then on. A symbolic link is refused as
// well, even to a regular file: Qt's QSaveFile would replace the file it reaches (and create a
// missing one), the recorder would replace the link itself, and in a shared folder a planted link
// would steer the write anywhere.

#include <QString>

namespace korvo::cli {

// Empty when the file may be written; otherwise the path and why not.
QString outputFileRefusal(const QString& path, bool force);

}  // namespace korvo::cli
