#include "mainwindow/Pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace kavu {
namespace {

QColor Ink(bool enabled) {
    return enabled ? QColor(0, 0, 0) : QColor(128, 128, 128);
}

QPixmap Blank(int w, int h) {
    QPixmap p(w, h);
    p.fill(Qt::transparent);
    return p;
}

// The page outline with its folded top-right corner.
void DrawPage(QPainter& g, bool enabled) {
    QPainterPath page;
    page.moveTo(0.5, 0.5);
    page.lineTo(7.5, 0.5);
    page.lineTo(11.5, 4.5);
    page.lineTo(11.5, 13.5);
    page.lineTo(0.5, 13.5);
    page.closeSubpath();
    g.setPen(QPen(Ink(enabled), 1));
    g.setBrush(enabled ? QColor(255, 255, 255) : QColor(224, 224, 224));
    g.drawPath(page);
    g.drawLine(QPointF(7.5, 0.5), QPointF(7.5, 4.5));
    g.drawLine(QPointF(7.5, 4.5), QPointF(11.5, 4.5));
}

} // namespace

QPixmap KeepPicture(bool enabled) {
    QPixmap p = Blank(12, 14);
    QPainter g(&p);
    DrawPage(g, enabled);
    g.setPen(QPen(enabled ? QColor(0, 0, 160) : QColor(128, 128, 128), 1));
    for (int y = 6; y <= 11; y += 2)
        g.drawLine(2, y, 9, y);
    g.drawLine(2, 3, 5, 3);
    return p;
}

QPixmap ClearPicture(bool enabled) {
    QPixmap p = Blank(12, 14);
    QPainter g(&p);
    DrawPage(g, enabled);
    return p;
}

QPixmap GridPicture(int cell) {
    QPixmap p = Blank(16, 16);
    QPainter g(&p);
    const int c = cell - 1;
    if (c >= 0 && c < 9) g.fillRect(1 + (c % 3) * 5, 1 + (c / 3) * 5, 5, 5, QColor(0, 0, 128));
    g.setPen(QPen(QColor(0, 0, 0), 1));
    for (int i = 0; i <= 3; ++i) {
        g.drawLine(QPointF(0.5 + i * 5, 0.5), QPointF(0.5 + i * 5, 15.5));
        g.drawLine(QPointF(0.5, 0.5 + i * 5), QPointF(15.5, 0.5 + i * 5));
    }
    return p;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap p = Blank(size, size);
        QPainter g(&p);
        g.setRenderHint(QPainter::Antialiasing);
        g.scale(size / 32.0, size / 32.0);
        g.setPen(QPen(QColor(40, 60, 90), 1.5));
        g.setBrush(QColor(236, 242, 226));
        g.drawRect(QRectF(2.5, 2.5, 27, 27));
        g.setPen(QPen(QColor(90, 120, 150), 1));
        for (int i = 1; i < 3; ++i) {
            g.drawLine(QPointF(2.5 + i * 9, 2.5), QPointF(2.5 + i * 9, 29.5));
            g.drawLine(QPointF(2.5, 2.5 + i * 9), QPointF(29.5, 2.5 + i * 9));
        }
        g.fillRect(QRectF(11.5, 11.5, 9, 9), QColor(255, 192, 128));
        g.setPen(Qt::NoPen);
        g.setBrush(QColor(200, 0, 0));
        g.drawEllipse(QPointF(16, 16), 3, 3);
        icon.addPixmap(p);
    }
    return icon;
}

QIcon ButtonIcon(const QPixmap& normal, const QPixmap& disabled) {
    QIcon icon;
    icon.addPixmap(normal, QIcon::Normal);
    icon.addPixmap(disabled, QIcon::Disabled);
    return icon;
}

} // namespace kavu
