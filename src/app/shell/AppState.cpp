#include "app/shell/AppState.h"

#include <QDir>

namespace korvo {

QString AppState::programFile(const QString& name) const {
    return QDir::cleanPath(QDir(programDir).absoluteFilePath(name));
}

}  // namespace korvo
