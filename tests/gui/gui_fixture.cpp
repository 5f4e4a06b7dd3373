#include "tests/gui/gui_fixture.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QTimer>
#include <memory>

namespace guitest {

QString Sandbox::Md5Upper(const QByteArray& content) {
    return QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex()).toUpper();
}

void WhenModalOpens(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer(qApp);
    auto remaining = std::make_shared<int>(500);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, remaining, answer = std::move(answer)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr && --*remaining > 0) return;
        timer->stop();
        timer->deleteLater();
        if (modal != nullptr) answer(modal);
    });
    timer->start(10);
}

window::MainWindow& WindowTest::Open() {
    window_ = std::make_unique<window::MainWindow>();
    window_->show();
    QApplication::setActiveWindow(window_.get());
    return *window_;
}

QString WindowTest::SlowPackage(const QString& name) {
    slowContent_ = QByteArray((8 << 20) + 5, 'p');
    const QString pkg = sandbox_->Package(name, slowContent_);
    qputenv("PELLWICK_FAULT_PATH", pkg.toLocal8Bit());
    qputenv("PELLWICK_FAULT_ACTION", "slow");
    qputenv("PELLWICK_FAULT_AFTER", QByteArray::number(kSlowReadMs));
    return pkg;
}

void WindowTest::init() {
    sandbox_ = std::make_unique<Sandbox>();
}

void WindowTest::cleanup() {
    qunsetenv("PELLWICK_FAULT_ACTION");
    window_.reset();
    sandbox_.reset();
}

}  // namespace guitest
