// The application settings written by the connect pop-up come back at the next start: port and
// baud rate into the pop-up and into use, and the scope window's geometry; nonsense is ignored.

#include "support/ScopeFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

using ScopeAppSettingsRestoreTest = ScopeWindowTest;

TEST_F(ScopeAppSettingsRestoreTest, PortBaudAndGeometryComeBackButNotTheHardwareType) {
    dir.write(QStringLiteral("KORVO-KM-Scope.ini"),
              crlf("[CONNECTION]\nCOM Port = 7\nBAUDRATE = 3\n\n[APPLICATION]\n"
                   "Panel max = 0\nPanel pos. x = 40\nPanel pos. y = 50\n"
                   "Panel width  = 700\nPanel height = 500\n\n[HARDWAREINFO]\n"
                   "Hardware-Type = 3\n\n"));
    launch();
    EXPECT_EQ(ui().getInt(panels().connect, CON_PORT), 7);
    EXPECT_EQ(ui().getInt(panels().connect, CON_BAUD), 3);
    EXPECT_EQ(app().state.link.portNumber, 7);
    EXPECT_EQ(app().state.link.baudIndex, 3);
    EXPECT_EQ(ui().panelGeometry(mainPanel()), QRect(40, 50, 700, 500));
    // Only an identified sensor sets the hardware type.
    EXPECT_EQ(app().state.model.hardwareType, 0);
}

TEST_F(ScopeAppSettingsRestoreTest, ValuesOutOfRangeAreIgnored) {
    dir.write(QStringLiteral("KORVO-KM-Scope.ini"),
              crlf("[CONNECTION]\nCOM Port = 300\nBAUDRATE = nine\n[APPLICATION]\n"
                   "Panel pos. x = 40\nPanel pos. y = 50\nPanel width  = -5\n"));
    launch();
    EXPECT_EQ(ui().getInt(panels().connect, CON_PORT), 1);
    EXPECT_EQ(ui().getInt(panels().connect, CON_BAUD), 1);
    EXPECT_EQ(app().state.link.portNumber, 1);
    EXPECT_EQ(app().state.link.baudIndex, 1);
    // Without "Panel max" no geometry key is used: the window keeps its start-up place.
    EXPECT_NE(ui().panelGeometry(mainPanel()).topLeft(), QPoint(40, 50));
}

}  // namespace
}  // namespace korvo::test
