// A line's parameter sets: backup into one folder, diff, check against a golden file, and
// restore to the sensors found on the ports, by serial number or by COM number.

#include <sys/resource.h>

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <csignal>

#include "CliRig.h"
#include "support/TestFiles.h"

namespace korvo::test {
namespace {

sim::SensorConfig serialled(std::uint16_t serial) {
    sim::SensorConfig c = model();
    c.serial = serial;
    return c;
}

int writes(const sim::VirtualSensor& s) {
    return requestCount(s, 1) + requestCount(s, 3);
}

QJsonObject manifestOf(const QString& dir) {
    return QJsonDocument::fromJson(fileBytes(QDir(dir).filePath(QStringLiteral("manifest.json"))))
        .object();
}

TEST(CliLineSets, BackupDiffCheckAndRestoreKeepALinesSettings) {
    CliRig rig({serialled(1801), serialled(1802)});
    const QString bk = rig.path(QStringLiteral("bk"));
    const QString file1 = QDir(bk).filePath(QStringLiteral("SN1801-COM1.ini"));
    const QString file2 = QDir(bk).filePath(QStringLiteral("SN1802-COM2.ini"));

    // Backup: one file per sensor, as get writes it, and the manifest with each file's hash.
    const CliRun backedUp = rig.run({"backup", "1-2", "-o", bk, "--json"});
    ASSERT_EQ(backedUp.exit, 0);
    EXPECT_EQ(str(backedUp.objects(QStringLiteral("backup")).at(0), "folder"), bk);
    EXPECT_EQ(fileBytes(file1), rig.run({"get", "1", "--from", "eeprom"}).out);
    const QJsonArray saved = manifestOf(bk).value(QLatin1String("sensors")).toArray();
    ASSERT_EQ(saved.size(), 2);
    EXPECT_EQ(num(saved[1].toObject(), "serial"), 1802);
    EXPECT_EQ(str(saved[1].toObject(), "sha256"),
              QString::fromLatin1(
                  QCryptographicHash::hash(fileBytes(file2), QCryptographicHash::Sha256).toHex()));
    EXPECT_EQ(rig.run({"backup", "1", "-o", bk}).exit, 2);  // an existing folder stays
    // A sensor's file the system takes only part of (korvo runs under a file size limit of 100
    // bytes) is that sensor's failure, in a backup as for get.
    rlimit unlimited{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &unlimited), 0);
    const rlimit small{100, unlimited.rlim_max};
    ::signal(SIGXFSZ, SIG_IGN);  // the write fails instead of ending the program
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const CliRun cut = rig.run({"backup", "1", "-o", rig.path(QStringLiteral("cut")), "--json"});
    const CliRun cutGet = rig.run(rig.words("get 1 --from ram -o DIR/cut.ini --json"));
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &unlimited), 0);
    for (const CliRun& r : {cut, cutGet}) {
        EXPECT_EQ(r.exit, 2);
        EXPECT_EQ(str(r.objects(QStringLiteral("result")).at(0), "outcome"), "file-error");
    }
    // A port that fails is in the manifest with its reason; --force replaces the whole folder.
    const QString other = rig.path(QStringLiteral("bk2"));
    rig.mapLine(3, rig.path(QStringLiteral("absent")));
    const CliRun partly = rig.run({"backup", "1,3", "-o", other});
    ASSERT_EQ(partly.exit, 3);
    EXPECT_TRUE(partly.err.endsWith(("backup in " + other + "\n").toLocal8Bit()));
    EXPECT_TRUE(
        str(manifestOf(other).value(QLatin1String("sensors")).toArray()[1].toObject(), "reason")
            .contains(QLatin1String("absent")));

    // Diff: 0 the same, 1 with the fields that differ, 2 for a file that is not there; a key a
    // file does not hold is "-". A sensor's RAM and EEPROM are told apart.
    sim::ParamHalf ram = rig.sensor(0).ramHalf(0);
    ++ram[sim::p0::kTeachValue];
    rig.sensor(0).setRamHalf(0, ram);
    EXPECT_EQ(rig.run({"diff", file1, "COM1:eeprom"}).out, QByteArray());
    EXPECT_EQ(rig.run({"diff", file1, "COM1:ram"}).exit, 1);
    const CliRun differ = rig.run({"diff", file1, file2});
    EXPECT_EQ(differ.exit, 1);
    ASSERT_FALSE(differ.rows().empty());
    for (const QStringList& row : differ.rows()) EXPECT_NE(row[1], row[2]);
    writeFileBytes(rig.path(QStringLiteral("part.ini")), "[PARA0]\r\nPower = 500\r\n");
    const auto part = rig.run(rig.words("diff DIR/part.ini COM2:ram")).rows();
    ASSERT_EQ(part.size(), 28u);  // Power differs too
    EXPECT_EQ(part[1], QStringList({"Power-Mode", "-", part[1][2]}));
    const auto partJson = rig.run(rig.words("diff DIR/part.ini COM2:ram --json"))
                              .objects(QStringLiteral("difference"));
    ASSERT_EQ(partJson.size(), 28u);  // a key the file does not hold is null
    EXPECT_TRUE(partJson[1].value(QLatin1String("a")).isNull());
    EXPECT_EQ(num(partJson[1], "b"), part[1][2].toInt());

    // Check: one line per sensor; ignoring what differs makes the line the same.
    const CliRun checked = rig.run({"check", "1-2", "--golden", file1, "--json"});
    EXPECT_EQ(checked.exit, 1);
    const auto results = checked.objects(QStringLiteral("result"));
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(str(results[0], "outcome"), QStringLiteral("same"));
    EXPECT_EQ(str(results[0], "memory"), QStringLiteral("eeprom"));  // without --from
    QStringList keys;
    for (const QJsonValue& d : results[1].value(QLatin1String("differences")).toArray())
        keys << d.toObject().value(QLatin1String("key")).toString();
    ASSERT_FALSE(keys.isEmpty());
    EXPECT_EQ(rig.run({"check", "1-2", "--golden", file1, "--ignore", keys.join(',')}).exit, 0);
    EXPECT_EQ(rig.run({"check", "1", "--golden", file1, "--ignore", "Bogus"}).exit, 2);
    // A golden file compares only the keys it holds; here not the first one, Power.
    writeFileBytes(rig.path(QStringLiteral("mode.ini")),
                   "[PARA0]\r\nPower-Mode = " + part[1][2].toLatin1() + "\r\n");
    EXPECT_EQ(rig.run(rig.words("check 2 --golden DIR/mode.ini --from ram")).exit, 0);

    // Restore by serial number puts the saved set back into EEPROM and RAM.
    ASSERT_EQ(rig.run({"send", "1", "--to", "eeprom", file2}).exit, 0);
    EXPECT_EQ(rig.run({"restore", "1", "--from", bk}).exit, 0);
    EXPECT_EQ(rig.run({"diff", file1, "COM1:eeprom"}).exit, 0);
    EXPECT_EQ(rig.run({"diff", file1, "COM1:ram"}).exit, 0);
    const auto logged = rig.run({"log", "--port", "1", "--json"}).objects(QStringLiteral("audit"));
    ASSERT_EQ(logged.size(), 2u);  // the send and the restore
    EXPECT_EQ(str(logged[1], "operation"), QStringLiteral("restore"));

    // A replacement (another serial number) only by port. Another model, a changed file and
    // entries korvo backup does not write (a file named outside the folder's pattern, a hash in
    // capitals): refused with nothing written.
    const QString manifestFile = QDir(bk).filePath(QStringLiteral("manifest.json"));
    const QByteArray manifest = fileBytes(manifestFile);
    const QByteArray hash = str(saved[0].toObject(), "sha256").toLatin1();
    const QByteArray entry = "a sensor entry is not one korvo backup writes";
    const struct {
        QByteArray from, to;
        int exit;
        QByteArray said;
    } edits[] = {
        {"\"serial\": 1801", "\"serial\": 1899", 1, "the backup holds no sensor SN 1801"},
        {"\"variant\": 80", "\"variant\": 250", 1, "variant 250"},
        {hash, QByteArray(64, '0'), 2, "its SHA-256 is not the manifest's"},
        {"\"SN1801", "\"../bk/SN1801", 2, entry},
        {hash, hash.toUpper(), 2, entry},
        {"\"sensors\"", "\"sensor\"", 2, "not a backup manifest"},
    };
    const int before = writes(rig.sensor(0));
    for (const auto& e : edits) {
        writeFileBytes(manifestFile, QByteArray(manifest).replace(e.from, e.to));
        const CliRun r = rig.run({"restore", "1", "--from", bk});
        EXPECT_EQ(r.exit, e.exit) << e.to.toStdString();
        EXPECT_TRUE((r.out + r.err).contains(e.said)) << (r.out + r.err).toStdString();
    }
    EXPECT_EQ(writes(rig.sensor(0)), before);
    writeFileBytes(manifestFile,
                   QByteArray(manifest).replace("\"serial\": 1801", "\"serial\": 1899"));
    const CliRun byPort = rig.run({"restore", "1", "--from", bk, "--by-port", "--json"});
    EXPECT_EQ(byPort.exit, 0);
    EXPECT_EQ(str(byPort.objects(QStringLiteral("result")).at(0), "file"), "SN1801-COM1.ini");
    EXPECT_GT(writes(rig.sensor(0)), before);
}

}  // namespace
}  // namespace korvo::test
