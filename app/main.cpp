// Kavu: the sheets of the 1942-system topographic map series, by number or by point.
#include "mainwindow/frmMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("kavu"));
    // The tables are compile-time constants, so the window is all there is to start.
    kavu::frmMain window;
    window.show();
    return app.exec();
}
