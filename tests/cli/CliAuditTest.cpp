// The audit log: every write korvo makes to a sensor is one row, with its outcome, whatever
// else writes at the same time; a log that cannot be written leaves the operation as it was.

#include <pwd.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QDir>
#include <QJsonArray>

#include "CliRig.h"
#include "support/TestFiles.h"

namespace korvo::test {
namespace {

std::vector<QJsonObject> logRows(CliRig& rig) {
    return rig.run({"log", "--json"}).objects(QStringLiteral("audit"));
}

TEST(CliAudit, EveryWriteIsOneRowAndConcurrentWritersLoseNone) {
    // Models with two outputs (hardware type 3), to which parameter files apply too.
    sim::SensorConfig zero = model(4, 20160), other = zero;
    zero.serial = 0;  // a serial number like any other
    other.serial = 4799;
    CliRig rig({zero, other});
    const QString got = rig.path(QStringLiteral("p.ini"));
    ASSERT_EQ(rig.run({"get", "2", "--from", "ram", "-o", got}).exit, 0);  // reads: no row
    ASSERT_EQ(rig.run({"send", "1", "--to", "ram", got}).exit, 0);
    rig.sensor(1).setFault(sim::Fault::NoReply, 6, 1);
    EXPECT_EQ(rig.run({"teach", "2"}).exit, 1);
    std::vector<QJsonObject> rows = logRows(rig);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(str(rows[0], "operation"), QStringLiteral("send ram"));
    EXPECT_EQ(str(rows[0], "outcome"), QStringLiteral("ok"));
    EXPECT_EQ(rows[0].value(QLatin1String("serial")), QJsonValue(0));
    EXPECT_EQ(str(rows[0], "user"), QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name));
    const QJsonArray changes = rows[0].value(QLatin1String("changes")).toArray();
    ASSERT_FALSE(changes.isEmpty());  // the sensors' factory sets differ by serial number
    EXPECT_NE(changes[0].toObject().value(QLatin1String("before")),
              changes[0].toObject().value(QLatin1String("after")));
    EXPECT_EQ(str(rows[1], "operation"), QStringLiteral("teach"));
    EXPECT_EQ(str(rows[1], "outcome"), QStringLiteral("failed"));
    EXPECT_FALSE(str(rows[1], "reason").isEmpty());
    EXPECT_EQ(rig.run({"log", "--port", "2"}).rows().size(), 1u);
    EXPECT_EQ(rig.run({"log", "--serial", "0"}).rows().size(), 1u);

    // Two processes at a time, one port each (a port serves one program), four times over.
    for (int round = 0; round < 4; ++round) {
        std::vector<std::unique_ptr<QProcess>> writers;
        for (const char* port : {"1", "2"}) writers.push_back(rig.start({"reset", port}));
        for (auto& w : writers) {
            ASSERT_TRUE(w->waitForFinished(20000));
            EXPECT_EQ(w->exitCode(), 0);
        }
    }
    EXPECT_EQ(logRows(rig).size(), 2u + 8u);
    // Writers killed at any moment of their run: each row is whole or absent.
    int killed = 0;
    for (int delay = 0; delay < 400; delay += 20) {
        const auto w = rig.start({"reset", "1"});
        if (w->waitForFinished(delay)) continue;
        w->kill();
        ASSERT_TRUE(w->waitForFinished(20000));
        ++killed;
    }
    rows = logRows(rig);
    EXPECT_GT(killed, 0);
    EXPECT_GE(rows.size(), 2u + 8u);
    for (const QJsonObject& row : rows) {
        EXPECT_TRUE(QDateTime::fromString(str(row, "time"), Qt::ISODateWithMs).isValid());
        EXPECT_FALSE(str(row, "device").isEmpty());
        EXPECT_FALSE(str(row, "version").isEmpty());
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(rig.path(QStringLiteral("audit.db"))), &db),
              SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "ok");
    sqlite3_finalize(st);
    // --since a date: that day from 00:00 UTC on, also where the local clock skips 00:00.
    sqlite3_exec(db,
                 "UPDATE operations SET time = '2022-09-10T23:59:59.999Z' WHERE rowid = 1;"
                 "UPDATE operations SET time = '2022-09-11T00:00:30.000Z' WHERE rowid = 2",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "America/Santiago");  // summer time began there at 00:00 on 2022-09-11
    for (const char* since : {"2022-09-11", "2022-09-11T00:00", "2022-09-10T20:00-04:00"})
        EXPECT_EQ(rig.run({"log", "--since", since, "--json"}).objects("audit").size(),
                  rows.size() - 1)
            << since;
    zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
    // As CSV: the titles, then a line per row; a field with a comma or a quote in quotes.
    for (const char* name : {"a,b", "c\"d"}) {
        const QString odd = rig.path(QString::fromLatin1(name));
        ASSERT_TRUE(QFile::link(rig.sensor(0).devicePath(), odd));
        rig.mapLine(3, odd);
        ASSERT_EQ(rig.run({"reset", "3"}).exit, 0);
        const QList<QByteArray> csv = rig.run({"log", "--csv", "--port", "3"}).out.split('\n');
        ASSERT_GE(csv.size(), 3);  // the last line ends too
        EXPECT_TRUE(csv[0].startsWith("TIME,USER,HOST,PROGRAM,"));
        const QByteArray quoted = QFile::encodeName(odd).replace("\"", "\"\"");
        EXPECT_TRUE(csv[csv.size() - 2].contains(",3,\"" + quoted + "\",")) << name;
    }

    // A log that cannot be written: the reset is done all the same, and korvo says so.
    CliRig blocked({model()});
    ASSERT_TRUE(QDir().mkpath(blocked.path(QStringLiteral("audit.db"))));
    const CliRun r = blocked.run({"reset", "1"});
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(requestCount(blocked.sensor(0), 11), 1);
    EXPECT_TRUE(r.err.contains("audit log not written")) << r.err.toStdString();
}

}  // namespace
}  // namespace korvo::test
