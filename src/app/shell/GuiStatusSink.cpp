#include "app/shell/GuiStatusSink.h"

#include "app/shell/ControlIds.h"
#include "ui/Platform.h"

namespace korvo {

void GuiStatusSink::showStatus(const QString& text, StatusLine where) {
    const int lines = static_cast<int>(where);
    // Before start-up has loaded the scope window there is nowhere to show anything.
    if ((lines & static_cast<int>(StatusLine::Main)) && panels_.main > 0) {
        ui_.setText(panels_.main, ids::MAIN_STATUS, text);
        // A detail that explained the previous text (a file path, a reason) does not belong to
        // the new one.
        ui_.setToolTip(panels_.main, ids::MAIN_STATUS, QString());
    }
    if ((lines & static_cast<int>(StatusLine::Popup)) && panels_.connect > 0)
        ui_.setText(panels_.connect, ids::CON_STATUS, text);
}

void GuiStatusSink::showDetail(const QString& detail) {
    if (panels_.main > 0) ui_.setToolTip(panels_.main, ids::MAIN_STATUS, detail);
}

void GuiStatusSink::showPortNumber(int port) {
    if (panels_.main > 0) ui_.setInt(panels_.main, ids::MAIN_PORTNUM, port);
}

}  // namespace korvo
