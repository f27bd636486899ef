#pragma once
// Where the programs (the window, korvo and korvo-sim) find the files they read and keep the ones
// they write. One rule for all three, so that the port map korvo-sim writes is the one the others
// read:
// - Layout files and bitmaps: the program's own folder when it holds them (a build folder or a
//   copy of it), else the installed share folder beside it, <prefix>/share/korvo-km-scope.
// - MPLEX16.ini, KORVO-KM-Scope.ini and COMPORTS.map: the program's own folder when it holds the
//   layout files and is writable (the folder is the program, copied where the operator likes);
//   otherwise $XDG_CONFIG_HOME/korvo-km-scope, by default ~/.config/korvo-km-scope. An installed
//   program thus never writes beside its executable, even when run as root.
// - The parameter, recorder and linearisation file dialogs start in the program's folder when
//   the settings are kept there, otherwise in the user's home.

#include <QString>

namespace korvo {

// The folder name under share/ and under the configuration home.
inline constexpr char kInstallFolderName[] = "korvo-km-scope";
// A folder holding this file holds the program's layout files and bitmaps.
inline constexpr char kLayoutMarkerFile[] = "KORVO-KM-MPLEX-ScopeV318.uir";

// What the rule looks at, gathered from the file system and the environment.
struct LocationFacts {
    QString programDir;  // the executable's folder, absolute
    bool programDirHasLayouts = false;
    bool programDirWritable = false;
    bool installedDataHasLayouts = false;  // <programDir>/../share/korvo-km-scope
    QString xdgConfigHome;                 // as set; empty or relative means unset
    QString home;
};

struct FileLocations {
    QString dataDir;            // layout files and bitmaps
    QString settingsDir;        // the files the programs write
    QString dialogDir;          // where the file dialogs start
    bool inProgramDir = false;  // settings kept beside the executable

    // Everything in one folder: a program folder, and the tests' own folders.
    static FileLocations programFolder(const QString& dir);

    QString dataFile(const QString& name) const;
    QString settingsFile(const QString& name) const;
};

// <programDir>/../share/korvo-km-scope, cleaned.
QString installedDataDir(const QString& programDir);

// The rule itself, on facts alone.
FileLocations chooseFileLocations(const LocationFacts& facts);

// The facts for a program in programDir, from the file system and the environment.
LocationFacts gatherLocationFacts(const QString& programDir);

// The locations of the running program (its executable's folder). Needs a QCoreApplication.
FileLocations currentFileLocations();

// Creates the settings folder if it is missing (the configuration home's on first use). False
// with the path and the reason when it cannot be created.
bool makeSettingsDir(const FileLocations& where, QString* error = nullptr);

}  // namespace korvo
