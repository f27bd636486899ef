#include "app/shell/CallbackRegistry.h"

#include "app/shell/ScopeApp.h"
#include "ui/Events.h"
#include "ui/Platform.h"

namespace korvo {

void bindCallback(ScopeApp& app, const QString& name, AppCallback fn) {
    app.ui.registerCallback(name, [&app, fn, name](int panel, int control, int event, void* data,
                                                   int eventData1, int eventData2) {
        if (event == ui::EVENT_RIGHT_CLICK && app.hooks.toggleHelp &&
            app.hooks.toggleHelp(name, panel, control))
            return 0;
        return fn(app, panel, control, event, data, eventData1, eventData2);
    });
}

}  // namespace korvo
