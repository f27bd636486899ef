// Panels: loading from layout files, tab pages, display, geometry.

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTabWidget>
#include <QtDebug>
#include <algorithm>
#include <limits>
#include <set>

#include "ui/Platform.h"
#include "ui/PlatformImpl.h"

namespace korvo::ui {
namespace {

constexpr const char* kCtrlIdProp = "ctrlId";
constexpr const char* kCallbackProp = "callback";

// What a freshly built panel holds, gathered before anything is registered, so that a load that
// fails leaves no trace.
struct Scanned {
    QWidget* widget = nullptr;
    int parentIndex = -1;  // index of the enclosing scanned panel; -1: the loaded panel itself
    int tabCtrl = 0;       // for a tab page: the id of its tab control
    QString callback;
    std::vector<std::pair<int, QWidget*>> ctrls;
};

void scanChildren(QWidget* container, int index, std::vector<Scanned>& out);

void scanWidget(QWidget* w, int index, std::vector<Scanned>& out) {
    const QVariant id = w->property(kCtrlIdProp);
    if (id.isValid()) out[index].ctrls.emplace_back(id.toInt(), w);
    auto* tab = qobject_cast<QTabWidget*>(w);
    if (tab && id.isValid()) {
        // Each page is a panel of its own; its controls belong to it.
        for (int i = 0; i < tab->count(); ++i) {
            QWidget* page = tab->widget(i);
            out.push_back(
                Scanned{page, index, id.toInt(), page->property(kCallbackProp).toString(), {}});
            scanChildren(page, static_cast<int>(out.size()) - 1, out);
        }
        return;
    }
    scanChildren(w, index, out);
}

void scanChildren(QWidget* container, int index, std::vector<Scanned>& out) {
    for (QWidget* child : container->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        scanWidget(child, index, out);
}

QString callbackName(const QWidget* w) {
    return w->property(kCallbackProp).toString();
}

// Tab and Shift+Tab move through a panel's controls in reading order: rows from top to bottom,
// each row from left to right. A control whose top lies above the middle of the row's first
// control belongs to that row, so a field set a few pixels lower than its neighbours keeps its
// place. Qt passes over dimmed and hidden controls by itself.
void orderFocus(QWidget* panel, const std::vector<std::pair<int, QWidget*>>& ctrls) {
    struct Stop {
        QRect at;
        QWidget* w;
    };
    std::vector<Stop> stops;
    for (const auto& [id, w] : ctrls)
        if (w->focusPolicy() & Qt::TabFocus)
            stops.push_back({QRect(w->mapTo(panel, QPoint(0, 0)), w->size()), w});
    auto byTop = [](const Stop& a, const Stop& b) { return a.at.top() < b.at.top(); };
    auto byLeft = [](const Stop& a, const Stop& b) { return a.at.left() < b.at.left(); };
    std::stable_sort(stops.begin(), stops.end(), byTop);
    for (auto row = stops.begin(); row != stops.end();) {
        const int middle = row->at.top() + row->at.height() / 2;
        auto end = std::find_if(row, stops.end(),
                                [middle](const Stop& s) { return s.at.top() >= middle; });
        if (end == row) ++end;  // a control without height is a row of its own
        std::stable_sort(row, end, byLeft);
        row = end;
    }
    for (size_t i = 1; i < stops.size(); ++i) QWidget::setTabOrder(stops[i - 1].w, stops[i].w);
}

}  // namespace

int Platform::loadPanel(int parent, const QString& layoutFile, int resourceId) {
    QWidget* parentWidget = nullptr;
    if (parent != 0) {
        const PanelRec* p = d->panel(parent);
        if (!p) return kBadParentPanel;
        parentWidget = p->widget;
    }
    const QString path = QDir(d->programDir).absoluteFilePath(layoutFile);
    const LayoutCache::Lookup doc = d->layouts.panelDocument(path, resourceId);
    switch (doc.status) {
        case LayoutCache::Ok:
            break;
        case LayoutCache::FileMissing:
            return kLayoutFileMissing;
        case LayoutCache::BadLayout:
            return kLayoutUnreadable;
        case LayoutCache::ResourceMissing:
            return kResourceMissing;
    }
    QByteArray bytes = doc.document;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QWidget* built = d->loader.load(&buffer, parentWidget);
    if (!built) {
        qWarning() << "loadPanel:" << layoutFile << "resource" << resourceId << ":"
                   << d->loader.errorString();
        return kLayoutUnreadable;
    }
    // Owned here until registered: a failed load deletes it again.
    std::unique_ptr<QWidget> owned(built);
    // The loader gives the top widget of a document only its size; the position is the panel's
    // stored one too.
    if (!doc.geometry.isNull()) built->setGeometry(doc.geometry);

    std::vector<Scanned> scanned{Scanned{built, -1, 0, callbackName(built), {}}};
    scanChildren(built, 0, scanned);

    // Every callback the layout names must be known before anything is bound.
    QStringList missing;
    auto check = [&](const QString& name) {
        if (!name.isEmpty() && !d->callbacks.count(name) && !missing.contains(name))
            missing << name;
    };
    for (const Scanned& s : scanned) {
        check(s.callback);
        for (const auto& [id, w] : s.ctrls) check(callbackName(w));
    }
    if (!missing.isEmpty()) {
        qWarning().noquote() << "loadPanel:" << layoutFile << "resource" << resourceId
                             << "names callbacks that are not registered:"
                             << missing.join(QLatin1String(", "));
        return kUnknownCallback;
    }

    std::vector<int> handles(scanned.size());
    for (size_t i = 0; i < scanned.size(); ++i) {
        const Scanned& s = scanned[i];
        const int handle = d->nextHandle++;
        handles[i] = handle;
        PanelRec rec;
        rec.widget = s.widget;
        rec.parent = s.parentIndex < 0 ? parent : handles[s.parentIndex];
        rec.tabPage = s.parentIndex >= 0;
        if (!s.callback.isEmpty()) rec.callback = d->callbacks[s.callback];
        for (const auto& [id, w] : s.ctrls) {
            if (rec.ctrls.count(id)) {
                qWarning("loadPanel: control id %d appears twice on resource %d; the first is used",
                         id, resourceId);
                continue;
            }
            ControlRec c;
            c.widget = w;
            c.kind = controlKindOf(w);
            const QString cb = callbackName(w);
            if (!cb.isEmpty()) c.callback = d->callbacks[cb];
            Impl::prepareControl(w, c.kind);
            if (!cb.isEmpty()) d->router.watchControl(w, handle, id);
            rec.ctrls.emplace(id, std::move(c));
        }
        if (rec.tabPage) {
            d->panels[rec.parent].pages[s.tabCtrl].push_back(handle);
            if (rec.callback) d->router.watchPanel(s.widget, handle);
        } else {
            d->router.watchPanel(s.widget, handle);
        }
        d->panels.emplace(handle, std::move(rec));
        orderFocus(s.widget, s.ctrls);
    }
    if (parentWidget) {
        owned.release();  // the parent panel's widget owns it now
        built->hide();    // shown by displayPanel
    } else {
        d->panels[handles[0]].window = std::move(owned);
    }
    return handles[0];
}

int Platform::tabPagePanel(int panel, int tabCtrl, int page) {
    const PanelRec* p = d->panel(panel);
    if (!p) return kBadParentPanel;
    auto it = p->pages.find(tabCtrl);
    if (it == p->pages.end() || page < 0 || page >= static_cast<int>(it->second.size()))
        return kResourceMissing;
    return it->second[page];
}

int Platform::tabPageCount(int panel, int tabCtrl) const {
    const PanelRec* p = d->panel(panel);
    if (!p) return 0;
    auto it = p->pages.find(tabCtrl);
    return it == p->pages.end() ? 0 : static_cast<int>(it->second.size());
}

void Platform::displayPanel(int panel) {
    const PanelRec* p = d->panel(panel);
    if (!p || p->tabPage) return;  // a tab control shows its pages itself
    QWidget* w = p->widget;
    w->show();
    if (!w->isWindow()) {
        w->raise();  // above its sibling panels
    } else if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        w->raise();  // (the offscreen platform has no stacking and says so on every call)
        w->activateWindow();
    }
}

void Platform::hidePanel(int panel) {
    const PanelRec* p = d->panel(panel);
    if (p && !p->tabPage) p->widget->hide();
}

void Platform::discardPanel(int panel) {
    if (!d->panel(panel)) return;
    // The panel and every panel inside it, however deep.
    std::set<int> gone{panel};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [h, rec] : d->panels)
            if (!gone.count(h) && gone.count(rec.parent)) grew = gone.insert(h).second || grew;
    }
    PanelRec& rec = d->panels[panel];
    QWidget* w = rec.widget;
    // A callback of this very panel may be running: delete once control is back in the loop.
    std::unique_ptr<QWidget> window = std::move(rec.window);
    w->hide();
    if (window)
        window.release()->deleteLater();
    else
        w->deleteLater();
    for (int h : gone) d->panels.erase(h);
}

