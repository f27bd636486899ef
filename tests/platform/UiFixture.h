#pragma once
// A small layout file written for the tests (two panels: a main panel with one control of every
// kind and a tab control, and a port panel), a platform with the main panel loaded from it, and a
// recorder of callback events.

#include <gtest/gtest.h>

#include <QFile>
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

// <property name="name"><type>value</type></property>; dynamic properties carry stdset="0".
inline QString prop(const char* name, const char* type, const QString& v, bool dynamic = false) {
    return QStringLiteral("<property name=\"%1\"%2><%3>%4</%3></property>")
        .arg(QLatin1String(name), dynamic ? " stdset=\"0\"" : "", QLatin1String(type),
             v.toHtmlEscaped());
}

inline QString geometry(QRect g) {
    return QStringLiteral(
               "<property name=\"geometry\"><rect><x>%1</x><y>%2</y><width>%3</width>"
               "<height>%4</height></rect></property>")
        .arg(g.x())
        .arg(g.y())
        .arg(g.width())
        .arg(g.height());
}

inline QString items(const QStringList& labels) {
    QString xml;
    for (const QString& l : labels) xml += "<item>" + prop("text", "string", l) + "</item>";
    return xml;
}

inline QString text(const char* t) {
    return prop("text", "string", t);
}

// A control: class, object name, geometry, control id, callback (may be empty), more XML.
inline QString control(const char* cls, const char* name, QRect g, int id, const QString& callback,
                       const QString& more = {}) {
    QString xml = QStringLiteral("<widget class=\"%1\" name=\"%2\">")
                      .arg(QLatin1String(cls), QLatin1String(name));
    xml += geometry(g) + prop("ctrlId", "number", QString::number(id), true);
    if (!callback.isEmpty()) xml += prop("callback", "string", callback, true);
    return xml + prop("accessibleName", "string", name) + more + "</widget>";
}

inline QString panel(const char* name, QRect g, int resource, const QString& body) {
    return QStringLiteral("<widget class=\"QWidget\" name=\"%1\">").arg(QLatin1String(name)) +
           geometry(g) + prop("resourceId", "number", QString::number(resource), true) + body +
           "</widget>";
}

inline QString page(const char* name, const char* title, const char* box) {
    return QStringLiteral(
               "<widget class=\"QWidget\" name=\"%1\"><attribute name=\"title\">"
               "<string>%2</string></attribute>")
               .arg(QLatin1String(name), QLatin1String(title)) +
           control("QCheckBox", box, {5, 5, 120, 22}, P_ENABLE, "CB_CTRL", text("enable")) +
           "</widget>";
}

