#pragma once
// A small layout file written for the tests (two panels: a main panel with one control of every
// kind and a tab control, and a port panel), a platform on it and a recorder of callback events.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "support/QtPrinters.h"
#include "ui/Platform.h"

namespace korvo::ui::test {

enum Resource : int { RES_MAIN = 1, RES_PORT = 2 };
// Main panel controls, numbered in reading order
enum MainCtrl : int {
    C_RUN = 2,
    C_TOGGLE,
    C_CHECK,
    C_RADIO_A,
    C_RADIO_B,
    C_NUM,
    C_DBL,
    C_RING,
    C_RING_PLAIN,
    C_SLIDER,
    C_STATUS,
    C_BOX,
    C_SWITCH,
    C_GRAPH,
    C_TAB,
    C_PICTURE
};
// P_ENABLE on each tab page; the rest on the port panel
enum OtherCtrl : int { P_ENABLE = 2, PORT_COM = 2, PORT_ENABLE = 4 };

struct Recorded {
    int panel, ctrl, event, data1;
    bool operator==(const Recorded&) const = default;
};

// The layout document used by the tests. runCallback: the RUN button's callback name;
// extraCallback: one more control on the port panel bound to that name (to test unknown names).
QByteArray testLayout(const QString& runCallback = "CB_CTRL", const QString& extraCallback = {});

class UiFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { ui.reset(); }
    // Writes a layout file into the temporary program directory; returns its bare name.
    QString writeLayout(const QString& name, const QByteArray& bytes);
    // Events of one panel/control, in order.
    std::vector<int> eventsOf(int panel, int ctrl) const;

    QTemporaryDir dir;
    std::unique_ptr<Platform> ui;
    std::vector<Recorded> events;
    QString layout;  // bare file name of the test layout
};

}  // namespace korvo::ui::test
