// The help table (where each row's box lands, kept inside its panel, the text by firmware) and
// the boxes on the running program: a right click reaches the row of its control, the box lands
// beside the measured control (a child panel's control in main-panel coordinates, the graphs by
// the roll graph, the connect pop-up's buttons in the pop-up) and toggles; the pop-up's box fits.

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <vector>

#include "app/help/HelpTable.h"
#include "support/AppFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

class HelpBoxTest : public ScopeAppTest {
protected:
    QPoint boxAt(int panel, int box) { return ui().boundingRect(panel, box).topLeft(); }
    // Where the program puts a box that wants `wanted`: inside its panel.
    QPoint inside(int panel, int box, QPoint wanted) {
        return helpBoxInside(wanted, ui().boundingRect(panel, box).size(),
                             ui().panelGeometry(panel).size());
    }
    QString head(int panel, int box) { return ui().textBoxLines(panel, box).value(0); }
    QPlainTextEdit* textBox(int panel, int box) {
        return qobject_cast<QPlainTextEdit*>(ui().ctrl(panel, box));
    }
};

TEST_F(HelpBoxTest, RightClicksToggleTheBoxBesideTheMeasuredControl) {
    launch();
    const int main = mainPanel();
    const int p1 = panels().para1;
    const QRect run = ui().boundingRect(main, MAIN_RUN);
    const QRect get = ui().boundingRect(main, MAIN_GET);
    const QRect average =
        ui().boundingRect(p1, P1_AVERAGE).translated(ui().panelGeometry(p1).topLeft());
    const QRect roll = ui().boundingRect(main, MAIN_ROLLGRAPH);
    ui().setVisible(main, MAIN_ROLLGRAPH, false);
    ui().setVisible(main, MAIN_VIDEOGRAPH, true);
    // GET sits near the right edge: its box would stick out and is moved back inside.
    ASSERT_GT(get.right() + 21 + ui().boundingRect(main, MAIN_HELP).width(),
              ui().panelGeometry(main).width());
    const struct {
        int panel, ctrl, box;
        QPoint wanted;
        const char* head;
    } cases[] = {
        {main, MAIN_RUN, MAIN_HELP, {run.right() + 11, run.top() - 10}, "RUN-BUTTON:"},
        {main, MAIN_GET, MAIN_HELP, {get.right() + 21, get.top() - 40}, "GET-BUTTON:"},
        // a child panel's control that has nothing but its help, in main-panel coordinates
        {p1, P1_AVERAGE, MAIN_HELPLARGE, {average.right() + 21, average.top() - 10}, "AVERAGE:"},
        // the graphs measure the roll graph
        {main,
         MAIN_VIDEOGRAPH,
         MAIN_HELPLARGE,
         {roll.left() + 80, roll.top() + 40},
         "VIDEO-GRAPH-WINDOW:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.head);
        ui().rightClick(c.panel, c.ctrl);
        ASSERT_TRUE(ui().visible(main, c.box));
        EXPECT_EQ(boxAt(main, c.box), inside(main, c.box, c.wanted));
        EXPECT_EQ(head(main, c.box), c.head);
        ui().click(main, c.box);  // a click on the box hides it
        EXPECT_FALSE(ui().visible(main, c.box));
    }
    ui().rightClick(main, MAIN_RUN);
    ui().rightClick(main, MAIN_STOP);  // another control: the visible box goes away
    EXPECT_FALSE(ui().visible(main, MAIN_HELP));
}

// The box spans the pop-up: a line wraps only where it is wider than the pop-up itself, and no
// text scrolls.
TEST_F(HelpBoxTest, TheConnectPopupBoxShowsEachOfItsTextsWithoutScrolling) {
    launch();
    ui().click(mainPanel(), MAIN_CONNECT);
    const int con = panels().connect;
    const QRect tryAt = ui().boundingRect(con, CON_TRY);
    ui().rightClick(con, CON_TRY);
    EXPECT_EQ(boxAt(con, CON_HELP),
              inside(con, CON_HELP, QPoint(tryAt.left() + 15, tryAt.top() - 65)));
    QPlainTextEdit* box = textBox(con, CON_HELP);
    const QFontMetrics fm(box->font());
    const int margins = 2 * static_cast<int>(box->document()->documentMargin());
    const int frame = box->width() - box->viewport()->width();
    const int popupWidth = ui().panelGeometry(con).width();
    for (const auto& [button, heading] : {std::pair{CON_TRY, "TRY TO CONNECT BUTTON:"},
                                          {CON_ACCEPT, "ACCEPT COM SETTINGS BUTTON:"},
                                          {CON_DISCARD, "DISCARD BUTTON:"}}) {
        SCOPED_TRACE(heading);
        if (!ui().visible(con, CON_HELP)) ui().deliver(con, button, ui::EVENT_RIGHT_CLICK);
        ASSERT_TRUE(ui().visible(con, CON_HELP));
        EXPECT_EQ(head(con, CON_HELP), heading);
        for (const QString& line : box->toPlainText().split('\n')) {
            const int width = fm.horizontalAdvance(line) + margins;
            if (width + frame <= popupWidth) {
                EXPECT_LE(width, box->viewport()->width()) << line.toStdString();
            }
        }
        QCoreApplication::processEvents();
        EXPECT_EQ(box->verticalScrollBar()->maximum(), 0);
        ui().deliver(con, button, ui::EVENT_RIGHT_CLICK);
        EXPECT_FALSE(ui().visible(con, CON_HELP));
    }
}

using enum HelpBox;
using enum HelpAnchor;

// Every row, for a control measured at (200, 150) with a width of 60.
TEST(HelpTableTest, EveryRowPlacesItsBoxBesideTheMeasuredControl) {
    const struct {
        std::vector<const char*> callbacks;
        HelpBox box;
        HelpAnchor anchor;
        QPoint at;
    } expected[] = {
        {{"CC_BTNRun", "CC_BTNStop", "CC_BTNVideo", "CC_ButtonReset", "CC_TOGGButtonZoom"},
         Normal,
         Clicked,
         {270, 140}},
        {{"CC_BTNSend"}, Normal, Clicked, {280, 130}},
        {{"CC_BTNGet"}, Normal, Clicked, {280, 110}},
        {{"CC_NEDITEdgeLeft"}, Normal, Clicked, {270, 130}},
        {{"CC_NEDITEdgeRight"}, Normal, Clicked, {40, 130}},
        {{"CC_TOGGBTNConnect"}, Normal, Clicked, {270, 90}},
        {{"CC_GRAPHRaw", "CC_GRAPHVideo", "CC_GRAPHData"}, Large, RollGraph, {280, 190}},
        {{"CC_DROPevalmode", "CC_DROPhardware", "CC_DROPpolarity", "CC_DROPoutmode",
          "CC_DROPanaMode", "CC_DROPzoomMode", "CC_NEDITToleranceUP", "CC_NEDITTolerance",
          "CC_DROP_FilterType", "CC_DROP_TrigMode", "CC_DROPvthdmode", "CC_DROPrs232mode",
          "CC_NUMsample", "CC_NUMinctime"},
         Normal,
         Clicked,
         {280, 140}},
        {{"CC_DROPintrgMode", "CC_NUMtrgPix"}, Normal, Clicked, {280, 145}},
        {{"CC_DROPaverage"}, Large, Clicked, {280, 140}},
        {{"CC_SLIDEpower"}, Normal, Clicked, {420, 140}},
        {{"CC_SLIDEVideoThreshold"}, Normal, Clicked, {295, 140}},
        {{"CC_BINSWopmode"}, Normal, Clicked, {400, 140}},
        {{"CC_BINSWTarget"}, Normal, Clicked, {315, 140}},
        {{"CC_CBTNSaveThreshold"}, Normal, Clicked, {425, 140}},
        {{"CC_ButtonTeach"}, Normal, Clicked, {300, 140}},
        {{"CC_NEDITTeach"}, Normal, Clicked, {390, 145}},
        {{"CC_CBTNTryToConnect"}, Connect, Clicked, {215, 85}},
        {{"CC_CBTNAcceptComSetting"}, Connect, Clicked, {210, 85}},
        {{"CC_CBTNDiscardComSetting"}, Connect, Clicked, {0, 85}},
    };
    std::size_t rows = 0;
    for (const auto& e : expected) {
        for (const char* callback : e.callbacks) {
            SCOPED_TRACE(callback);
            ++rows;
            const HelpRow* row = findHelpRow(QString::fromLatin1(callback));
            ASSERT_NE(row, nullptr);
            EXPECT_EQ(row->box, e.box);
            EXPECT_EQ(row->anchor, e.anchor);
            EXPECT_EQ(helpBoxPlace(*row, QRect(200, 150, 60, 24)), e.at);
            EXPECT_FALSE(helpText(*row, 318).isEmpty());
        }
    }
    EXPECT_EQ(rows, helpRows().size());
    // The lower tolerance's text follows the firmware version.
    const HelpRow* lower = findHelpRow(QStringLiteral("CC_NEDITTolerance"));
    EXPECT_TRUE(helpText(*lower, 302).startsWith("TOLERANCE-VALUE:\n"));
    EXPECT_TRUE(helpText(*lower, 303).startsWith("TOLERANCE-LOW:\n"));
}

TEST(HelpTableTest, ABoxThatWouldStickOutIsMovedBackInsideItsPanel) {
    const QSize box(330, 110);
    const QSize area(780, 548);
    const std::pair<QPoint, QPoint> cases[] = {
        {{300, 200}, {300, 200}},  // inside: as wanted
        {{600, 500}, {450, 438}},  // beyond the right and bottom edges
        {{-15, -3}, {0, 0}},       // beyond the left and top edges
    };
    for (const auto& [wanted, landed] : cases) EXPECT_EQ(helpBoxInside(wanted, box, area), landed);
    EXPECT_EQ(helpBoxInside({20, 30}, QSize(900, 600), area), QPoint(0, 0));  // larger than it
}

}  // namespace
}  // namespace korvo::test
