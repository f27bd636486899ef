// The window's writes in the audit log: one row per operation, naming the sensor the scope
// window identified, with the values it changed and the outcome; a log that cannot be written
// leaves the operation as it was and says so in the status line's tool tip.

#include "support/AppFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

struct Written {
    const char* operation;
    std::function<void()> act;
    bool ok;
};

class AuditTrailTest : public ScopeAppTest {
protected:
    // A change's old and new values, or nullopt when the row has no such field.
    static std::optional<std::pair<std::optional<qint64>, std::optional<qint64>>> change(
        const AuditEntry& e, const char* field) {
        for (const AuditChange& c : e.changes)
            if (c.field == QLatin1String(field)) return std::pair{c.before, c.after};
        return std::nullopt;
    }
};

TEST_F(AuditTrailTest, EveryWriteOfTheWindowIsOneRowWithTheSensorAndItsOutcome) {
    sim::SensorConfig config = model(1, 80, 318);
    config.serial = 2345;
    startWith({config});
    ParamSet params;
    params.teachValue = 777;
    setSensorRam(0, params);
    clickScope(0, 0);  // identifies the sensor and reads its set from RAM
    ASSERT_EQ(app().sensor.link.portNumber, 1);
    const int p1 = panels().para1;
    const int p2 = panels().para2;
    showChild(p2);

    const std::vector<Written> writes = {
        {"send ram",
         [&] {
             ui().setInt(app().panels.para2, P2_TEACHVAL, 500);
             ui().click(mainPanel(), MAIN_SEND);
         },
         true},
        {"teach", [&] { ui().click(p2, P2_TEACH); }, true},
        {"analog reset", [&] { ui().deliver(mainPanel(), MAIN_RESET, ui::EVENT_COMMIT); }, true},
        {"test",
         [&] {
             ui().setInt(p2, P2_TEACHVAL, 600);
             ui().setInt(p1, P1_TOLUP, 50);
             ui().setInt(p1, P1_TOLLOW, 40);
             sensor(0).setFault(sim::Fault::NoReply, 16, 1);
             const int calib = app().panels.calib;
             showChild(calib);
             ui().deliver(calib, CAL_TEXTBOX, ui::EVENT_RIGHT_DOUBLE_CLICK);  // service controls
             ui().click(calib, CAL_TEST);
             showChild(p2);
         },
         false},
        {"threshold store ram",
         [&] {
             ui().setDimmed(p2, P2_SAVETHD, false);
             ui().setInt(p2, P2_TARGET, 1);
             popups->expectConfirm("ATTENTION!",
                                   "Laser-Light measureing section must be uncovered!", true);
             ui().click(p2, P2_SAVETHD);
         },
         true},
        {"mplex teach",
         [&] { ui().deliver(portPanel(0, 0), PORT_STATUS, ui::EVENT_LEFT_DOUBLE_CLICK); }, true},
        {"baud",
         [&] {
             ui().click(mainPanel(), MAIN_CONNECT);
             ui().setInt(app().panels.connect, CON_BAUD, 4);
             ui().click(app().panels.connect, CON_CHANGEBAUD);
         },
         true},
    };
    for (std::size_t i = 0; i < writes.size(); ++i) {
        writes[i].act();
        const std::vector<AuditEntry> rows = auditRows();
        ASSERT_EQ(rows.size(), i + 1) << writes[i].operation;
        const AuditEntry& e = rows.back();
        EXPECT_EQ(e.operation, QLatin1String(writes[i].operation));
        EXPECT_EQ(e.ok, writes[i].ok) << writes[i].operation << " " << e.reason.toStdString();
        EXPECT_EQ(e.reason.isEmpty(), writes[i].ok) << writes[i].operation;
        EXPECT_EQ(e.program, QStringLiteral("korvo-km-scope"));
        EXPECT_EQ(e.com, 1);
        EXPECT_EQ(e.serial, 2345) << writes[i].operation;
        EXPECT_EQ(e.device, app().ports.devicePathFor(1));
        EXPECT_TRUE(e.firmware.startsWith(QLatin1String("KORVO-KM-8"))) << e.firmware.toStdString();
    }
    const std::vector<AuditEntry> rows = auditRows();
    // SEND names what it changed against the set read at the connection, and only tha
    ASSERT_EQ(rows[0].changes.size(), 1u);
    EXPECT_EQ(change(rows[0], "Teach-Value"),
              (std::pair{std::optional<qint64>(777), std::optional<qint64>(500)}));
    // Teach: the set point before, and the one the sensor took, read back.
    const auto taught = change(rows[1], "Teach-Value");
    ASSERT_TRUE(taught);
    EXPECT_EQ(taught->first, 500);
    EXPECT_EQ(taught->second, app().sensor.params.teachValue);
    EXPECT_EQ(change(rows[3], "Upper-Tolerance")->second, 50);
    EXPECT_EQ(change(rows[6], "baud rate"),
              (std::pair{std::optional<qint64>(19200), std::optional<qint64>(115200)}));

    // A log that cannot be written: the reset is done all the same and the tool tip says why.
    qputenv("KORVO_AUDIT_DB", QFile::encodeName(dir.file(QStringLiteral("missing/audit.db"))));
    sensor(0).clearReceivedFrames();
    ui().deliver(mainPanel(), MAIN_RESET, ui::EVENT_COMMIT);
    qunsetenv("KORVO_AUDIT_DB");
    EXPECT_TRUE(received(0, 11));
    EXPECT_TRUE(ui().ctrl(mainPanel(), MAIN_STATUS)->toolTip().contains("audit log not written"));
}

}  // namespace
}  // namespace korvo::test
