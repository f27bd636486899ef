#include "app/line/LineWindow.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "app/mplex/MplexPanel.h"
#include "app/mplex/MplexSequences.h"
#include "app/shell/CallbackRegistry.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "core/monitor/LineMonitor.h"
#include "ui/Events.h"
#include "ui/Platform.h"

namespace korvo {

using namespace ids;

QString tileColour(const PortWatch& w) {
    switch (w.state) {
        case WatchState::Live:
            if (!w.sampled) return QStringLiteral("#cfd8dc");
            return w.inTolerance ? QStringLiteral("#2e7d32") : QStringLiteral("#c62828");
        case WatchState::Stale:
            return QStringLiteral("#9e9e9e");
        case WatchState::LineLost:
        case WatchState::NotConnected:
            return QStringLiteral("#37474f");
        case WatchState::Refused:
            return QStringLiteral("#f9a825");
        case WatchState::Joining:
        case WatchState::Paused:
            break;
    }
    return QStringLiteral("#cfd8dc");
}

namespace {

// One port: its name, serial number, value, a bar from the lower to the upper limit and its
// state in words; the colour is never the only sign.
class LineTile final : public QWidget {
public:
    LineTile(int group, int port, int com, QWidget* parent)
        : QWidget(parent), group_(group), port_(port), com_(com) {
        setFixedSize(150, 92);
        setFocusPolicy(Qt::StrongFocus);
        setAccessibleName(QStringLiteral("P%1 COM%2").arg(port + 1).arg(com));
    }
    int group() const { return group_; }
    int port() const { return port_; }
    int com() const { return com_; }
    std::function<void()> open;

    void show(const PortWatch& w) {
        w_ = w;
        setAccessibleDescription(watchSummary(w));
        setToolTip(watchSummary(w));
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QColor back(tileColour(w_));
        p.fillRect(rect(), back);
        const QColor ink = back.lightness() < 140 ? Qt::white : Qt::black;
        if (hasFocus()) {
            p.setPen(QPen(ink, 3));
            p.drawRect(rect().adjusted(1, 1, -2, -2));
        }
        p.setPen(ink);
        const bool value = w_.state == WatchState::Live && w_.sampled;
        const QStringList lines = {
            accessibleName(),
            w_.serialNumber ? QStringLiteral("SN %1").arg(w_.serialNumber) : QStringLiteral("SN -"),
            value ? QStringLiteral("%1 mm  %2 px")
                        .arg(w_.valueMm(), 0, 'f', 3)
                        .arg(w_.run.measuredValue)
                  : QStringLiteral("-"),
        };
        for (int i = 0; i < lines.size(); ++i)
            p.drawText(QRect(6, 4 + 16 * i, 140, 16), Qt::AlignLeft, lines[i]);
        // The bar: the band between the limits in the middle, the value as a mark.
        const QRect bar(6, 54, 138, 10);
        p.drawRect(bar);
        if (value) {
            const int lo = w_.limits.lower, hi = w_.limits.upper;
            const double span = std::max(hi - lo, 2);
            const double from = lo - span / 2, to = hi + span / 2;
            const auto x = [&](double v) {
                return bar.left() +
                       static_cast<int>(std::clamp((v - from) / (to - from), 0.0, 1.0) *
                                        bar.width());
            };
            p.fillRect(QRect(QPoint(x(lo), bar.top() + 2), QPoint(x(hi), bar.bottom() - 2)),
                       ink == Qt::white ? QColor(255, 255, 255, 90) : QColor(0, 0, 0, 60));
            p.fillRect(QRect(x(w_.run.measuredValue) - 1, bar.top() - 2, 3, bar.height() + 4), ink);
        }
        p.drawText(QRect(6, 68, 140, 18), Qt::AlignLeft, watchWord(w_));
    }
    void mouseDoubleClickEvent(QMouseEvent*) override {
        if (open) open();
    }
    void keyPressEvent(QKeyEvent* e) override {
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && open) {
            open();
            return;
        }
        QWidget::keyPressEvent(e);
    }

private:
    int group_, port_, com_;
    PortWatch w_;
};

class LineWindow final : public QWidget {
public:
    explicit LineWindow(ScopeApp& app) : app_(app), monitor_(app.ports, app.pump) {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(QStringLiteral("Line monitor"));
        setAccessibleName(QStringLiteral("Line monitor"));
        auto* top = new QVBoxLayout(this);
        header_ = new QLabel(this);
        header_->setAccessibleName(QStringLiteral("Line counts"));
        header_->setTextInteractionFlags(Qt::TextSelectableByKeyboard);
        header_->setFocusPolicy(Qt::TabFocus);
        worstFirst_ = new QCheckBox(QStringLiteral("Worst first"), this);
        worstFirst_->setAccessibleName(QStringLiteral("Worst first"));
        auto* row = new QHBoxLayout;
        row->addWidget(header_, 1);
        row->addWidget(worstFirst_);
        top->addLayout(row);
        auto* scroll = new QScrollArea(this);
        scroll->setWidgetResizable(true);
        auto* area = new QWidget(scroll);
        grid_ = new QGridLayout(area);
        grid_->setSpacing(4);
        scroll->setWidget(area);
        top->addWidget(scroll, 1);

        monitor_.closePortsAtStop(false);  // the multiplexer keeps its ports open
        for (int g = 0; g < kMplexGroups; ++g) {
            if (GetMplexTabState(app, g) == 0) continue;
            for (int p = 0; p < kMplexPortsPerGroup; ++p) {
                const MplexPort& rec = app.state.mplex.groups[g].ports[p];
                if (rec.enabled == 0 || monitor_.watch(rec.comPort) != nullptr) continue;
                auto* tile = new LineTile(g, p, rec.comPort, area);
                tile->open = [this, g, p] { openScope(g, p); };
                tiles_.push_back(tile);
                monitor_.addPort(rec.comPort, rec.baudIndex);
            }
        }
        connect(worstFirst_, &QCheckBox::toggled, this, [this] { arrange(); });
        // The tiles follow every sample; the window repaints at most ten times a second.
        connect(&repaint_, &QTimer::timeout, this, [this] { refresh(); });
        repaint_.start(100);
        app.line = &monitor_;
        // The scope window has its port now: the monitor joins it once the toggle goes off.
        if (app.lineScopeCom != 0) monitor_.release(app.lineScopeCom);
        arrange();
        refresh();
        resize(8 * 154 + 60, 600);
        monitor_.start();
    }
    ~LineWindow() override {
        monitor_.stop();
        if (app_.line == &monitor_) app_.line = nullptr;
    }

private:
    void openScope(int g, int p) {
        const int panel = app_.panels.portPanels[g][p];
        app_.ui.setInt(panel, PORT_SCOPE, 1);
        CC_TOGGscope(app_, panel, PORT_SCOPE, ui::EVENT_VAL_CHANGED, nullptr, 0, 0);
    }

