#include "ui/LedIndicator.h"

#include <QPainter>
#include <algorithm>

namespace korvo::ui {

LedIndicator::LedIndicator(QWidget* parent) : QWidget(parent) {}

void LedIndicator::setValue(int value) {
    const int v = value != 0 ? 1 : 0;
    if (v == value_) return;
    value_ = v;
    update();
}

void LedIndicator::setOnColor(const QColor& color) {
    onColor_ = color;
    update();
}

void LedIndicator::setOffColor(const QColor& color) {
    offColor_ = color;
    update();
}

void LedIndicator::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int d = std::max(2, std::min(width(), height()) - 2);
    const QRect r((width() - d) / 2, (height() - d) / 2, d, d);
    p.setPen(palette().color(QPalette::Dark));
    p.setBrush(value_ ? onColor_ : offColor_);
    p.drawEllipse(r);
}

}  // namespace korvo::ui
