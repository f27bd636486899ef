#pragma once
// A round lamp: value 1 lights it in its on colour, 0 shows the off colour.

#include <QColor>
#include <QWidget>

namespace korvo::ui {

class LedIndicator : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue)
    Q_PROPERTY(QColor onColor READ onColor WRITE setOnColor)
    Q_PROPERTY(QColor offColor READ offColor WRITE setOffColor)
public:
    explicit LedIndicator(QWidget* parent = nullptr);

    int value() const { return value_; }
    void setValue(int value);
    QColor onColor() const { return onColor_; }
    void setOnColor(const QColor& color);
    QColor offColor() const { return offColor_; }
    void setOffColor(const QColor& color);

    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int value_ = 0;
    QColor onColor_{0x00, 0xFF, 0x00};
    QColor offColor_{0x40, 0x40, 0x40};
};

}  // namespace korvo::ui
