#include "ui/BinarySwitch.h"

#include <QPainter>

namespace korvo::ui {
namespace {
constexpr int kTrackWidth = 34;
constexpr int kGap = 6;
}  // namespace

BinarySwitch::BinarySwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    showStateLabel();
}

void BinarySwitch::setOnLabel(const QString& label) {
    onLabel_ = label;
    showStateLabel();
}

void BinarySwitch::setOffLabel(const QString& label) {
    offLabel_ = label;
    showStateLabel();
}

// Called on every change of state, also with signals blocked (values set by the program).
void BinarySwitch::checkStateSet() {
    showStateLabel();
}

void BinarySwitch::nextCheckState() {
    QAbstractButton::nextCheckState();
    showStateLabel();
}

void BinarySwitch::showStateLabel() {
    setText(isChecked() ? onLabel_ : offLabel_);
    updateGeometry();
    update();
}

QSize BinarySwitch::sizeHint() const {
    const QFontMetrics fm(font());
    const int textWidth = std::max(fm.horizontalAdvance(onLabel_), fm.horizontalAdvance(offLabel_));
    return {kTrackWidth + kGap + textWidth + 4, std::max(18, fm.height() + 4)};
}

void BinarySwitch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    const int h = std::min(height() - 2, 18);
    const QRect track(1, (height() - h) / 2, kTrackWidth, h);
    p.setPen(pal.color(QPalette::Dark));
    p.setBrush(isChecked() ? pal.color(QPalette::Highlight) : pal.color(QPalette::Button));
    p.drawRoundedRect(track, h / 2.0, h / 2.0);
    const int knob = h - 4;
    const int knobLeft = isChecked() ? track.right() - knob - 2 : track.left() + 2;
    p.setBrush(isEnabled() ? pal.color(QPalette::Light) : pal.color(QPalette::Mid));
    p.drawEllipse(QRect(knobLeft, track.top() + 2, knob, knob));
    p.setPen(pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    const QRect textRect(track.right() + kGap, 0, width() - track.right() - kGap, height());
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, text());
}

}  // namespace korvo::ui