// The layout document used by the tests. runCallback: the RUN button's callback name;
// extraCallback: one more control on the port panel bound to that name (to test unknown names).
inline QByteArray testLayout(const QString& runCallback = "CB_CTRL",
                             const QString& extraCallback = {}) {
    const QString cb = QStringLiteral("CB_CTRL");
    const QString checkable = prop("checkable", "bool", "true");
    const QString manual = prop("autoExclusive", "bool", "false");
    const QString readOnly = prop("readOnly", "bool", "true");
    QString main =
        prop("windowTitle", "string", "Main panel") + prop("callback", "string", "CB_PANEL", true);
    // The slider (second row) and the second radio come first: the focus order is the reading
    // order, not the order of the file.
    main +=
        control("QSlider", "slider", {390, 40, 120, 24}, C_SLIDER, cb,
                prop("orientation", "enum", "Qt::Horizontal") + prop("maximum", "number", "100"));
    main += control("QPushButton", "run", {10, 10, 80, 24}, C_RUN, runCallback, text("RUN"));
    main +=
        control("QPushButton", "toggle", {100, 10, 80, 24}, C_TOGGLE, cb, checkable + text("ZOOM"));
    main += control("QCheckBox", "check", {190, 10, 100, 22}, C_CHECK, cb, text("check"));
    main +=
        control("QRadioButton", "radioB", {390, 8, 80, 22}, C_RADIO_B, cb, manual + text("EEPROM"));
    main +=
        control("QRadioButton", "radioA", {300, 10, 80, 22}, C_RADIO_A, cb, manual + text("RAM"));
    main +=
        control("QSpinBox", "num", {10, 40, 80, 24}, C_NUM, cb, prop("maximum", "number", "5000"));
    main += control("QDoubleSpinBox", "dbl", {100, 40, 100, 24}, C_DBL, cb,
                    prop("decimals", "number", "3") + prop("maximum", "double", "1000"));
    main += control("QComboBox", "ring", {210, 40, 80, 24}, C_RING, cb,
                    prop("ringValues", "string", "1,2,4,8", true) + items({"A", "B", "C", "D"}));
    main +=
        control("QComboBox", "ringPlain", {300, 40, 80, 24}, C_RING_PLAIN, {}, items({"X", "Y"}));
    main += control("QLineEdit", "status", {10, 70, 300, 22}, C_STATUS, {}, readOnly);
    main += control("QPlainTextEdit", "box", {10, 100, 200, 80}, C_BOX, cb, readOnly);
    main += control("BinarySwitch", "binsw", {250, 100, 160, 22}, C_SWITCH, cb,
                    prop("onLabel", "string", "HIGH") + prop("offLabel", "string", "LOW"));
    main += control("GraphWidget", "graph", {10, 190, 300, 150}, C_GRAPH, cb,
                    prop("yMin", "double", "0") + prop("yMax", "double", "1"));
    main += control("QTabWidget", "tab", {320, 190, 300, 150}, C_TAB, {},
                    page("page0", "One", "enable0") + page("page1", "Two", "enable1"));
    main += control("QLabel", "picture", {420, 100, 50, 50}, C_PICTURE, {});

    QString port =
        control("QSpinBox", "com", {0, 0, 60, 24}, PORT_COM, {}, prop("maximum", "number", "255"));
    port += control("QCheckBox", "enable", {140, 0, 50, 24}, PORT_ENABLE, cb, text("P1"));
    if (!extraCallback.isEmpty())
        port += control("QPushButton", "extra", {0, 0, 10, 10}, 9, extraCallback);

    QString doc = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui version=\"4.0\">\n<class>Root</class>\n"
        "<widget class=\"QWidget\" name=\"root\">");
    doc += geometry({0, 0, 800, 600}) + panel("mainPanel", {10, 20, 640, 480}, RES_MAIN, main) +
           panel("portPanel", {0, 500, 280, 26}, RES_PORT, port);
    // A plain child of the root that is not a panel resource.
    doc += "<widget class=\"QLabel\" name=\"note\"/></widget>\n<customwidgets>";
    for (const char* cls : {"BinarySwitch", "GraphWidget"})
        doc += QStringLiteral(
                   "<customwidget><class>%1</class><extends>QWidget</extends><header>%1.h</header>"
                   "</customwidget>")
                   .arg(QLatin1String(cls));
    return (doc + "</customwidgets>\n</ui>\n").toUtf8();
}

class UiFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ui = std::make_unique<Platform>(dir.path());
        auto record = [this](int panel, int ctrl, int event, void*, int d1, int) {
            events.push_back(Recorded{panel, ctrl, event, d1});
            return 0;
        };
        ui->registerCallback(QStringLiteral("CB_CTRL"), record);
        ui->registerCallback(QStringLiteral("CB_PANEL"), record);
        layout = writeLayout(QStringLiteral("test-layout.uir"), testLayout());
        main = ui->loadPanel(0, layout, RES_MAIN);
        ASSERT_GE(main, 1);
    }
    void TearDown() override { ui.reset(); }
    // Writes a layout file into the temporary program directory; returns its bare name.
    QString writeLayout(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return name;
    }
    // Events of one panel/control, in order.
    std::vector<int> eventsOf(int panel, int ctrl) const {
        std::vector<int> out;
        for (const Recorded& r : events)
            if (r.panel == panel && r.ctrl == ctrl) out.push_back(r.event);
        return out;
    }

    QTemporaryDir dir;
    std::unique_ptr<Platform> ui;
    std::vector<Recorded> events;
    QString layout;  // bare file name of the test layout
    int main = 0;    // its main panel
};

}  // namespace korvo::ui::test