bool Platform::panelVisible(int panel) const {
    const PanelRec* p = d->panel(panel);
    return p && ownVisible(p->widget);
}

QWidget* Platform::panelWidget(int panel) const {
    const PanelRec* p = d->panel(panel);
    return p ? p->widget.data() : nullptr;
}

int Platform::panelOfWidget(const QWidget* w) const {
    for (; w; w = w->parentWidget())
        for (const auto& [h, rec] : d->panels)
            if (rec.widget == w) return h;
    return 0;
}

QRect Platform::panelGeometry(int panel) const {
    const PanelRec* p = d->panel(panel);
    return p ? p->widget->geometry() : QRect();
}

void Platform::setPanelPos(int panel, int top, int left) {
    const PanelRec* p = d->panel(panel);
    if (!p) return;
    QWidget* w = p->widget;
    // Qt keeps the right and bottom edges as ints; a position that would push them beyond is
    // ignored rather than overflowing.
    constexpr qint64 kIntMax = std::numeric_limits<int>::max();
    if (left + qint64(w->width()) - 1 > kIntMax || top + qint64(w->height()) - 1 > kIntMax) return;
    // For a window, geometry is the client area (move() would place the frame).
    if (w->isWindow())
        w->setGeometry(left, top, w->width(), w->height());
    else
        w->move(left, top);
}

