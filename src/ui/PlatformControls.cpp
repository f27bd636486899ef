// Controls: values, attributes, rings, text boxes, controls made at run time, pictures.
// Everything set from code happens with the control's signals blocked: no callback fires.

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextEdit>
#include <QtDebug>
#include <cmath>

#include "ui/BinarySwitch.h"
#include "ui/Graph.h"
#include "ui/LedIndicator.h"
#include "ui/Platform.h"
#include "ui/PlatformImpl.h"

namespace korvo::ui {
namespace {

// A ring set from code to a value that none of its items has keeps that value here.
constexpr const char* kRingValueProp = "korvoRingValue";

// A slider shows no number of its own. This readout stands right of it, takes the room it needs
// from the slider's width, shows the value (the position while it is dragged), and follows the
// slider's visibility and dimming.
class SliderReadout final : public QLabel {
public:
    explicit SliderReadout(QAbstractSlider* slider)
        : QLabel(slider->parentWidget()), slider_(slider) {
        constexpr int kWidth = 44;
        const QRect g = slider->geometry();
        slider->setGeometry(g.adjusted(0, 0, -(kWidth + 4), 0));
        setGeometry(g.right() - kWidth + 1, g.top(), kWidth, g.height());
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setAccessibleName(slider->accessibleName() + QStringLiteral(" value"));
        connect(slider, &QAbstractSlider::valueChanged, this, [this](int v) { showValue(v); });
        connect(slider, &QAbstractSlider::sliderMoved, this, [this](int v) { showValue(v); });
        slider->installEventFilter(this);
        showValue(slider->value());
        setVisible(slider->isVisibleTo(slider->parentWidget()));
    }
    void showValue(int value) { setText(QString::number(value)); }
    // After a value set from code, which blocks the slider's signals.
    void sync() { showValue(slider_->value()); }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == slider_) {
            if (e->type() == QEvent::ShowToParent) setVisible(true);
            if (e->type() == QEvent::HideToParent) setVisible(false);
            if (e->type() == QEvent::EnabledChange) setEnabled(slider_->isEnabled());
        }
        return false;
    }

private:
    QAbstractSlider* slider_;
};

SliderReadout* readoutOf(QWidget* slider) {
    return dynamic_cast<SliderReadout*>(slider->property("korvoReadout").value<QObject*>());
}
// Text controls made at run time follow the size of their text.
constexpr const char* kAutoSizeProp = "korvoAutoSize";
// A label given to a control that has no text of its own.
constexpr const char* kLabelProp = "korvoLabel";

int toInt(double v) {
    return static_cast<int>(std::lround(v));
}

QRgb rgbOf(const QColor& c) {
    return c.rgb() & 0xFFFFFFu;
}

// The palette roles that carry a control's text and background colours.
QPalette::ColorRole textRole(const QWidget* w) {
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
        qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QTextEdit*>(w) ||
        qobject_cast<const QComboBox*>(w))
        return QPalette::Text;
    if (qobject_cast<const QAbstractButton*>(w) && !qobject_cast<const QCheckBox*>(w) &&
        !qobject_cast<const QRadioButton*>(w) && !qobject_cast<const BinarySwitch*>(w))
        return QPalette::ButtonText;
    return QPalette::WindowText;
}

QPalette::ColorRole backgroundRole(const QWidget* w) {
    switch (textRole(w)) {
        case QPalette::Text:
            return QPalette::Base;
        case QPalette::ButtonText:
            return QPalette::Button;
        default:
            return QPalette::Window;
    }
}

QString plainText(const QWidget* w) {
    if (auto* t = qobject_cast<const QPlainTextEdit*>(w)) return t->toPlainText();
    if (auto* t = qobject_cast<const QTextEdit*>(w)) return t->toPlainText();
    return {};
}

void setPlainText(QWidget* w, const QString& text) {
    if (auto* t = qobject_cast<QPlainTextEdit*>(w))
        t->setPlainText(text);
    else if (auto* t = qobject_cast<QTextEdit*>(w))
        t->setPlainText(text);
}

void fitIfAutoSized(QWidget* w) {
    if (w->property(kAutoSizeProp).toBool()) w->adjustSize();
}

// The label widget that names a control (its buddy), if the layout gave one.
QLabel* buddyLabel(QWidget* w) {
    QWidget* top = w->window();
    for (QLabel* l : top->findChildren<QLabel*>())
        if (l->buddy() == w) return l;
    return nullptr;
}

}  // namespace

