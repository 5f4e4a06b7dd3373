#include <QApplication>
#include <QDir>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

#include "runtime/worker_pool.h"
#include "window/main_window_qt.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pellwick");
    QApplication::setDesktopFileName("pellwick");
    QIcon icon;
    for (const QFileInfo& image : QDir(":/icons").entryInfoList()) icon.addFile(image.filePath());
    QApplication::setWindowIcon(icon);
    int code = 0;
    {
        window::MainWindow frmMain;
        frmMain.show();
        frmMain.OpenArguments(QApplication::arguments().mid(1));
        code = QApplication::exec();
    }
    // A read that the person gave up on may still hang on slow media: end without waiting for
    // it, and without running static destructors under it.
    if (runtime::WorkersBusy()) {
        (void)std::fflush(nullptr);  // nothing is left to report a failure to
        std::quick_exit(code);
    }
    return code;
}