void Platform::setPanelSize(int panel, int height, int width) {
    const PanelRec* p = d->panel(panel);
    if (p) p->widget->resize(width, height);
}

void Platform::centrePanel(int panel) {
    const PanelRec* p = d->panel(panel);
    if (!p) return;
    QWidget* w = p->widget;
    QRect r(QPoint(0, 0), w->size());
    if (w->isWindow()) {
        QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen) return;
        r.moveCenter(screen->availableGeometry().center());
        w->setGeometry(r);
    } else if (QWidget* parent = w->parentWidget()) {
        r.moveCenter(parent->rect().center());
        w->move(r.topLeft());
    }
}

QList<QRect> Platform::screenAreas() const {
    QList<QRect> areas;
    for (const QScreen* s : QGuiApplication::screens()) areas.append(s->availableGeometry());
    return areas;
}

bool Platform::panelMaximized(int panel) const {
    const PanelRec* p = d->panel(panel);
    return p && p->widget->isMaximized();
}

void Platform::maximizePanel(int panel) {
    const PanelRec* p = d->panel(panel);
    if (!p || !p->widget->isWindow()) return;
    QWidget* w = p->widget;
    if (ownVisible(w))
        w->showMaximized();
    else
        w->setWindowState(w->windowState() | Qt::WindowMaximized);
}

void Platform::setPanelTitle(int panel, const QString& title) {
    const PanelRec* p = d->panel(panel);
    if (p) p->widget->setWindowTitle(title);
}

void Platform::setActivePanel(int panel) {
    const PanelRec* p = d->panel(panel);
    if (!p) return;
    QWidget* w = p->widget;
    if (!w->isWindow() || QGuiApplication::platformName() != QLatin1String("offscreen")) w->raise();
    w->window()->activateWindow();
}

int Platform::activeTabPage(int panel, int tabCtrl) const {
    auto* tab = qobject_cast<QTabWidget*>(d->knownWidget(panel, tabCtrl, "activeTabPage"));
    return tab ? tab->currentIndex() : -1;
}

void Platform::setActiveTabPage(int panel, int tabCtrl, int page) {
    auto* tab = qobject_cast<QTabWidget*>(d->knownWidget(panel, tabCtrl, "setActiveTabPage"));
    if (!tab || page < 0 || page >= tab->count()) return;
    const QSignalBlocker block(tab);
    tab->setCurrentIndex(page);
}

void Platform::setActiveCtrl(int panel, int ctrl) {
    if (QWidget* w = d->knownWidget(panel, ctrl, "setActiveCtrl"))
        w->setFocus(Qt::OtherFocusReason);
}

}  // namespace korvo::ui