void Platform::Impl::prepareControl(QWidget* w, ControlKind kind) {
    switch (kind) {
        case ControlKind::SpinInt:
        case ControlKind::SpinDouble:
            // The value is taken when the user is done (Enter, leaving the field, the arrows),
            // not at every keystroke.
            qobject_cast<QAbstractSpinBox*>(w)->setKeyboardTracking(false);
            break;
        case ControlKind::Slider: {
            auto* slider = qobject_cast<QAbstractSlider*>(w);
            // Dragging delivers nothing; the release (or a key step) gives the new value.
            slider->setTracking(false);
            if (slider->parentWidget())
                w->setProperty("korvoReadout",
                               QVariant::fromValue<QObject*>(new SliderReadout(slider)));
            break;
        }
        case ControlKind::Ring: {
            auto* combo = qobject_cast<QComboBox*>(w);
            const QStringList values =
                w->property("ringValues").toString().split(QLatin1Char(','), Qt::SkipEmptyParts);
            const QSignalBlocker block(combo);
            for (int i = 0; i < combo->count(); ++i) {
                bool ok = false;
                const int v = i < values.size() ? values[i].trimmed().toInt(&ok) : i;
                if (i < values.size() && !ok)
                    qWarning() << "ring" << w->objectName() << ": bad item value" << values[i];
                combo->setItemData(i, ok || i >= values.size() ? v : i);
            }
            break;
        }
        default:
            break;
    }
}

QWidget* Platform::ctrl(int panel, int ctrl) const {
    const ControlRec* c = d->control(panel, ctrl);
    return c ? c->widget.data() : nullptr;
}

void Platform::setInt(int panel, int ctrl, int value) {
    const ControlRec* c = d->known(panel, ctrl, "setInt");
    if (!c) return;
    QWidget* w = c->widget;
    const QSignalBlocker block(w);
    switch (c->kind) {
        case ControlKind::Toggle:
        case ControlKind::CheckBox:
        case ControlKind::Radio:
        case ControlKind::Switch:
            qobject_cast<QAbstractButton*>(w)->setChecked(value != 0);
            break;
        case ControlKind::SpinInt:
            qobject_cast<QSpinBox*>(w)->setValue(value);
            break;
        case ControlKind::SpinDouble:
            qobject_cast<QDoubleSpinBox*>(w)->setValue(value);
            break;
        case ControlKind::Ring: {
            auto* combo = qobject_cast<QComboBox*>(w);
            const int index = combo->findData(value);
            combo->setCurrentIndex(index);
            combo->setProperty(kRingValueProp, index < 0 ? QVariant(value) : QVariant());
            // A valid value without a list item still shows: its number stands in the ring.
            combo->setPlaceholderText(index < 0 ? QString::number(value) : QString());
            break;
        }
        case ControlKind::Slider:
            qobject_cast<QAbstractSlider*>(w)->setValue(value);
            if (SliderReadout* r = readoutOf(w)) r->sync();
            break;
        case ControlKind::Led:
            qobject_cast<LedIndicator*>(w)->setValue(value);
            break;
        case ControlKind::TextLine:
        case ControlKind::TextBox:
        case ControlKind::Label:
            setText(panel, ctrl, QString::number(value));
            break;
        case ControlKind::Tab:
            setActiveTabPage(panel, ctrl, value);
            break;
        default:
            break;
    }
}

int Platform::getInt(int panel, int ctrl) const {
    const ControlRec* c = d->known(panel, ctrl, "getInt");
    if (!c) return 0;
    QWidget* w = c->widget;
    switch (c->kind) {
        case ControlKind::Toggle:
        case ControlKind::CheckBox:
        case ControlKind::Radio:
        case ControlKind::Switch:
            return qobject_cast<QAbstractButton*>(w)->isChecked() ? 1 : 0;
        case ControlKind::SpinInt:
            return qobject_cast<QSpinBox*>(w)->value();
        case ControlKind::SpinDouble:
            return toInt(qobject_cast<QDoubleSpinBox*>(w)->value());
        case ControlKind::Ring: {
            auto* combo = qobject_cast<QComboBox*>(w);
            if (combo->currentIndex() >= 0) return combo->currentData().toInt();
            return combo->property(kRingValueProp).toInt();
        }
        case ControlKind::Slider:
            return qobject_cast<QAbstractSlider*>(w)->value();
        case ControlKind::Led:
            return qobject_cast<LedIndicator*>(w)->value();
        case ControlKind::TextLine:
        case ControlKind::TextBox:
        case ControlKind::Label:
            return getText(panel, ctrl).trimmed().toInt();
        case ControlKind::Tab:
            return activeTabPage(panel, ctrl);
        default:
            return 0;
    }
}

