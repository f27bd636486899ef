// Recordings against the virtual sensor: what the file holds after each way a recording ends,
// and triggered records stored as they come.

#include <QFile>
#include <QTimer>
#include <optional>

#include "LinkRig.h"
#include "core/record/RecordingSession.h"
#include "sim/ParamMemory.h"
#include "support/TestFiles.h"

namespace korvo::test {
namespace {

class Recording : public ::testing::Test {
protected:
    void SetUp() override { start({}); }
    void start(sim::SensorConfig config) {
        config.noise = false;
        session.reset();
        rig = std::make_unique<LinkRig>(std::vector<sim::SensorConfig>{config});
        rig->open();
        rig->sensor().setMeasurement(300, 500);
        plan.path = dir.filePath(QStringLiteral("RECORD.DAT"));
    }
    // One session for all recordings: run again, a session opens its file again.
    RecordEnd record() {
        if (!session) session.emplace(rig->scope);
        const RecordEnd end = session->run(plan, view);
        count = session->count();
        fileError = session->fileError();
        return end;
    }
    QList<QByteArray> lines() { return fileBytes(plan.path).split('\n'); }

    QTemporaryDir dir;
    std::unique_ptr<LinkRig> rig;
    std::optional<RecordingSession> session;
    RecordingPlan plan;
    RecordingSession::View view;

    long count = 0;
    QString fileError;
    QObject context;
};

TEST_F(Recording, AskedSamplesComeAStepApartFromTheStartUntilTheCountOrATimeOut) {
    plan.samples = 5;
    plan.step = 0.05;
    plan.header.increment = 0.05;
    plan.header.samples = 5;
    std::vector<QString> states;
    view.state = [&](const QString& s) { states.push_back(s); };
    const double t0 = rig->pump.now();
    EXPECT_EQ(record(), RecordEnd::Completed);
    EXPECT_GE(rig->since(t0), 5 * 0.05);  // sample k is taken k steps after the start
    EXPECT_EQ(rig->scope.link.stopFlag, kStopRecordDone);
    // Seven header lines and a line per sample (their bytes: CliTest's recording).
    EXPECT_EQ(lines().size(), 7 + 5 + 1);
    EXPECT_EQ(states.front(), QStringLiteral("DATA-RECORDER: RS-232-BUSY ..."));

    // Silent after two samples: the time-out ends it, and the two lines stay.
    rig->sensor().setFault(Fault::NoReply, 18, 1, 0, 2);
    EXPECT_EQ(record(), RecordEnd::TimedOut);
    EXPECT_EQ(rig->scope.link.statusText, QStringLiteral("Timeout RS232-Line!"));
    EXPECT_EQ(lines().size(), 7 + 2 + 1);
    // A stop by the operator keeps every line too: CliTest's Ctrl-C.

    // An hour's step asks for nothing at the start.
    rig->sensor().clearFaults();
    rig->sensor().clearReceivedFrames();
    plan.step = 3600.0;
    QTimer::singleShot(300, &context, [&] { rig->scope.link.stopFlag = kStopByUser; });
    EXPECT_EQ(record(), RecordEnd::Stopped);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(requestCount(rig->sensor(), 18), 0);
}

TEST_F(Recording, AFileMovedOrUnwritableEndsTheRecordingAtOnceAndKeepsItsLines) {
    plan.samples = 100;
    plan.step = 0.01;
    const QString moved = dir.filePath(QStringLiteral("MOVED.DAT"));
    view.sample = [&](const RunRecord&, long n) {
        if (n == 3) QFile::rename(plan.path, moved);  // the recording goes on in no new file
    };
    EXPECT_EQ(record(), RecordEnd::FileFailed);
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(fileError.contains(QLatin1String("moved or deleted"))) << fileError.toStdString();
    EXPECT_FALSE(QFile::exists(plan.path));
    EXPECT_EQ(fileBytes(moved).count('\n'), 7 + 3);

    plan.path = dir.filePath(QStringLiteral("missing/RECORD.DAT"));
    EXPECT_EQ(record(), RecordEnd::FileFailed);  // not even the header
    EXPECT_EQ(count, 0);
}

TEST_F(Recording, EveryTriggeredRecordIsStoredAndAHangUpEndsTheWait) {
    sim::SensorConfig fast;
    fast.recordPeriodMs = 5;
    fast.recordQuietMs = 50;
    start(fast);
    sim::ParamHalf h = rig->sensor().ramHalf(1);
    h[sim::p1::kRs232Mode] = 1;  // the sensor's triggered recorder mode
    rig->sensor().setRamHalf(1, h);
    plan.mode = 1;
    plan.samples = 32000;
    long waits = 0;
    view.state = [&](const QString& t) { waits += t == "WAITING FOR EXT.-TRIGGER ..."; };
    QTimer::singleShot(500, &context, [&] { rig->scope.link.stopFlag = kStopByUser; });
    EXPECT_EQ(record(), RecordEnd::Stopped);
    // One record every 5 ms for most of half a second: far more than one per 0.1 s.
    EXPECT_GT(count, 40);
    EXPECT_EQ(waits, count + 1);  // the wait for a trigger, at the start and after each record
    EXPECT_EQ(lines().size(), 7 + count + 1);

    QTimer::singleShot(200, &context, [&] { rig->sensor().hangUp(); });
    const double t0 = rig->pump.now();
    EXPECT_EQ(record(), RecordEnd::LineLost);
    EXPECT_LT(rig->since(t0), 1.0);
}

}  // namespace
}  // namespace korvo::test
