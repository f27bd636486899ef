#pragma once
// The user-interface platform the program is built on: panels loaded from layout files by
// resource number, panel handles, controls addressed by (panel, control id), callbacks bound by
// the name the layout gives, the event model, graphs and pop-ups. It knows nothing of sensors.
//
// Event model: a left mouse press on a bound control delivers EVENT_LEFT_CLICK before the widget
// acts, so the commit of the same click arrives after it. A button, toggle, check box or radio
// pressed any other way (Space, Enter, an accessible press or toggle, click() from code) delivers
// the same events in the same order, the left click once. Tab moves through a panel's controls
// in reading order. User edits deliver EVENT_VAL_CHANGED and EVENT_COMMIT. Values set from code
// fire no callback. Callbacks may run nested event loops and may hide, show or discard panels.
//
// Layout files: Qt Designer documents. The root widget holds the panel resources as direct
// children, each with the dynamic property "resourceId" (and optionally "callback"). Every widget
// with the dynamic property "ctrlId" is a control of the nearest enclosing panel (a loaded panel
// or a page of a tab control); "callback" names its callback. A QComboBox ring takes its item
// values from the property "ringValues" ("1,2,4,8"), else from the item index.

#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "ui/Events.h"
#include "ui/Popups.h"

namespace korvo::ui {

class GraphWidget;

// Negative results of loadPanel.
inline constexpr int kLayoutFileMissing = -1;
inline constexpr int kLayoutUnreadable = -2;
inline constexpr int kResourceMissing = -3;
inline constexpr int kUnknownCallback = -4;
inline constexpr int kBadParentPanel = -5;

struct RingItem {
    QString label;
    int value = 0;
};

class Platform {
public:
    // programDir: where layout files and bitmaps are found.
    explicit Platform(QString programDir);
    ~Platform();
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    const QString& programDir() const;

    // ---- callbacks -----------------------------------------------------------------------
    // Fill before loading panels; loading fails (returns a negative handle and logs the name)
    // when a layout names a callback that is not registered.
    void registerCallback(const QString& name, Callback cb);

    // ---- panels --------------------------------------------------------------------------
    // parent 0: top-level window. Otherwise the panel becomes a child of the parent panel (or
    // tab page) at the position the layout stores. A loaded panel is hidden until displayed.
    // layoutFile: a bare name is looked up in the program directory. Each file is read once.
    // Returns a handle >= 1, or a negative value (kLayoutFileMissing ...) on failure.
    int loadPanel(int parent, const QString& layoutFile, int resourceId);
    // The panel handle of page `page` of the tab control `tabCtrl` on `panel`; negative when
    // there is no such page.
    int tabPagePanel(int panel, int tabCtrl, int page);
    int tabPageCount(int panel, int tabCtrl) const;
    void displayPanel(int panel);
    void hidePanel(int panel);
    void discardPanel(int panel);        // with its child panels
    bool panelVisible(int panel) const;  // the panel's own visible state
    QWidget* panelWidget(int panel) const;
    int panelOfWidget(const QWidget* w) const;  // 0 when unknown

    // left, top, width, height: of a top-level panel's client area on the screen, of a child
    // panel inside its parent.
    QRect panelGeometry(int panel) const;
    void setPanelPos(int panel, int top, int left);
    void setPanelSize(int panel, int height, int width);
    void centrePanel(int panel);  // on the primary screen (a child panel: in its parent)
    // The available areas of all screens (without task bars and docks), desktop coordinates.
    QList<QRect> screenAreas() const;
    bool panelMaximized(int panel) const;
    void maximizePanel(int panel);
    void setPanelTitle(int panel, const QString& title);
    void setActivePanel(int panel);
    int activeTabPage(int panel, int tabCtrl) const;
    void setActiveTabPage(int panel, int tabCtrl, int page);
    void setActiveCtrl(int panel, int ctrl);

    // ---- controls ------------------------------------------------------------------------
    // Only ctrl, hasCtrl and deliver take an id that no control has. Every other access with
    // such an id is a slip in the program: a debug build stops there and names the access, the
    // panel and the id; a release build goes on without the access.
    QWidget* ctrl(int panel, int ctrl) const;  // nullptr when unknown
    bool hasCtrl(int panel, int ctrl) const { return this->ctrl(panel, ctrl) != nullptr; }