void Platform::setDouble(int panel, int ctrl, double value) {
    const ControlRec* c = d->known(panel, ctrl, "setDouble");
    if (!c) return;
    if (c->kind == ControlKind::SpinDouble) {
        const QSignalBlocker block(c->widget);
        qobject_cast<QDoubleSpinBox*>(c->widget)->setValue(value);
    } else if (c->kind == ControlKind::TextLine || c->kind == ControlKind::TextBox ||
               c->kind == ControlKind::Label) {
        setText(panel, ctrl, QString::number(value));
    } else {
        setInt(panel, ctrl, toInt(value));
    }
}

double Platform::getDouble(int panel, int ctrl) const {
    const ControlRec* c = d->known(panel, ctrl, "getDouble");
    if (!c) return 0.0;
    if (c->kind == ControlKind::SpinDouble)
        return qobject_cast<QDoubleSpinBox*>(c->widget)->value();
    if (c->kind == ControlKind::TextLine || c->kind == ControlKind::TextBox ||
        c->kind == ControlKind::Label)
        return getText(panel, ctrl).trimmed().toDouble();
    return getInt(panel, ctrl);
}

void Platform::setText(int panel, int ctrl, const QString& text) {
    const ControlRec* c = d->known(panel, ctrl, "setText");
    if (!c) return;
    QWidget* w = c->widget;
    const QSignalBlocker block(w);
    switch (c->kind) {
        case ControlKind::TextLine:
            qobject_cast<QLineEdit*>(w)->setText(text);
            // Show the beginning of a text that is wider than the field, not its end.
            qobject_cast<QLineEdit*>(w)->setCursorPosition(0);
            break;
        case ControlKind::TextBox:
            setPlainText(w, text);
            break;
        case ControlKind::Label:
            qobject_cast<QLabel*>(w)->setText(text);
            fitIfAutoSized(w);
            break;
        case ControlKind::Command:
        case ControlKind::Toggle:
        case ControlKind::CheckBox:
        case ControlKind::Radio:
            qobject_cast<QAbstractButton*>(w)->setText(text);
            break;
        case ControlKind::Ring: {
            auto* combo = qobject_cast<QComboBox*>(w);
            const int index = combo->findText(text);
            if (index >= 0) setInt(panel, ctrl, combo->itemData(index).toInt());
            break;
        }
        default:
            qWarning("setText: control %d on panel %d holds no text", ctrl, panel);
            break;
    }
}

QString Platform::getText(int panel, int ctrl) const {
    const ControlRec* c = d->known(panel, ctrl, "getText");
    if (!c) return {};
    QWidget* w = c->widget;
    switch (c->kind) {
        case ControlKind::TextLine:
            return qobject_cast<QLineEdit*>(w)->text();
        case ControlKind::TextBox:
            return plainText(w);
        case ControlKind::Label:
            return qobject_cast<QLabel*>(w)->text();
        case ControlKind::Command:
        case ControlKind::Toggle:
        case ControlKind::CheckBox:
        case ControlKind::Radio:
        case ControlKind::Switch:
            return qobject_cast<QAbstractButton*>(w)->text();
        case ControlKind::Ring:
            return qobject_cast<QComboBox*>(w)->currentText();
        case ControlKind::SpinInt:
        case ControlKind::SpinDouble:
            return qobject_cast<QAbstractSpinBox*>(w)->text();
        default:
            return {};
    }
}

// ---- attributes ----------------------------------------------------------------------------

void Platform::setDimmed(int panel, int ctrl, bool dimmed) {
    if (QWidget* w = d->knownWidget(panel, ctrl, "setDimmed")) w->setEnabled(!dimmed);
}

bool Platform::dimmed(int panel, int ctrl) const {
    QWidget* w = d->knownWidget(panel, ctrl, "dimmed");
    return w && !w->isEnabledTo(w->parentWidget());
}

void Platform::setVisible(int panel, int ctrl, bool visible) {
    if (QWidget* w = d->knownWidget(panel, ctrl, "setVisible")) w->setVisible(visible);
}

