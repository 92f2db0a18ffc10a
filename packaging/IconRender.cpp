// Build-time tool: renders the program's SVG icon into the PNG sizes a desktop looks for, and a
// Windows icon file holding the sizes Windows shows (16 to 256 pixels), for both programs' builds.
// Usage: torva-icon-render ICON.svg OUTPUT_DIR SIZE...
// (writes OUTPUT_DIR/SIZExSIZE/apps/NAME.png and OUTPUT_DIR/NAME.ico)
#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>

#include <cstdio>
#include <utility>

namespace {

// An .ico file whose pictures are PNGs (read by Windows since Vista): a header, one directory
// entry per picture, then the pictures.
bool writeIco(const QString &path, const QList<std::pair<int, QByteArray>> &pngs)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(pngs.size());
    quint32 offset = 6 + 16 * quint32(pngs.size());
    for (const auto &[size, png] : pngs) {
        const quint8 side = size >= 256 ? 0 : quint8(size); // 0 stands for 256
        out << side << side << quint8(0) << quint8(0) << quint16(1) << quint16(32) << quint32(png.size())
            << offset;
        offset += quint32(png.size());
    }
    for (const auto &entry : pngs)
        out.writeRawData(entry.second.constData(), int(entry.second.size()));
    return out.status() == QDataStream::Ok && file.commit();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: torva-icon-render ICON.svg OUTPUT_DIR SIZE...\n");
        return 2;
    }
    const QString svg = QString::fromLocal8Bit(argv[1]);
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "torva-icon-render: %s is not a valid SVG\n", argv[1]);
        return 1;
    }
    const QString base = QFileInfo(svg).completeBaseName();
    const QString name = base + QStringLiteral(".png");
    QList<std::pair<int, QByteArray>> icoPictures;
    for (int i = 3; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 8 || size > 1024) {
            std::fprintf(stderr, "torva-icon-render: bad size %s\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
        if (!QDir().mkpath(dir) || !image.save(dir + QLatin1Char('/') + name, "PNG")) {
            std::fprintf(stderr, "torva-icon-render: cannot write %s\n", qPrintable(dir));
            return 1;
        }
        if (size == 16 || size == 32 || size == 48 || size == 256) {
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            icoPictures.append({size, png});
        }
    }
    const QString ico = outDir + QLatin1Char('/') + base + QStringLiteral(".ico");
    if (!writeIco(ico, icoPictures)) {
        std::fprintf(stderr, "torva-icon-render: cannot write %s\n", qPrintable(ico));
        return 1;
    }
    return 0;
}
