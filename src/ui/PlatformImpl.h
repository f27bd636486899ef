#pragma once
// The registry behind Platform: panel handles, their widgets and controls, the callbacks by
// name, the layout cache and the loader. Private to the platform's own sources.

#include <QEventLoop>
#include <QPointer>
#include <map>
#include <memory>
#include <vector>

#include "ui/ControlKind.h"
#include "ui/EventRouter.h"
#include "ui/LayoutCache.h"
#include "ui/Platform.h"
#include "ui/WidgetLoader.h"

namespace korvo::ui {

struct ControlRec {
    QPointer<QWidget> widget;
    ControlKind kind = ControlKind::Other;
    Callback callback;
};

struct PanelRec {
    QPointer<QWidget> widget;
    int parent = 0;  // parent panel handle; 0 for a top-level panel
    bool tabPage = false;
    std::unique_ptr<QWidget> window;  // owns a top-level panel's widget
    Callback callback;
    std::map<int, ControlRec> ctrls;
    std::map<int, std::vector<int>> pages;  // tab control id -> page panel handles
};

struct Platform::Impl {
    Impl(Platform& owner, QString dir);

    PanelRec* panel(int handle);
    const PanelRec* panel(int handle) const;
    // nullptr when the panel has no such control: for lookups that ask (ctrl, hasCtrl) and for
    // events, which may come for a control whose panel a callback has just discarded.
    const ControlRec* control(int panel, int ctrl) const;
    // The control that a value, attribute or user access addresses. An id that no loaded control
    // has is a slip in the program: a debug build stops there and names it; other builds go on
    // without the access, as they always did.
    const ControlRec* known(int panel, int ctrl, const char* access) const;
    QWidget* knownWidget(int panel, int ctrl, const char* access) const;
    // Prepares a layout control for the platform's event model (see PlatformControls.cpp).
    static void prepareControl(QWidget* w, ControlKind kind);

    QString programDir;
    std::map<QString, Callback> callbacks;
    std::map<int, PanelRec> panels;
    int nextHandle = 1;
    LayoutCache layouts;
    WidgetLoader loader;
    EventRouter router;
    std::unique_ptr<Popups> popups;
    QEventLoop* loop = nullptr;
    int quitCode = 0;
    bool quitRequested = false;
    bool closing = false;  // no more callbacks while the platform goes away
};

// The widget's own visible state: shown, or never hidden, whether or not its parent is shown.
bool ownVisible(const QWidget* w);

}  // namespace korvo::ui
