// The help boxes on the running program: a right click reaches the help table's row of the
// control, the box lands beside the measured control (a child panel's control in main-panel
// coordinates, the graphs by the roll graph, the connect pop-up's buttons in the pop-up), toggles
// by visibility and stays inside its panel; the connect pop-up's box fits its texts.

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QScrollBar>

#include "support/AppFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

class HelpBoxTest : public ScopeAppTest {
protected:
    QPoint boxAt(int panel, int box) { return ui().boundingRect(panel, box).topLeft(); }
    QString head(int panel, int box) { return ui().textBoxLines(panel, box).value(0); }
    QPlainTextEdit* textBox(int panel, int box) {
        return qobject_cast<QPlainTextEdit*>(ui().ctrl(panel, box));
    }
};

TEST_F(HelpBoxTest, RightClicksToggleTheBoxBesideTheMeasuredControl) {
    launch();
    const int main = mainPanel();
    const QRect run = ui().boundingRect(main, MAIN_RUN);
    ui().rightClick(main, MAIN_RUN);
    ASSERT_TRUE(ui().visible(main, MAIN_HELP));
    EXPECT_EQ(boxAt(main, MAIN_HELP),
              helpBoxAt(main, MAIN_HELP, QPoint(run.right() + 11, run.top() - 10)));
    EXPECT_EQ(head(main, MAIN_HELP), "RUN-BUTTON:");
    ui().rightClick(main, MAIN_STOP);  // another control: the visible box goes away
    EXPECT_FALSE(ui().visible(main, MAIN_HELP));

    // GET sits near the right edge: its box, due at its right plus 20, is moved back inside the
    // window so that no text is cut off.
    const QRect get = ui().boundingRect(main, MAIN_GET);
    const int mainWidth = ui().panelGeometry(main).width();
    const int boxWidth = ui().boundingRect(main, MAIN_HELP).width();
    ASSERT_GT(get.right() + 21 + boxWidth, mainWidth);
    ui().rightClick(main, MAIN_GET);
    EXPECT_EQ(boxAt(main, MAIN_HELP), QPoint(mainWidth - boxWidth, get.top() - 40));
    ui().click(main, MAIN_HELP);  // a click on the box hides it
    EXPECT_FALSE(ui().visible(main, MAIN_HELP));

    // A control of a child panel that has nothing but its help, in main-panel coordinates.
    const int p1 = panels().para1;
    const QRect average =
        ui().boundingRect(p1, P1_AVERAGE).translated(ui().panelGeometry(p1).topLeft());
    ui().rightClick(p1, P1_AVERAGE);
    ASSERT_TRUE(ui().visible(main, MAIN_HELPLARGE));
    EXPECT_EQ(boxAt(main, MAIN_HELPLARGE),
              helpBoxAt(main, MAIN_HELPLARGE, QPoint(average.right() + 21, average.top() - 10)));
    EXPECT_EQ(head(main, MAIN_HELPLARGE), "AVERAGE:");
    ui().rightClick(p1, P1_AVERAGE);
    EXPECT_FALSE(ui().visible(main, MAIN_HELPLARGE));

    // The video graph's help uses the large box at the roll graph's place.
    const QRect roll = ui().boundingRect(main, MAIN_ROLLGRAPH);
    ui().setVisible(main, MAIN_ROLLGRAPH, false);
    ui().setVisible(main, MAIN_VIDEOGRAPH, true);
    ui().rightClick(main, MAIN_VIDEOGRAPH);
    EXPECT_EQ(boxAt(main, MAIN_HELPLARGE),
              helpBoxAt(main, MAIN_HELPLARGE, QPoint(roll.left() + 80, roll.top() + 40)));
    EXPECT_EQ(head(main, MAIN_HELPLARGE), "VIDEO-GRAPH-WINDOW:");
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
              helpBoxAt(con, CON_HELP, QPoint(tryAt.left() + 15, tryAt.top() - 65)));
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
