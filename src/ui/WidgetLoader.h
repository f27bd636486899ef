#pragma once
// Builds widgets from Designer documents; knows the program's own control classes (LED, binary
// switch, graph) besides the standard ones.

#include <QUiLoader>

namespace korvo::ui {

class WidgetLoader : public QUiLoader {
    Q_OBJECT
public:
    explicit WidgetLoader(QObject* parent = nullptr);
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override;
};

}  // namespace korvo::ui
