#include <QApplication>
#include <QDir>
#include <QIcon>

#include "window/main_window_qt.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pellwick");
    QApplication::setDesktopFileName("pellwick");
    QIcon icon;
    for (const QFileInfo& image : QDir(":/icons").entryInfoList()) icon.addFile(image.filePath());
    QApplication::setWindowIcon(icon);
    window::MainWindow frmMain;
    frmMain.show();
    frmMain.OpenArguments(QApplication::arguments().mid(1));
    return QApplication::exec();
}
