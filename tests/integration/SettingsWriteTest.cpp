// Settings writers killed half-way. The test drives the program's three settings writers, not
// the file writer they share, so a writer that stops using it is caught too.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <random>

#include "core/link/Pump.h"
#include "core/mplex/MplexIni.h"
#include "core/params/AppSettings.h"
#include "core/params/ParamFile.h"
#include "support/TestFiles.h"

namespace korvo::test {
namespace {

// Three settings writers replace their files over and over in a child process, which is killed
// at random moments: every file is then whole, the old version or the new one.
TEST(SettingsWrite, KilledHalfWayLeavesTheOldFileOrTheNewOne) {
    QTemporaryDir dir;
    const QString app = dir.filePath(QString::fromLatin1(kAppSettingsFileName));
    const QString mplex = dir.filePath(QStringLiteral("MPLEX16.ini"));
    const QString para = dir.filePath(QStringLiteral("KORVO-PARA.ini"));
    const auto writeVersion = [&](int v) {
        AppSettings a;
        a.comPort = 3 + v;
        ParamSet p;
        p.power = static_cast<std::uint16_t>(100 + v);
        MplexIniContent m;
        m.teachValue = static_cast<std::uint16_t>(200 + v);
        return WriteAppVarToIniFile(a, app).ok && writeMplexIniFile(m, mplex).ok &&
               SendParaToFileI(p, para).ok;
    };
    const QString paths[] = {app, mplex, para};
    QByteArray versions[3][2];
    for (int v : {1, 0}) {
        ASSERT_TRUE(writeVersion(v));
        for (int f = 0; f < 3; ++f) versions[f][v] = fileBytes(paths[f]);
    }

    QtPump pump;
    std::mt19937 rng(12);
    std::uniform_real_distribution<double> moment(0.0005, 0.02);
    int changed = 0;
    for (int round = 0; round < 25; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            for (int i = 1;; ++i)
                if (!writeVersion(i % 2)) ::_exit(1);
        }
        pump.delay(moment(rng));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed by itself";
        for (int f = 0; f < 3; ++f) {
            const QByteArray now = fileBytes(paths[f]);
            EXPECT_TRUE(now == versions[f][0] || now == versions[f][1])
                << paths[f].toStdString() << " has " << now.size() << " bytes";
            changed += now == versions[f][1];
        }
    }
    EXPECT_GT(changed, 0) << "the writer never got to write";
}

}  // namespace
}  // namespace korvo::test
