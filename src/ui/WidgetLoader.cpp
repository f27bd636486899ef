#include "ui/WidgetLoader.h"

#include "ui/BinarySwitch.h"
#include "ui/Graph.h"
#include "ui/LedIndicator.h"

namespace korvo::ui {

WidgetLoader::WidgetLoader(QObject* parent) : QUiLoader(parent) {}

QWidget* WidgetLoader::createWidget(const QString& className, QWidget* parent,
                                    const QString& name) {
    QWidget* w = nullptr;
    if (className == u"GraphWidget") {
        w = new GraphWidget(parent);
    } else if (className == u"LedIndicator") {
        w = new LedIndicator(parent);
    } else if (className == u"BinarySwitch") {
        w = new BinarySwitch(parent);
    } else {
        return QUiLoader::createWidget(className, parent, name);
    }
    w->setObjectName(name);
    return w;
}

}  // namespace korvo::ui
