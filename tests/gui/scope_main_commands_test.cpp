// The main panel's own controls: evaluation range fields, memory target radios, tab toggles, the
// CONNECT toggle and the help boxes of the commands.

#include "support/ScopeFixture.h"
#include "ui/Events.h"

namespace korvo::test {
namespace {

using namespace ids;

using ScopeMainCommandsTest = ScopeWindowTest;

TEST_F(ScopeMainCommandsTest, EvaluationFieldsClampToThePixelRangeAndMoveTheirCursors) {
    launch();
    app().state.model.firstPixel = 1;
    app().state.model.lastPixel = 4096;
    const int main = mainPanel();
    const auto cursor = [this](int n) {
        return graphModel(mainPanel(), MAIN_PROFILE).cursors.at(n);
    };
    struct Case {
        int ctrl;
        int typed;
        int shown;
    };
    for (const Case c : {Case{MAIN_EDGELEFT, 0, 1}, Case{MAIN_EDGELEFT, 5000, 4095},
                         Case{MAIN_EDGERIGHT, 5000, 4096}, Case{MAIN_EDGERIGHT, 0, 2}}) {
        SCOPED_TRACE(c.typed);
        ui().userSetInt(main, c.ctrl, c.typed);
        EXPECT_EQ(ui().getInt(main, c.ctrl), c.shown);
        const bool left = c.ctrl == MAIN_EDGELEFT;
        EXPECT_EQ(left ? app().state.params.evalBegin : app().state.params.evalEnd, c.shown);
        EXPECT_DOUBLE_EQ(cursor(left ? 2 : 3).x, c.shown);
        EXPECT_DOUBLE_EQ(cursor(left ? 2 : 3).y, 1.0);
    }
    // Inside the range the field keeps the value; the set learns it with the next panel read.
    ui().userSetInt(main, MAIN_EDGELEFT, 300);
    EXPECT_EQ(ui().getInt(main, MAIN_EDGELEFT), 300);
    EXPECT_EQ(app().state.params.evalBegin, 4095);
    EXPECT_DOUBLE_EQ(cursor(2).x, 300.0);
}

TEST_F(ScopeMainCommandsTest, MemoryTargetIsAlwaysExactlyOneRadioAndFallsBackToRam) {
    launch();
    const int main = mainPanel();
    const auto radios = [&] {
        return std::vector<int>{ui().getInt(main, MAIN_RAM), ui().getInt(main, MAIN_EEPROM),
                                ui().getInt(main, MAIN_FILE)};
    };
    ui().click(main, MAIN_RAM);  // the active radio stays on
    EXPECT_EQ(app().state.memoryTarget, 1);
    EXPECT_EQ(radios(), (std::vector<int>{1, 0, 0}));

    ui().click(main, MAIN_FILE);
    EXPECT_EQ(app().state.memoryTarget, 3);
    EXPECT_EQ(radios(), (std::vector<int>{0, 0, 1}));

    ui().click(main, MAIN_FILE);  // switched off: back to RAM
    EXPECT_EQ(app().state.memoryTarget, 1);
    EXPECT_EQ(radios(), (std::vector<int>{1, 0, 0}));

    ui().click(main, MAIN_EEPROM);
    EXPECT_EQ(app().state.memoryTarget, 2);
    EXPECT_EQ(radios(), (std::vector<int>{0, 1, 0}));
}

TEST_F(ScopeMainCommandsTest, TabTogglesShowOneChildPanelAtATime) {
    launch();
    const int main = mainPanel();
    const Panels& pn = app().panels;
    ui().click(main, MAIN_TAB_PARA2);
    EXPECT_TRUE(ui().panelVisible(pn.para2));
    EXPECT_FALSE(ui().panelVisible(pn.para1));
    EXPECT_EQ(ui().getInt(main, MAIN_TAB_PARA1), 0);
    EXPECT_EQ(ui().getInt(main, MAIN_TAB_PARA2), 1);

    ui().click(main, MAIN_TAB_PARA2);  // the active toggle stays on
    EXPECT_EQ(ui().getInt(main, MAIN_TAB_PARA2), 1);
    EXPECT_TRUE(ui().panelVisible(pn.para2));

    const QRect calibAt = ui().panelGeometry(pn.calib);
    ui().click(main, MAIN_TAB_CALIB);
    EXPECT_TRUE(ui().panelVisible(pn.calib));
    EXPECT_FALSE(ui().panelVisible(pn.para2));
    EXPECT_EQ(ui().getInt(main, MAIN_TAB_PARA2), 0);
    EXPECT_EQ(ui().panelGeometry(pn.calib), calibAt);
}

TEST_F(ScopeMainCommandsTest, ConnectPressedAgainWhileThePopupIsOpenChangesNothing) {
    launch();
    const int main = mainPanel();
    ui().click(main, MAIN_CONNECT);
    ASSERT_TRUE(ui().panelVisible(panels().connect));
    EXPECT_EQ(ui().getInt(main, MAIN_CONNECT), 1);
    EXPECT_TRUE(ui().dimmed(panels().connect, CON_ACCEPT));
    const std::uint16_t saved = app().state.savedPortNumber;

    ui().setInt(panels().connect, CON_PORT, 9);
    ui().click(main, MAIN_CONNECT);
    EXPECT_EQ(ui().getInt(main, MAIN_CONNECT), 1);
    EXPECT_TRUE(ui().panelVisible(panels().connect));
    EXPECT_EQ(app().state.savedPortNumber, saved);

    // The commit of that second click (the press has released the toggle) answers 1.
    ui().setInt(main, MAIN_CONNECT, 0);
    EXPECT_EQ(ui().deliver(main, MAIN_CONNECT, ui::EVENT_COMMIT), 1);
    EXPECT_EQ(ui().getInt(main, MAIN_CONNECT), 1);
}

TEST_F(ScopeMainCommandsTest, HelpBoxesToggleByVisibilityBesideTheClickedCommand) {
    launch();
    const int main = mainPanel();
    const auto helpText = [&](int box) { return ui().textBoxLines(main, box).join('\n'); };
    const QRect run = ui().boundingRect(main, MAIN_RUN);

    ui().rightClick(main, MAIN_RUN);
    ASSERT_TRUE(ui().visible(main, MAIN_HELP));
    EXPECT_EQ(ui().boundingRect(main, MAIN_HELP).topLeft(),
              helpBoxAt(main, MAIN_HELP, QPoint(run.left() + run.width() + 10, run.top() - 10)));
    EXPECT_TRUE(helpText(MAIN_HELP).startsWith(QStringLiteral("RUN-BUTTON:\n")));

    ui().rightClick(main, MAIN_STOP);  // another control: the visible box goes away
    EXPECT_FALSE(ui().visible(main, MAIN_HELP));
    ui().rightClick(main, MAIN_STOP);
    EXPECT_TRUE(ui().visible(main, MAIN_HELP));
    EXPECT_TRUE(helpText(MAIN_HELP).startsWith(QStringLiteral("STOP-BUTTON:\n")));

    // GET sits near the right edge: its box, due at its right plus 20, is moved back inside the
    // window so that no text is cut off.
    const QRect get = ui().boundingRect(main, MAIN_GET);
    const int mainWidth = ui().panelGeometry(main).width();
    const int boxWidth = ui().boundingRect(main, MAIN_HELP).width();
    ASSERT_GT(get.left() + get.width() + 20 + boxWidth, mainWidth);
    ui().rightClick(main, MAIN_GET);
    ui().rightClick(main, MAIN_GET);
    EXPECT_EQ(ui().boundingRect(main, MAIN_HELP).topLeft(),
              QPoint(mainWidth - boxWidth, get.top() - 40));
    EXPECT_EQ(ui().boundingRect(main, MAIN_HELP).right(), mainWidth - 1);
    const QRect end = ui().boundingRect(main, MAIN_EDGERIGHT);
    ui().rightClick(main, MAIN_EDGERIGHT);
    ui().rightClick(main, MAIN_EDGERIGHT);
    EXPECT_EQ(ui().boundingRect(main, MAIN_HELP).topLeft(),
              helpBoxAt(main, MAIN_HELP, QPoint(end.left() - end.width() - 100, end.top() - 20)));

    ui().click(main, MAIN_HELP);  // a click on the box hides it
    EXPECT_FALSE(ui().visible(main, MAIN_HELP));
}

TEST_F(ScopeMainCommandsTest, GraphHelpUsesTheLargeBoxAtTheRollGraph) {
    launch();
    const int main = mainPanel();
    const QRect roll = ui().boundingRect(main, MAIN_ROLLGRAPH);
    ui().rightClick(main, MAIN_ROLLGRAPH);
    ASSERT_TRUE(ui().visible(main, MAIN_HELPLARGE));
    EXPECT_FALSE(ui().visible(main, MAIN_HELP));
    EXPECT_EQ(ui().boundingRect(main, MAIN_HELPLARGE).topLeft(),
              helpBoxAt(main, MAIN_HELPLARGE, QPoint(roll.left() + 80, roll.top() + 40)));
    EXPECT_EQ(ui().textBoxLines(main, MAIN_HELPLARGE).first(),
              QStringLiteral("ROLL-GRAPH-WINDOW:"));

    // The video graph's help comes up at the same place, whichever graph it is.
    ui().setVisible(main, MAIN_ROLLGRAPH, false);
    ui().setVisible(main, MAIN_VIDEOGRAPH, true);
    ui().rightClick(main, MAIN_VIDEOGRAPH);
    EXPECT_FALSE(ui().visible(main, MAIN_HELPLARGE));
    ui().rightClick(main, MAIN_VIDEOGRAPH);
    EXPECT_TRUE(ui().visible(main, MAIN_HELPLARGE));
    EXPECT_EQ(ui().boundingRect(main, MAIN_HELPLARGE).topLeft(),
              helpBoxAt(main, MAIN_HELPLARGE, QPoint(roll.left() + 80, roll.top() + 40)));
    EXPECT_EQ(ui().textBoxLines(main, MAIN_HELPLARGE).first(),
              QStringLiteral("VIDEO-GRAPH-WINDOW:"));

    ui().rightClick(main, MAIN_HELPLARGE);
    EXPECT_FALSE(ui().visible(main, MAIN_HELPLARGE));
}

}  // namespace
}  // namespace korvo::test
