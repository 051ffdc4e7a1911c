// Qt SVG for the map's "Save image…", in a module loaded when a picture is first saved as SVG,
// so that the program starts without the library.
#include <QFileInfo>
#include <QPainter>
#include <QSize>
#include <QString>
#include <QSvgGenerator>

#include <functional>

extern "C" bool KavuMapWriteSvg(const QString& path, const QSize& size, const QString& title,
                                const std::function<void(QPainter&)>& paint) {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(title);
    QPainter p;
    if (!p.begin(&svg)) return false;
    paint(p);
    // The generator tells nothing of a failed write: the file tells.
    return p.end() && QFileInfo(path).isFile() && QFileInfo(path).size() > 0;
}
