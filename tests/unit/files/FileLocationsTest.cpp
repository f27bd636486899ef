// Where the programs read their layouts and keep their settings: the rule on facts, then the
// facts as gathered from real folders.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/files/FileLocations.h"

namespace korvo {
namespace {

TEST(FileLocations, RuleTable) {
    // Program in /opt/k/bin, home /home/op.
    const struct {
        bool hasLayouts, writable, shareHasLayouts;
        const char* xdg;
        const char *data, *settings, *dialogs;
    } rows[] = {
        // A build or copied folder keeps everything together.
        {true, true, false, "/x", "/opt/k/bin", "/opt/k/bin", "/opt/k/bin"},
        {true, true, true, "", "/opt/k/bin", "/opt/k/bin", "/opt/k/bin"},
        // The same folder read-only: settings in the configuration home, dialogs in the home.
        {true, false, false, "/x/cfg/", "/opt/k/bin", "/x/cfg/korvo-km-scope", "/home/op"},
        {true, false, false, "", "/opt/k/bin", "/home/op/.config/korvo-km-scope", "/home/op"},
        {true, false, false, "rel/cfg", "/opt/k/bin", "/home/op/.config/korvo-km-scope",
         "/home/op"},
        // Installed: layouts from share, settings never beside the executable, even writable.
        {false, true, true, "/x", "/opt/k/share/korvo-km-scope", "/x/korvo-km-scope", "/home/op"},
        {false, false, true, "", "/opt/k/share/korvo-km-scope", "/home/op/.config/korvo-km-scope",
         "/home/op"},
        // Layouts nowhere: start-up names the program folder in its error.
        {false, false, false, "", "/opt/k/bin", "/home/op/.config/korvo-km-scope", "/home/op"},
    };
    for (const auto& r : rows) {
        const FileLocations where = chooseFileLocations(
            {QStringLiteral("/opt/k/bin/"), r.hasLayouts, r.writable, r.shareHasLayouts,
             QString::fromLatin1(r.xdg), QStringLiteral("/home/op")});
        SCOPED_TRACE(testing::Message()
                     << r.hasLayouts << r.writable << r.shareHasLayouts << " " << r.xdg);
        EXPECT_EQ(where.dataDir, QLatin1String(r.data));
        EXPECT_EQ(where.settingsDir, QLatin1String(r.settings));
        EXPECT_EQ(where.dialogDir, QLatin1String(r.dialogs));
        EXPECT_EQ(where.inProgramDir, r.hasLayouts && r.writable);
    }
}

class FileLocationsOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        oldXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", root.filePath("cfg").toLocal8Bit());
    }
    void TearDown() override {
        if (oldXdg.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", oldXdg);
    }
    QString folderWithLayouts(const QString& rel) {
        const QString dir = root.filePath(rel);
        QDir().mkpath(dir);
        QFile marker(dir + QLatin1Char('/') + QLatin1String(kLayoutMarkerFile));
        EXPECT_TRUE(marker.open(QIODevice::WriteOnly));
        return dir;
    }
    QTemporaryDir root;
    QByteArray oldXdg;
};

TEST_F(FileLocationsOnDisk, AProgramFolderKeepsItsFilesAnInstalledProgramUsesShareAndConfigHome) {
    const QString bin = folderWithLayouts(QStringLiteral("build/bin"));
    const LocationFacts facts = gatherLocationFacts(bin);
    EXPECT_TRUE(facts.programDirHasLayouts);
    EXPECT_TRUE(facts.programDirWritable);
    EXPECT_EQ(facts.xdgConfigHome, root.filePath("cfg"));
    const FileLocations where = chooseFileLocations(facts);
    EXPECT_EQ(where.settingsFile(QStringLiteral("MPLEX16.ini")),
              bin + QStringLiteral("/MPLEX16.ini"));
    EXPECT_TRUE(makeSettingsDir(where));

    // An installed program reads share and writes the configuration home.
    folderWithLayouts(QStringLiteral("usr/share/korvo-km-scope"));
    const QString installed = root.filePath("usr/bin");
    QDir().mkpath(installed);
    const FileLocations fromShare = chooseFileLocations(gatherLocationFacts(installed));
    EXPECT_EQ(fromShare.dataDir, root.filePath("usr/share/korvo-km-scope"));
    EXPECT_EQ(fromShare.settingsDir, root.filePath("cfg/korvo-km-scope"));
    EXPECT_EQ(fromShare.dialogDir, QDir::homePath());
    // Created on first use, for this user only.
    ASSERT_TRUE(makeSettingsDir(fromShare));
    EXPECT_TRUE(QFileInfo(fromShare.settingsDir).isDir());
    EXPECT_EQ(QFileInfo(fromShare.settingsDir).permissions() & 0x0077, 0);
}

TEST_F(FileLocationsOnDisk, ReadOnlyProgramFolderWritesConfigHome) {
    // root writes into a folder without write permission: the folder cannot be made read-only
    // here. The rule for it is in RuleTable.
    if (::geteuid() == 0) GTEST_SKIP() << "root may write into any folder";
    const QString bin = folderWithLayouts(QStringLiteral("copy"));
    QFile::setPermissions(bin, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const FileLocations where = chooseFileLocations(gatherLocationFacts(bin));
    QFile::setPermissions(bin,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(where.dataDir, bin);
    EXPECT_EQ(where.settingsDir, root.filePath("cfg/korvo-km-scope"));
}

}  // namespace
}  // namespace korvo
