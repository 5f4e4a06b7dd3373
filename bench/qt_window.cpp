// The floor for the window start figure: Qt starting and showing a window of Pellwick's size
// with the same five controls and text in them (so fonts load as they do there), and nothing
// else: no settings, no engine, no digest.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::Tool);
    window.setWindowTitle("Reference");
    window.setFixedSize(489, 57);
    (new QLabel("File:", &window))->setGeometry(8, 8, 41, 17);
    (new QLineEdit("/home/user/Documents/release-1.0.tar.gz", &window))->setGeometry(48, 8, 409, 19);
    (new QPushButton("...", &window))->setGeometry(464, 8, 17, 17);
    (new QLabel("MD5:", &window))->setGeometry(8, 32, 41, 17);
    (new QLineEdit("D41D8CD98F00B204E9800998ECF8427E", &window))->setGeometry(48, 32, 433, 19);
    window.show();
    return QApplication::exec();
}
