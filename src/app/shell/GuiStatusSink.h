#pragma once
// Shows the outcome texts of link operations on the scope window: the main panel's status line,
// the connect pop-up's status line and the port-number indicator.

#include "app/shell/Panels.h"
#include "core/link/StatusSink.h"

namespace korvo::ui {
class Platform;
}

namespace korvo {

class GuiStatusSink final : public StatusSink {
public:
    GuiStatusSink(ui::Platform& ui, const Panels& panels) : ui_(ui), panels_(panels) {}
    void showStatus(const QString& text, StatusLine where) override;
    void showPortNumber(int port) override;
    // Into the main status line's tool tip.
    void showDetail(const QString& detail) override;

private:
    ui::Platform& ui_;
    const Panels& panels_;
};

}  // namespace korvo
