#include "CliRig.h"

#include <signal.h>

#include <QJsonDocument>

#include "core/params/ParamFile.h"

namespace korvo::test {

QString str(const QJsonObject& o, const char* key) {
    return o.value(QLatin1String(key)).toString();
}
int num(const QJsonObject& o, const char* key) {
    return o.value(QLatin1String(key)).toInt(-1);
}

QByteArray numberLines(int count) {
    QByteArray text;
    for (int i = 0; i < count; ++i) text += QByteArray::number(i) + "\r\n";
    return text;
}

std::vector<QStringList> CliRun::rows() const {
    std::vector<QStringList> rows;
    for (const QByteArray& line : out.split('\n'))
        if (!line.isEmpty()) rows.push_back(QString::fromUtf8(line).split(QLatin1Char('\t')));
    return rows;
}

std::vector<QJsonObject> CliRun::objects(const QString& type) const {
    std::vector<QJsonObject> chosen;
    for (const QByteArray& line : out.split('\n')) {
        if (line.isEmpty()) continue;
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        EXPECT_TRUE(doc.isObject()) << line.toStdString();
        if (doc.object().value(QStringLiteral("type")).toString() == type)
            chosen.push_back(doc.object());
    }
    return chosen;
}

std::unique_ptr<QProcess> CliRig::start(const QStringList& arguments, const QString& outputFile,
                                        const QString& errorFile) const {
    auto p = std::make_unique<QProcess>();
    p->setWorkingDirectory(dir.path());
    // Each rig keeps its own audit log, away from the build folder's.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KORVO_AUDIT_DB"), path(QStringLiteral("audit.db")));
    p->setProcessEnvironment(env);
    if (!outputFile.isEmpty()) p->setStandardOutputFile(outputFile);
    if (!errorFile.isEmpty()) p->setStandardErrorFile(errorFile);
    p->start(QStringLiteral(KORVO_CLI_PROGRAM),
             QStringList{QStringLiteral("--map"), mapPath} + arguments);
    EXPECT_TRUE(p->waitForStarted(5000));
    return p;
}

QStringList CliRig::words(const QString& line) const {
    QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return words.replaceInStrings(QStringLiteral("DIR"), dir.path());
}

QString CliRig::paramFile(const ParamSet& p, const QString& name) const {
    const QString file = path(name);
    EXPECT_TRUE(SendParaToFileI(p, file).ok) << file.toStdString();
    return file;
}

CliRun CliRig::run(const QStringList& arguments, const QByteArray& input, const QString& outputFile,
                   const QString& errorFile) const {
    std::unique_ptr<QProcess> p = start(arguments, outputFile, errorFile);
    if (!input.isEmpty()) p->write(input);
    p->closeWriteChannel();
    EXPECT_TRUE(p->waitForFinished(60000)) << arguments.join(' ').toStdString();
    CliRun r;
    r.exit = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
    r.out = p->readAllStandardOutput();
    r.err = p->readAllStandardError();
    return r;
}

bool signalIfRunning(const QProcess& p, int signalNumber) {
    const qint64 pid = p.processId();
    if (p.state() != QProcess::Running || pid <= 0) return false;
    return ::kill(static_cast<pid_t>(pid), signalNumber) == 0;
}

}  // namespace korvo::test
