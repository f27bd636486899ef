#include "app/shell/Logo.h"

#include <QApplication>
#include <QFont>
#include <QWidget>
#include <array>

#include "app/shell/Colors.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

struct TextPos {
    int left;
    int top;
};

struct HeaderStyle {
    QRgb strip;
    const char* bitmap;  // nullptr: no logo picture
    TextPos logo;
    std::array<TextPos, 3> linePos;  // the three lines beside the logo
    int linePoints;
    TextPos title;
    int titlePoints;
    TextPos version;
    int versionPoints;
    QRgb text;
    QRgb back;
};

// The three header styles.
const std::array<HeaderStyle, 3> kHeaders{{
    {kWhite, nullptr, {0, 0}, {}, 0, {20, 20}, 18, {170, 26}, 11, kGrey, kWhite},
    {kWhite,
     "ulmen.bmp",
     {700, 10},
     {{{410, 10}, {410, 26}, {410, 41}}},
     12,
     {30, 25},
     18,
     {180, 32},
     12,
     kBlack,
     kWhite},
    {kHeaderBlue,
     "orbi.bmp",
     {300, 10},
     {{{15, 10}, {15, 25}, {15, 40}}},
     11,
     {300, 35},
     18,
     {450, 42},
     11,
     kWhite,
     kHeaderBlue},
}};

// The three lines beside a logo: what the program is, its version and build, and where its
// manual is. Nothing else: the program has no maker's address or telephone number to show.
std::array<QString, 3> headerLines(const AppState& s) {
    return {QStringLiteral("Sets up and watches KORVO-KM laser line sensors"),
            s.versionText + QStringLiteral(", ") + s.buildText,
            QStringLiteral("Manual pages: korvo-km-scope(1), korvo(1)")};
}

}  // namespace

int ShowInfoText(ScopeApp& app, QRgb textColor, QRgb backColor, const QString& text, int left,
                 int top, int pointSize) {
    const int panel = app.panels.main;
    const int id = app.ui.newTextCtrl(panel, text, left, top);
    if (id <= 0) return id;
    if (QWidget* w = app.ui.ctrl(panel, id)) {
        // The platform's dialog font. The header's positions were laid out for a narrow font with
        // sizes counted in screen pixels: the size is taken as a pixel height and a condensed
        // face is preferred, else the title runs into the version text beside it.
        QFont font = QApplication::font("QMessageBox");
        font.setPixelSize(pointSize);
        font.setStretch(QFont::SemiCondensed);
        w->setFont(font);
        w->adjustSize();
    }
    app.ui.setTextColor(panel, id, textColor);
    app.ui.setBackgroundColor(panel, id, backColor);
    app.ui.setToolTip(panel, id, app.state.buildText);
    app.ui.bringToFront(panel, id);
    return id;
}

void ShowLogo(ScopeApp& app, unsigned int mode) {
    if (mode > 2) return;
    const HeaderStyle& h = kHeaders[mode];
    const int panel = app.panels.main;
    app.ui.setBackgroundColor(panel, ids::MAIN_HEADER, h.strip);

    if (h.bitmap) {
        // A missing bitmap leaves the picture empty; the header is still complete without it.
        app.ui.setCtrlPos(panel, ids::MAIN_LOGO, h.logo.left, h.logo.top);
        app.ui.setVisible(panel, ids::MAIN_LOGO, true);
        app.ui.displayImageFile(panel, ids::MAIN_LOGO,
                                app.state.files.dataFile(QString::fromLatin1(h.bitmap)));
        const std::array<QString, 3> lines = headerLines(app.state);
        for (int i = 0; i < 3; ++i)
            ShowInfoText(app, h.text, h.back, lines[i], h.linePos[i].left, h.linePos[i].top,
                         h.linePoints);
    } else {
        app.ui.setVisible(panel, ids::MAIN_LOGO, false);
    }
    ShowInfoText(app, h.text, h.back, app.state.titleText, h.title.left, h.title.top,
                 h.titlePoints);
    ShowInfoText(app, h.text, h.back, app.state.versionText, h.version.left, h.version.top,
                 h.versionPoints);
}

}  // namespace korvo
