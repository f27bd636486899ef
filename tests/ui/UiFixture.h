#pragma once
// A small layout file written for the tests (two panels: a main panel with one control of every
// kind and a tab control, and a port panel), a platform on it and a recorder of callback events.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "QtPrinters.h"
#include "ui/Platform.h"

namespace korvo::ui::test {

inline constexpr int RES_MAIN = 1;
inline constexpr int RES_PORT = 2;

// Main panel controls
inline constexpr int C_RUN = 2;
inline constexpr int C_TOGGLE = 3;
inline constexpr int C_CHECK = 4;
inline constexpr int C_RADIO_A = 5;
inline constexpr int C_RADIO_B = 6;
inline constexpr int C_NUM = 7;
inline constexpr int C_DBL = 8;
inline constexpr int C_RING = 9;
inline constexpr int C_RING_PLAIN = 10;
inline constexpr int C_SLIDER = 11;
inline constexpr int C_STATUS = 12;
inline constexpr int C_BOX = 13;
inline constexpr int C_LED = 14;
inline constexpr int C_SWITCH = 15;
inline constexpr int C_GRAPH = 16;
inline constexpr int C_TAB = 17;
inline constexpr int C_PICTURE = 18;
inline constexpr int C_READOUT = 19;
// On each tab page
inline constexpr int P_ENABLE = 2;
// Port panel
inline constexpr int PORT_COM = 2;
inline constexpr int PORT_ENABLE = 4;
inline constexpr int PORT_SCOPE = 5;

struct Recorded {
    int panel;
    int ctrl;
    int event;
    int data1;
    bool operator==(const Recorded&) const = default;
};

// The layout document used by the tests. extraCallback: one more control on the port panel bound
// to that callback name (to test unknown names).
QByteArray testLayout(const QString& extraCallback = {});

class UiFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a layout file into the temporary program directory; returns its bare name.
    QString writeLayout(const QString& name, const QByteArray& bytes);

    // Events of one panel/control, in order.
    std::vector<int> eventsOf(int panel, int ctrl) const;

    QTemporaryDir dir;
    std::unique_ptr<Platform> ui;
    std::vector<Recorded> events;
    QString layout;  // bare file name of the test layout
    // What the panel callback does on EVENT_CLOSE
    bool hideOnClose = false;
};

}  // namespace korvo::ui::test
