#pragma once
// Layout files read once: each file's bytes are split into one small Designer document per panel
// resource, so that loading the same panel a hundred times parses only that panel.

#include <QByteArray>
#include <QRect>
#include <QString>
#include <map>

namespace korvo::ui {

class LayoutCache {
public:
    enum Status { Ok = 0, FileMissing, BadLayout, ResourceMissing };

    struct Lookup {
        Status status = FileMissing;
        QByteArray document;  // a complete Designer document whose top widget is the panel
        QRect geometry;       // the panel's stored position and size (null when not given)
    };

    // path: absolute path of the layout file. The file is read on first use only.
    Lookup panelDocument(const QString& path, int resourceId);

    // Forgets every file read so far (a changed file is read again on the next lookup).
    void clear() { files_.clear(); }

private:
    struct Panel {
        QByteArray document;
        QRect geometry;
    };
    struct File {
        Status status = FileMissing;
        std::map<int, Panel> panels;  // by resource number
    };
    static File split(const QByteArray& bytes);
    std::map<QString, File> files_;
};

}  // namespace korvo::ui
