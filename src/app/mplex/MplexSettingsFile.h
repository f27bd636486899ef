#pragma once
// "MPLEX16.ini" and other multiplexer settings files: reading them into the port table and the
// multiplexer window, writing them from it, and the window's save and load buttons.

#include <QString>

#include "core/ini/FileWrite.h"

namespace korvo {

struct ScopeApp;

// Applies every key the file holds: panel geometry, general values, group states, ports; then
// shows every port record and group switch and dims the groups. A missing or unreadable file
// changes nothing. Returns whether the file was read.
bool ReadIniFile(ScopeApp& app, const QString& path);

// Reads the window's geometry, general fields, group switches and every port's controls back
// into the table and writes the whole file anew. The old file stays when writing fails.
FileWriteResult WriteIniFile(ScopeApp& app, const QString& path);

int CC_PICBTNsave(ScopeApp& app, int panel, int control, int event, void* callbackData,
                  int eventData1, int eventData2);
int CC_PICBTNloadfile(ScopeApp& app, int panel, int control, int event, void* callbackData,
                      int eventData1, int eventData2);

}  // namespace korvo
