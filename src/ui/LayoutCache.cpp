#include "ui/LayoutCache.h"

#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <QtDebug>

namespace korvo::ui {
namespace {

// What the copy of a panel's element learns on the way: its resource number and stored geometry,
// read from its direct <property> children.
struct PanelInfo {
    int resourceId = -1;
    QRect geometry;
};

// Copies the element the reader stands on (a start element) with everything inside it.
void copyElement(QXmlStreamReader& r, QXmlStreamWriter& w, PanelInfo* info) {
    int depth = 0;
    QString property;  // name of the direct child <property> being read
    QString text;
    int x = 0, y = 0, width = 0, height = 0;
    while (!r.atEnd()) {
        switch (r.tokenType()) {
            case QXmlStreamReader::StartElement:
                if (info && depth == 1 && r.name() == u"property")
                    property = r.attributes().value(QLatin1String("name")).toString();
                text.clear();
                ++depth;
                break;
            case QXmlStreamReader::EndElement:
                --depth;
                if (info && !property.isEmpty()) {
                    bool ok = false;
                    const int v = text.trimmed().toInt(&ok);
                    if (property == u"resourceId" && depth == 2 && ok) info->resourceId = v;
                    if (property == u"geometry" && depth == 3 && ok) {
                        if (r.name() == u"x") x = v;
                        if (r.name() == u"y") y = v;
                        if (r.name() == u"width") width = v;
                        if (r.name() == u"height") height = v;
                    }
                    if (property == u"geometry" && depth == 1)
                        info->geometry = QRect(x, y, width, height);
                    if (depth == 1) property.clear();
                }
                text.clear();
                break;
            case QXmlStreamReader::Characters:
                text += r.text();
                break;
            default:
                break;
        }
        w.writeCurrentToken(r);
        if (depth == 0) return;
        r.readNext();
    }
}

struct Fragment {
    QByteArray xml;
    QRect geometry;
};

// Walks the children of the root widget (directly or through layout items) and captures every
// widget found there as one panel fragment.
void scanRootChildren(QXmlStreamReader& r, std::map<int, Fragment>& fragments) {
    while (r.readNextStartElement()) {
        if (r.name() == u"widget") {
            Fragment f;
            QXmlStreamWriter w(&f.xml);
            PanelInfo info;
            copyElement(r, w, &info);
            if (info.resourceId < 0) continue;  // a plain child of the root, not a panel resource
            if (fragments.count(info.resourceId)) {
                qWarning("layout: resource %d appears twice; the first one is used",
                         info.resourceId);
                continue;
            }
            f.geometry = info.geometry;
            fragments.emplace(info.resourceId, std::move(f));
        } else if (r.name() == u"layout" || r.name() == u"item") {
            scanRootChildren(r, fragments);
        } else {
            r.skipCurrentElement();
        }
    }
}

}  // namespace

LayoutCache::File LayoutCache::split(const QByteArray& bytes) {
    File file;
    file.status = BadLayout;
    QXmlStreamReader r(bytes);
    if (!r.readNextStartElement() || r.name() != u"ui") return file;

    std::map<int, Fragment> fragments;
    QByteArray shared;  // custom widget declarations and layout defaults, copied to every panel
    bool haveRoot = false;
    while (r.readNextStartElement()) {
        if (r.name() == u"widget" && !haveRoot) {
            haveRoot = true;
            scanRootChildren(r, fragments);
        } else if (r.name() == u"customwidgets" || r.name() == u"layoutdefault" ||
                   r.name() == u"layoutfunction") {
            QXmlStreamWriter w(&shared);
            copyElement(r, w, nullptr);
        } else {
            r.skipCurrentElement();
        }
    }
    if (r.hasError() || !haveRoot) {
        qWarning() << "layout: cannot read the layout:" << r.errorString() << "at line"
                   << r.lineNumber();
        return file;
    }
    for (auto& [id, fragment] : fragments) {
        Panel panel;
        QByteArray& doc = panel.document;
        doc.reserve(fragment.xml.size() + shared.size() + 128);
        doc +=
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui version=\"4.0\">\n"
            "<class>Panel</class>\n";
        doc += fragment.xml;
        doc += '\n';
        doc += shared;
        doc += "\n</ui>\n";
        panel.geometry = fragment.geometry;
        file.panels.emplace(id, std::move(panel));
    }
    file.status = Ok;
    return file;
}

LayoutCache::Lookup LayoutCache::panelDocument(const QString& path, int resourceId) {
    auto it = files_.find(path);
    if (it == files_.end()) {
        // A missing file is not remembered: it may be put in place later.
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) return Lookup{FileMissing, {}, {}};
        it = files_.emplace(path, split(f.readAll())).first;
    }
    const File& file = it->second;
    Lookup result;
    if (file.status != Ok) {
        result.status = file.status;
        return result;
    }
    auto panel = file.panels.find(resourceId);
    if (panel == file.panels.end()) {
        result.status = ResourceMissing;
        return result;
    }
    result.status = Ok;
    result.document = panel->second.document;
    result.geometry = panel->second.geometry;
    return result;
}

}  // namespace korvo::ui
