#pragma once
// A two-state switch that shows the label of its current state: the on label for value 1, the off
// label for value 0. A click toggles it (clicked() is emitted, as for any button).

#include <QAbstractButton>
#include <QString>

namespace korvo::ui {

class BinarySwitch : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue)
    Q_PROPERTY(QString onLabel READ onLabel WRITE setOnLabel)
    Q_PROPERTY(QString offLabel READ offLabel WRITE setOffLabel)
public:
    explicit BinarySwitch(QWidget* parent = nullptr);

    int value() const { return isChecked() ? 1 : 0; }
    void setValue(int value) { setChecked(value != 0); }
    QString onLabel() const { return onLabel_; }
    void setOnLabel(const QString& label);
    QString offLabel() const { return offLabel_; }
    void setOffLabel(const QString& label);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void checkStateSet() override;
    void nextCheckState() override;

private:
    void showStateLabel();
    QString onLabel_ = QStringLiteral("ON");
    QString offLabel_ = QStringLiteral("OFF");
};

}  // namespace korvo::ui
