#pragma once
// Turns what the user does to panels and bound controls into callback events.
//
// - A left mouse press delivers the left click synchronously, before the widget sees the press;
//   the widget then acts, and its own signal brings value changed and commit. A callback of the
//   left click may run a nested event loop: a release that arrives meanwhile is held back and
//   handed to the widget after its press, so the click still completes.
// - A button, toggle, check box or radio pressed any other way (Space, Enter, an accessible
//   action, click() or animateClick(), a shortcut) delivers its left click when the button
//   reports the press, and its value changed and commit when it reports the click. A commit
//   that comes while the left-click callback still runs waits for it to return. The mouse press
//   marks its button, so the button's own press report adds no second left click.
// - Right press, double clicks and key presses are delivered as they come; dimmed controls
//   deliver nothing.
// - A panel window's close request is turned into the close event; the window stays open unless
//   the callback hides it. Resizes of a shown panel deliver the panel-size event.
// Mouse events carry the pointer position as event data: 1 = y, 2 = x, in the control (or panel).

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

QT_BEGIN_NAMESPACE
class QMouseEvent;
QT_END_NAMESPACE

namespace korvo::ui {

class EventRouter : public QObject {
    Q_OBJECT
public:
    using Deliver = std::function<int(int panel, int ctrl, int event, int data1, int data2)>;
    explicit EventRouter(Deliver deliver, QObject* parent = nullptr);
    ~EventRouter() override;

    void watchPanel(QWidget* panelWidget, int panel);
    // The control and its inner widgets (the edit field of a spin box, the viewport of a graph
    // or text box) report to (panel, ctrl).
    void watchControl(QWidget* control, int panel, int ctrl);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Binding {
        int panel = 0;
        int ctrl = 0;
    };
    struct Press;
    static bool bindingOf(const QObject* o, Binding* b);
    void bind(QWidget* w, int panel, int ctrl);
    void bindInner(QWidget* parent, int panel, int ctrl);
    void connectSignals(QWidget* control, int panel, int ctrl);
    bool panelEvent(QWidget* w, Binding b, QEvent* e);
    bool controlEvent(QWidget* w, Binding b, QEvent* e);
    bool holdRelease(QWidget* w, QMouseEvent* e);
    void leftClick(QWidget* w, Binding b, QPoint at);
    void buttonPressed(QWidget* button, Binding b);
    void buttonClicked(QWidget* button, Binding b, bool twoState);
    void changedThenCommit(QWidget* w, int panel, int ctrl);

    Deliver deliver_;
    std::vector<Press*> presses_;     // left clicks whose callback is still running
    QPointer<QWidget> mousePressed_;  // a button whose mouse press delivered the left click
};

}  // namespace korvo::ui
