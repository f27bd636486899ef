// Build tool: the application icon from the program's logo bitmap. The logo is centred on a
// square of its own background colour and scaled to each size asked for, one PNG per size.
// usage: korvo_logo_icon LOGO.bmp OUT_DIR NAME SIZE...  ->  OUT_DIR/SIZExSIZE/NAME.png

#include <QDir>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fputs("usage: korvo_logo_icon LOGO.bmp OUT_DIR NAME SIZE...\n", stderr);
        return 2;
    }
    const QImage logo(QString::fromLocal8Bit(argv[1]));
    if (logo.isNull()) {
        std::fprintf(stderr, "korvo_logo_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    // A margin of one tenth keeps the picture off the icon's edge.
    const int side = std::max(logo.width(), logo.height()) * 12 / 10;
    QImage square(side, side, QImage::Format_ARGB32);
    square.fill(logo.pixelColor(0, 0));
    {
        QPainter p(&square);
        p.drawImage((side - logo.width()) / 2, (side - logo.height()) / 2, logo);
    }
    const QDir out(QString::fromLocal8Bit(argv[2]));
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size <= 0) {
            std::fprintf(stderr, "korvo_logo_icon: '%s' is no size\n", argv[i]);
            return 2;
        }
        const QString dir = QStringLiteral("%1x%1").arg(size);
        // Pixel art: enlarged by whole pixels first, so that only a reduction smooths its edges.
        const int k = (size + side - 1) / side;
        const QImage icon =
            square.scaled(side * k, side * k)
                .scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!out.mkpath(dir) || !icon.save(out.filePath(dir + QLatin1Char('/') + name + ".png"))) {
            std::fprintf(stderr, "korvo_logo_icon: cannot write the %d pixel icon\n", size);
            return 1;
        }
    }
    return 0;
}