    // Values. Numeric controls, rings (by item value), check boxes, toggles, radio buttons,
    // sliders, binary switches and LEDs hold integers; text controls hold text. A ring set to a
    // value that no item has shows no selection and reads back that value.
    void setInt(int panel, int ctrl, int value);
    int getInt(int panel, int ctrl) const;
    void setDouble(int panel, int ctrl, double value);
    double getDouble(int panel, int ctrl) const;
    void setText(int panel, int ctrl, const QString& text);
    QString getText(int panel, int ctrl) const;

    // Attributes. visible() and dimmed() are the control's own state, whether or not its panel
    // is shown. Colours are 0xRRGGBB values.
    void setDimmed(int panel, int ctrl, bool dimmed);
    bool dimmed(int panel, int ctrl) const;
    void setVisible(int panel, int ctrl, bool visible);
    bool visible(int panel, int ctrl) const;
    QRect boundingRect(int panel, int ctrl) const;  // left, top, width, height in the panel
    void setCtrlPos(int panel, int ctrl, int left, int top);
    void bringToFront(int panel, int ctrl);
    void setTextColor(int panel, int ctrl, QRgb color);
    void setBackgroundColor(int panel, int ctrl, QRgb color);
    QRgb textColor(int panel, int ctrl) const;
    QRgb backgroundColor(int panel, int ctrl) const;
    void setBold(int panel, int ctrl, bool bold);
    bool bold(int panel, int ctrl) const;
    void setDecimals(int panel, int ctrl, int decimals);
    int decimals(int panel, int ctrl) const;
    void setLabel(int panel, int ctrl, const QString& label);
    QString label(int panel, int ctrl) const;
    void setToolTip(int panel, int ctrl, const QString& tip);
    // Binary switch: the label of the on state (value 1) and of the off state (value 0).
    void setSwitchLabels(int panel, int ctrl, const QString& onLabel, const QString& offLabel);
    std::pair<QString, QString> switchLabels(int panel, int ctrl) const;

    // Rings.
    void clearRing(int panel, int ctrl);
    void insertRingItem(int panel, int ctrl, const QString& label, int value);  // appended
    std::vector<RingItem> ringItems(int panel, int ctrl) const;

    // Text boxes (multi-line).
    void resetTextBox(int panel, int ctrl, const QString& text);
    void replaceTextBoxLine(int panel, int ctrl, int line, const QString& text);
    QStringList textBoxLines(int panel, int ctrl) const;

    // A text control (a label sized to its text) created at run time; returns its control id.
    int newTextCtrl(int panel, const QString& text, int left, int top);
    // Loads a bitmap into a picture control, which takes the bitmap's size; false when the file
    // cannot be read.
    bool displayImageFile(int panel, int ctrl, const QString& path);

    GraphWidget* graph(int panel, int ctrl) const;

    // ---- events --------------------------------------------------------------------------
    // Calls the callback bound to the control (or panel, ctrl 0) directly, as the platform
    // does for a real event. Returns the callback's result, 0 when none is bound.
    int deliver(int panel, int ctrl, int event, int eventData1 = 0, int eventData2 = 0);
    // A full mouse click on a bound control as the user makes it: left click, then the widget's
    // own action (toggle, radio, ...) and its value-changed and commit events.
    void click(int panel, int ctrl);
    // Like the user, click() and the user edits do nothing on a dimmed control, nor on one that is
    // not visible on the screen (with a warning).
    // A right mouse click on a control, as the user makes it.
    void rightClick(int panel, int ctrl);
    // A user edit of a numeric, ring or slider control: sets the value, then value changed and
    // commit, as typing and leaving the field does (also when the value stays the same). On a
    // two-state control it clicks when the value differs. A ring value that no item has is
    // refused.
    void userSetInt(int panel, int ctrl, int value);
    void userSetDouble(int panel, int ctrl, double value);
    // The user closes a top-level panel's window: the panel callback receives EVENT_CLOSE.
    void userClosePanel(int panel);

    // ---- event loop ----------------------------------------------------------------------
    int runUserInterface();  // returns the code given to quitUserInterface
    // Ends runUserInterface once control returns to its loop (also from a nested callback).
    void quitUserInterface(int code);
    bool quitRequested() const;  // since runUserInterface last started

    // ---- pop-ups -------------------------------------------------------------------------
    Popups& popups();  // Qt dialogs unless replaced
    void setPopups(std::unique_ptr<Popups> popups);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace korvo::ui
