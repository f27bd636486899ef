#include "UiFixture.h"

#include <QFile>

namespace korvo::ui::test {
namespace {

QString esc(const QString& s) {
    return s.toHtmlEscaped();
}

QString geometry(int x, int y, int w, int h) {
    return QStringLiteral(
               "<property name=\"geometry\"><rect><x>%1</x><y>%2</y><width>%3</width>"
               "<height>%4</height></rect></property>")
        .arg(x)
        .arg(y)
        .arg(w)
        .arg(h);
}

QString dynNumber(const char* name, int v) {
    return QStringLiteral("<property name=\"%1\" stdset=\"0\"><number>%2</number></property>")
        .arg(QLatin1String(name))
        .arg(v);
}

QString dynString(const char* name, const QString& v) {
    return QStringLiteral("<property name=\"%1\" stdset=\"0\"><string>%2</string></property>")
        .arg(QLatin1String(name), esc(v));
}

QString prop(const char* name, const char* type, const QString& v) {
    return QStringLiteral("<property name=\"%1\"><%2>%3</%2></property>")
        .arg(QLatin1String(name), QLatin1String(type), esc(v));
}

// A control: class, object name, geometry, control id, callback (may be empty), more XML.
QString control(const char* cls, const char* name, QRect g, int id, const QString& callback,
                const QString& more = {}) {
    QString xml = QStringLiteral("<widget class=\"%1\" name=\"%2\">")
                      .arg(QLatin1String(cls), QLatin1String(name));
    xml += geometry(g.x(), g.y(), g.width(), g.height());
    xml += dynNumber("ctrlId", id);
    if (!callback.isEmpty()) xml += dynString("callback", callback);
    xml += prop("accessibleName", "string", QLatin1String(name));
    xml += more;
    xml += QLatin1String("</widget>");
    return xml;
}

QString items(const QStringList& labels) {
    QString xml;
    for (const QString& l : labels) xml += "<item>" + prop("text", "string", l) + "</item>";
    return xml;
}

}  // namespace

QByteArray testLayout(const QString& extraCallback) {
    const QString cb = QStringLiteral("CB_CTRL");
    QString page0 = QStringLiteral(
        "<widget class=\"QWidget\" name=\"page0\">"
        "<attribute name=\"title\"><string>One</string></attribute>");
    page0 += control("QCheckBox", "enable0", {5, 5, 120, 22}, P_ENABLE, cb,
                     prop("text", "string", "enable"));
    page0 += "</widget>";
    QString page1 = QStringLiteral(
        "<widget class=\"QWidget\" name=\"page1\">"
        "<attribute name=\"title\"><string>Two</string></attribute>");
    page1 += control("QCheckBox", "enable1", {5, 5, 120, 22}, P_ENABLE, cb,
                     prop("text", "string", "enable"));
    page1 += "</widget>";

    QString main = QStringLiteral("<widget class=\"QWidget\" name=\"mainPanel\">");
    main += geometry(10, 20, 640, 480);
    main += prop("windowTitle", "string", "Main panel");
    main += dynNumber("resourceId", RES_MAIN);
    main += dynString("callback", "CB_PANEL");
    main +=
        control("QPushButton", "run", {10, 10, 80, 24}, C_RUN, cb, prop("text", "string", "RUN"));
    main += control("QPushButton", "toggle", {100, 10, 80, 24}, C_TOGGLE, cb,
                    prop("checkable", "bool", "true") + prop("text", "string", "ZOOM"));
    main += control("QCheckBox", "check", {190, 10, 100, 22}, C_CHECK, cb,
                    prop("text", "string", "check"));
    main += control("QRadioButton", "radioA", {300, 10, 80, 22}, C_RADIO_A, cb,
                    prop("autoExclusive", "bool", "false") + prop("text", "string", "RAM"));
    main += control("QRadioButton", "radioB", {390, 10, 80, 22}, C_RADIO_B, cb,
                    prop("autoExclusive", "bool", "false") + prop("text", "string", "EEPROM"));
    main +=
        control("QSpinBox", "num", {10, 40, 80, 24}, C_NUM, cb, prop("maximum", "number", "5000"));
    main += control("QDoubleSpinBox", "dbl", {100, 40, 100, 24}, C_DBL, cb,
                    prop("decimals", "number", "3") + prop("maximum", "double", "1000"));
    main += control("QComboBox", "ring", {210, 40, 80, 24}, C_RING, cb,
                    dynString("ringValues", "1,2,4,8") + items({"A", "B", "C", "D"}));
    main +=
        control("QComboBox", "ringPlain", {300, 40, 80, 24}, C_RING_PLAIN, {}, items({"X", "Y"}));
    main +=
        control("QSlider", "slider", {390, 40, 120, 24}, C_SLIDER, cb,
                prop("orientation", "enum", "Qt::Horizontal") + prop("maximum", "number", "100"));
    main += control("QLineEdit", "status", {10, 70, 300, 22}, C_STATUS, {},
                    prop("readOnly", "bool", "true"));
    main += control("QPlainTextEdit", "box", {10, 100, 200, 80}, C_BOX, cb,
                    prop("readOnly", "bool", "true"));
    main += control("LedIndicator", "led", {220, 100, 16, 16}, C_LED, {});
    main += control("BinarySwitch", "binsw", {250, 100, 160, 22}, C_SWITCH, cb,
                    prop("onLabel", "string", "HIGH") + prop("offLabel", "string", "LOW"));
    main += control("GraphWidget", "graph", {10, 190, 300, 150}, C_GRAPH, cb,
                    prop("yMin", "double", "0") + prop("yMax", "double", "1"));
    main += control("QTabWidget", "tab", {320, 190, 300, 150}, C_TAB, {}, page0 + page1);
    main += control("QLabel", "picture", {420, 100, 50, 50}, C_PICTURE, {});
    main += control("QSpinBox", "readout", {520, 100, 80, 22}, C_READOUT, {},
                    prop("readOnly", "bool", "true") +
                        prop("buttonSymbols", "enum", "QAbstractSpinBox::NoButtons"));
    main += "</widget>";

    QString port = QStringLiteral("<widget class=\"QWidget\" name=\"portPanel\">");
    port += geometry(0, 500, 280, 26);
    port += dynNumber("resourceId", RES_PORT);
    port +=
        control("QSpinBox", "com", {0, 0, 60, 24}, PORT_COM, {}, prop("maximum", "number", "255"));
    port += control("QComboBox", "baud", {65, 0, 70, 24}, 3, {},
                    items({"9600", "19200", "38400", "57600", "115200"}));
    port += control("QCheckBox", "enable", {140, 0, 50, 24}, PORT_ENABLE, cb,
                    prop("text", "string", "P1"));
    port += control("QPushButton", "scope", {195, 0, 40, 24}, PORT_SCOPE, cb,
                    prop("checkable", "bool", "true") + prop("text", "string", "S"));
    port += control("QLineEdit", "portStatus", {240, 0, 40, 24}, 6, {},
                    prop("readOnly", "bool", "true"));
    if (!extraCallback.isEmpty())
        port += control("QPushButton", "extra", {0, 0, 10, 10}, 9, extraCallback);
    port += "</widget>";

    QString doc = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui version=\"4.0\">\n<class>Root</class>\n"
        "<widget class=\"QWidget\" name=\"root\">");
    doc += geometry(0, 0, 800, 600);
    doc += main + port;
    // A plain child of the root that is not a panel resource.
    doc += "<widget class=\"QLabel\" name=\"note\"/>";
    doc += "</widget>\n<customwidgets>";
    for (const char* cls : {"LedIndicator", "BinarySwitch", "GraphWidget"})
        doc += QStringLiteral(
                   "<customwidget><class>%1</class><extends>QWidget</extends><header>%1.h</header>"
                   "</customwidget>")
                   .arg(QLatin1String(cls));
    doc += "</customwidgets>\n</ui>\n";
    return doc.toUtf8();
}

void UiFixture::SetUp() {
    ASSERT_TRUE(dir.isValid());
    ui = std::make_unique<Platform>(dir.path());
    auto record = [this](int panel, int ctrl, int event, void*, int d1, int) {
        events.push_back(Recorded{panel, ctrl, event, d1});
        if (ctrl == 0 && event == EVENT_CLOSE && hideOnClose) ui->hidePanel(panel);
        return 0;
    };
    ui->registerCallback(QStringLiteral("CB_CTRL"), record);
    ui->registerCallback(QStringLiteral("CB_PANEL"), record);
    layout = writeLayout(QStringLiteral("test-layout.uir"), testLayout());
}

void UiFixture::TearDown() {
    ui.reset();
}

QString UiFixture::writeLayout(const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return name;
}

std::vector<int> UiFixture::eventsOf(int panel, int ctrl) const {
    std::vector<int> out;
    for (const Recorded& r : events)
        if (r.panel == panel && r.ctrl == ctrl) out.push_back(r.event);
    return out;
}

}  // namespace korvo::ui::test
