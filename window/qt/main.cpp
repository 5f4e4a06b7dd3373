#include <QApplication>
#include <QIcon>

#include "window/qt/MainWindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pellwick");
    QApplication::setDesktopFileName("pellwick");
    QApplication::setWindowIcon(QIcon(":/pellwick.svg"));
    window::MainWindow frmMain;
    frmMain.show();
    return QApplication::exec();
}