bool Platform::visible(int panel, int ctrl) const {
    QWidget* w = d->knownWidget(panel, ctrl, "visible");
    return w && ownVisible(w);
}

QRect Platform::boundingRect(int panel, int ctrl) const {
    QWidget* w = d->knownWidget(panel, ctrl, "boundingRect");
    QWidget* p = panelWidget(panel);
    if (!w || !p) return {};
    return QRect(w->mapTo(p, QPoint(0, 0)), w->size());
}

void Platform::setCtrlPos(int panel, int ctrl, int left, int top) {
    QWidget* w = d->knownWidget(panel, ctrl, "setCtrlPos");
    QWidget* p = panelWidget(panel);
    if (!w || !p) return;
    QWidget* parent = w->parentWidget();
    const QPoint at(left, top);
    w->move(parent == p ? at : parent->mapFrom(p, at));
}

void Platform::bringToFront(int panel, int ctrl) {
    if (QWidget* w = d->knownWidget(panel, ctrl, "bringToFront")) w->raise();
}

void Platform::setTextColor(int panel, int ctrl, QRgb color) {
    QWidget* w = d->knownWidget(panel, ctrl, "setTextColor");
    if (!w) return;
    QPalette pal = w->palette();
    const QColor c = QColor::fromRgb(color);
    // Readouts are recoloured with every sample; an unchanged palette costs no change event.
    if (pal.color(QPalette::Active, textRole(w)) == c &&
        pal.color(QPalette::Inactive, textRole(w)) == c)
        return;
    pal.setColor(QPalette::Active, textRole(w), c);
    pal.setColor(QPalette::Inactive, textRole(w), c);
    w->setPalette(pal);
}

void Platform::setBackgroundColor(int panel, int ctrl, QRgb color) {
    QWidget* w = d->knownWidget(panel, ctrl, "setBackgroundColor");
    if (!w) return;
    QPalette pal = w->palette();
    if (pal.color(backgroundRole(w)) == QColor::fromRgb(color) &&
        (backgroundRole(w) != QPalette::Window || w->autoFillBackground()))
        return;
    pal.setColor(backgroundRole(w), QColor::fromRgb(color));
    w->setPalette(pal);
    if (backgroundRole(w) == QPalette::Window) w->setAutoFillBackground(true);
}

QRgb Platform::textColor(int panel, int ctrl) const {
    QWidget* w = d->knownWidget(panel, ctrl, "textColor");
    return w ? rgbOf(w->palette().color(QPalette::Active, textRole(w))) : 0;
}

QRgb Platform::backgroundColor(int panel, int ctrl) const {
    QWidget* w = d->knownWidget(panel, ctrl, "backgroundColor");
    return w ? rgbOf(w->palette().color(QPalette::Active, backgroundRole(w))) : 0;
}

void Platform::setBold(int panel, int ctrl, bool bold) {
    QWidget* w = d->knownWidget(panel, ctrl, "setBold");
    if (!w) return;
    QFont f = w->font();
    f.setBold(bold);
    w->setFont(f);
    fitIfAutoSized(w);
}

bool Platform::bold(int panel, int ctrl) const {
    QWidget* w = d->knownWidget(panel, ctrl, "bold");
    return w && w->font().bold();
}

void Platform::setDecimals(int panel, int ctrl, int decimals) {
    auto* s = qobject_cast<QDoubleSpinBox*>(d->knownWidget(panel, ctrl, "setDecimals"));
    if (!s) return;
    const QSignalBlocker block(s);  // fewer decimals may round the value
    s->setDecimals(decimals);
}

int Platform::decimals(int panel, int ctrl) const {
    auto* s = qobject_cast<QDoubleSpinBox*>(d->knownWidget(panel, ctrl, "decimals"));
    return s ? s->decimals() : 0;
}

void Platform::setLabel(int panel, int ctrl, const QString& label) {
    QWidget* w = d->knownWidget(panel, ctrl, "setLabel");
    if (!w) return;
    if (qobject_cast<BinarySwitch*>(w)) {
        w->setProperty(kLabelProp, label);
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->setText(label);
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        g->setTitle(label);
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setText(label);
        fitIfAutoSized(w);
    } else if (QLabel* buddy = buddyLabel(w)) {
        buddy->setText(label);
    } else {
        w->setProperty(kLabelProp, label);
    }
}