    void arrange() {
        while (QLayoutItem* item = grid_->takeAt(0)) {
            if (qobject_cast<QLabel*>(item->widget())) item->widget()->deleteLater();
            delete item;
        }
        std::vector<LineTile*> order = tiles_;
        const bool worst = worstFirst_->isChecked();
        if (worst) {
            std::vector<PortWatch> w = monitor_.watches();
            sortWorstFirst(w);
            order.clear();
            for (const PortWatch& x : w)
                for (LineTile* t : tiles_)
                    if (t->com() == x.com) order.push_back(t);
        }
        int row = 0, column = 0, group = -1;
        for (LineTile* t : order) {
            if (!worst && t->group() != group) {
                group = t->group();
                if (column != 0) ++row;
                auto* label = new QLabel(QStringLiteral("MPLEX group %1").arg(group + 1));
                grid_->addWidget(label, row++, 0, 1, 8);
                column = 0;
            }
            grid_->addWidget(t, row, column);
            if (++column == 8) {
                column = 0;
                ++row;
            }
        }
        grid_->setRowStretch(row + 1, 1);
        shown_ = order;
    }

    // Every tick, not only after a sample: staleness comes with time.
    void refresh() {
        std::vector<PortWatch> all = monitor_.watches();
        for (LineTile* t : tiles_)
            for (const PortWatch& w : all)
                if (w.com == t->com()) t->show(w);
        const LineCounts n = countLine(all);
        header_->setText(
            QStringLiteral("live %1, in tolerance %2, out of tolerance %3, stale %4, lost %5")
                .arg(n.live)
                .arg(n.inTolerance)
                .arg(n.outOfTolerance)
                .arg(n.stale)
                .arg(n.lost));
        if (worstFirst_->isChecked()) {
            std::vector<PortWatch> w = all;
            sortWorstFirst(w);
            bool same = w.size() == shown_.size();
            for (std::size_t i = 0; same && i < w.size(); ++i) same = shown_[i]->com() == w[i].com;
            if (!same) arrange();
        }
    }

    ScopeApp& app_;
    LineMonitor monitor_;
    QLabel* header_;
    QCheckBox* worstFirst_;
    QGridLayout* grid_;
    std::vector<LineTile*> tiles_;
    std::vector<LineTile*> shown_;
    QTimer repaint_;
};

}  // namespace

void ShowLineWindow(ScopeApp& app) {
    if (app.lineWindow == nullptr) app.lineWindow = new LineWindow(app);
    app.lineWindow->show();
    app.lineWindow->raise();
    app.lineWindow->activateWindow();
}

int CC_BTNline(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_COMMIT) ShowLineWindow(app);
    return 0;
}

void registerLineCallbacks(ScopeApp& app) {
    bindCallback(app, QStringLiteral("CC_BTNline"), CC_BTNline);
}

}  // namespace korvo
