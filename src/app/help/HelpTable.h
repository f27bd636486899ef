#pragma once
// Every help text of the scope window in one table: the callback name of the control it belongs
// to, the box it goes into, where the box goes and the text. The placement is arithmetic on the
// measured control's rectangle, kept free of widgets so that it can be checked row by row.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <span>

namespace korvo {

enum class HelpBox {
    Normal,   // the main panel's help box
    Large,    // the main panel's large help box, for long texts
    Connect,  // the connect pop-up's own help box
};

// Which rectangle places the box: the clicked control's, or the roll graph's. The three graphs
// measure the roll graph, so that the large box always comes up at the same place whichever
// graph was clicked.
enum class HelpAnchor { Clicked, RollGraph };

// left = measured left + widthFactor x measured width + dx, top = measured top + dy, in the
// coordinates of the panel that holds the box.
struct HelpRow {
    const char* callback;
    HelpBox box;
    HelpAnchor anchor;
    int widthFactor;
    int dx;
    int dy;
    const char* text;
    const char* textUpTo302 = nullptr;  // firmware 302 and below, where the text differs
};

std::span<const HelpRow> helpRows();

// The row of a callback name; nullptr for a control without help.
const HelpRow* findHelpRow(const QString& callback);

// Where the box of `row` wants its top-left corner, given the measured rectangle.
QPoint helpBoxPlace(const HelpRow& row, const QRect& measured);

// The wanted corner moved back inside the panel (area) where the box would stick out of it, so
// that its text is never cut off; the commands at the right edge of the main panel need it.
QPoint helpBoxInside(QPoint wanted, QSize box, QSize area);

QString helpText(const HelpRow& row, int firmwareVersion);

}  // namespace korvo
