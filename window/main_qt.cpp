#include <QApplication>
#include <QIcon>

#include "window/main_window_qt.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pellwick");
    QApplication::setDesktopFileName("pellwick");
    QApplication::setWindowIcon(QIcon(":/pellwick.svg"));
    window::MainWindow frmMain;
    frmMain.show();
    return QApplication::exec();
}
