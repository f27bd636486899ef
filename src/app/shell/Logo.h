#pragma once
// The scope window's header: the coloured strip, the vendor logo and the texts created on it.

#include <QColor>
#include <QString>

namespace korvo {

struct ScopeApp;

// mode 0: neutral header without logo; 1 and 2: the two vendor headers. Start-up uses 2.
void ShowLogo(ScopeApp& app, unsigned int mode);

// Creates one text control on the main panel at (left, top) in the dialog font with the given
// colours and point size; its tool tip carries the build text. Returns the new control's id.
int ShowInfoText(ScopeApp& app, QRgb textColor, QRgb backColor, const QString& text, int left,
                 int top, int pointSize);

}  // namespace korvo
