// The help boxes on the running program: a right click reaches the help table's row of the
// control, the box lands beside the measured control (a child panel's control in main-panel
// coordinates, the graphs by the roll graph, the connect pop-up's buttons in the pop-up), toggles
// by visibility and stays inside its panel; the connect pop-up's box fits its texts.

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QScrollBar>

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

}  // namespace
}  // namespace korvo::test
