#include "core/files/FileLocations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace korvo {

namespace {

bool holdsLayouts(const QString& dir) {
    return QFileInfo(QDir(dir).filePath(QLatin1String(kLayoutMarkerFile))).isFile();
}

QString configHome(const LocationFacts& f) {
    // An empty or relative value counts as unset, as the base directory rules say.
    if (!f.xdgConfigHome.isEmpty() && QDir::isAbsolutePath(f.xdgConfigHome))
        return QDir::cleanPath(f.xdgConfigHome);
    return QDir::cleanPath(f.home + QStringLiteral("/.config"));
}

}  // namespace

FileLocations FileLocations::programFolder(const QString& dir) {
    const QString d = QDir::cleanPath(QDir(dir).absolutePath());
    return {d, d, d, true};
}

QString FileLocations::dataFile(const QString& name) const {
    return QDir::cleanPath(QDir(dataDir).absoluteFilePath(name));
}

QString FileLocations::settingsFile(const QString& name) const {
    return QDir::cleanPath(QDir(settingsDir).absoluteFilePath(name));
}

QString installedDataDir(const QString& programDir) {
    return QDir::cleanPath(programDir + QStringLiteral("/../share/") +
                           QLatin1String(kInstallFolderName));
}

FileLocations chooseFileLocations(const LocationFacts& facts) {
    FileLocations where;
    const QString program = QDir::cleanPath(facts.programDir);
    where.dataDir = facts.programDirHasLayouts || !facts.installedDataHasLayouts
                        ? program
                        : installedDataDir(program);
    where.inProgramDir = facts.programDirHasLayouts && facts.programDirWritable;
    if (where.inProgramDir) {
        where.settingsDir = program;
        where.dialogDir = program;
    } else {
        where.settingsDir =
            configHome(facts) + QLatin1Char('/') + QLatin1String(kInstallFolderName);
        where.dialogDir = QDir::cleanPath(facts.home);
    }
    return where;
}

LocationFacts gatherLocationFacts(const QString& programDir) {
    LocationFacts f;
    f.programDir = QDir::cleanPath(QDir(programDir).absolutePath());
    f.programDirHasLayouts = holdsLayouts(f.programDir);
    f.programDirWritable = QFileInfo(f.programDir).isWritable();
    f.installedDataHasLayouts = holdsLayouts(installedDataDir(f.programDir));
    f.xdgConfigHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    f.home = QDir::homePath();
    return f;
}

FileLocations currentFileLocations() {
    return chooseFileLocations(gatherLocationFacts(QCoreApplication::applicationDirPath()));
}

bool makeSettingsDir(const FileLocations& where, QString* error) {
    if (QFileInfo(where.settingsDir).isDir()) return true;
    if (QDir().mkpath(where.settingsDir)) {
        // Settings of one user: like the rest of the configuration home, not for others to read.
        if (!where.inProgramDir)
            QFile::setPermissions(where.settingsDir, QFileDevice::ReadOwner |
                                                         QFileDevice::WriteOwner |
                                                         QFileDevice::ExeOwner);
        return true;
    }
    if (error) *error = QStringLiteral("%1: folder could not be created").arg(where.settingsDir);
    return false;
}

}  // namespace korvo