QString Platform::label(int panel, int ctrl) const {
    QWidget* w = d->knownWidget(panel, ctrl, "label");
    if (!w) return {};
    if (qobject_cast<BinarySwitch*>(w)) return w->property(kLabelProp).toString();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (QLabel* buddy = buddyLabel(w)) return buddy->text();
    return w->property(kLabelProp).toString();
}

void Platform::setToolTip(int panel, int ctrl, const QString& tip) {
    if (QWidget* w = d->knownWidget(panel, ctrl, "setToolTip")) w->setToolTip(tip);
}

void Platform::setSwitchLabels(int panel, int ctrl, const QString& onLabel,
                               const QString& offLabel) {
    auto* s = qobject_cast<BinarySwitch*>(d->knownWidget(panel, ctrl, "setSwitchLabels"));
    if (!s) return;
    s->setOnLabel(onLabel);
    s->setOffLabel(offLabel);
}

std::pair<QString, QString> Platform::switchLabels(int panel, int ctrl) const {
    auto* s = qobject_cast<BinarySwitch*>(d->knownWidget(panel, ctrl, "switchLabels"));
    return s ? std::pair{s->onLabel(), s->offLabel()} : std::pair<QString, QString>{};
}

// ---- rings -----------------------------------------------------------------------------------

void Platform::clearRing(int panel, int ctrl) {
    auto* combo = qobject_cast<QComboBox*>(d->knownWidget(panel, ctrl, "clearRing"));
    if (!combo) return;
    const QSignalBlocker block(combo);
    combo->clear();
    combo->setProperty(kRingValueProp, QVariant());
}

void Platform::insertRingItem(int panel, int ctrl, const QString& label, int value) {
    auto* combo = qobject_cast<QComboBox*>(d->knownWidget(panel, ctrl, "insertRingItem"));
    if (!combo) return;
    const QSignalBlocker block(combo);
    combo->addItem(label, value);
}

std::vector<RingItem> Platform::ringItems(int panel, int ctrl) const {
    std::vector<RingItem> items;
    auto* combo = qobject_cast<QComboBox*>(d->knownWidget(panel, ctrl, "ringItems"));
    if (!combo) return items;
    for (int i = 0; i < combo->count(); ++i)
        items.push_back(RingItem{combo->itemText(i), combo->itemData(i).toInt()});
    return items;
}

// ---- text boxes ------------------------------------------------------------------------------

void Platform::resetTextBox(int panel, int ctrl, const QString& text) {
    setText(panel, ctrl, text);
}

void Platform::replaceTextBoxLine(int panel, int ctrl, int line, const QString& text) {
    if (line < 0) return;
    QStringList lines = textBoxLines(panel, ctrl);
    while (lines.size() <= line) lines << QString();
    lines[line] = text;
    setText(panel, ctrl, lines.join(QLatin1Char('\n')));
}

QStringList Platform::textBoxLines(int panel, int ctrl) const {
    const QString text = getText(panel, ctrl);
    if (text.isEmpty()) return {};
    return text.split(QLatin1Char('\n'));
}

// ---- made at run time, pictures, graphs ------------------------------------------------------

int Platform::newTextCtrl(int panel, const QString& text, int left, int top) {
    PanelRec* p = d->panel(panel);
    if (!p) return kBadParentPanel;
    const int id = p->ctrls.empty() ? 1 : p->ctrls.rbegin()->first + 1;
    auto* label = new QLabel(text, p->widget);  // owned by the panel's widget
    label->setProperty("ctrlId", id);
    label->setProperty(kAutoSizeProp, true);
    label->move(left, top);
    label->adjustSize();
    label->show();
    p->ctrls.emplace(id, ControlRec{label, ControlKind::Label, {}});
    return id;
}

bool Platform::displayImageFile(int panel, int ctrl, const QString& path) {
    QWidget* w = d->knownWidget(panel, ctrl, "displayImageFile");
    if (!w) return false;
    const QPixmap pixmap(QDir(d->programDir).absoluteFilePath(path));
    if (pixmap.isNull()) return false;
    if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setPixmap(pixmap);
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->setIcon(QIcon(pixmap));
        b->setIconSize(pixmap.size());
    } else {
        return false;
    }
    w->resize(pixmap.size());
    return true;
}

GraphWidget* Platform::graph(int panel, int ctrl) const {
    return qobject_cast<GraphWidget*>(d->knownWidget(panel, ctrl, "graph"));
}

}  // namespace korvo::ui
