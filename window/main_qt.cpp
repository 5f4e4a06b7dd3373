#include <QApplication>
#include <QDir>
#include <QIcon>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/worker_pool.h"
#include "window/main_window_qt.h"

int main(int argc, char** argv) {
    // Asked before any display is opened: `pellwick --help` works where there is none.
    if (const auto asked = window::frmMain::AskedBy(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
        asked != window::frmMain::Asked::kWindow) {
        const std::string text =
            asked == window::frmMain::Asked::kUsage ? window::frmMain::Usage() : window::frmMain::Version();
        return std::puts(text.c_str()) < 0 ? 1 : 0;
    }
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
