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

}  // namespace guitest
