#include "tests/gui/gui_fixture.h"

#include <unistd.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTimer>

namespace guitest {

Sandbox::Sandbox() : oldHome_(qgetenv("HOME")), oldConfig_(qgetenv("XDG_CONFIG_HOME")) {
    QDir().mkpath(Documents());
    QDir().mkpath(Packages());
    QDir().mkpath(ConfigHome());
    qputenv("HOME", Home().toUtf8());
    qputenv("XDG_CONFIG_HOME", ConfigHome().toUtf8());
}

Sandbox::~Sandbox() {
    qputenv("HOME", oldHome_);
    qputenv("XDG_CONFIG_HOME", oldConfig_);
}

void Sandbox::StoreInstallerDir(const QString& value) const {
    QDir().mkpath(ConfigHome() + "/Quorrel");
    QFile ini(ConfigHome() + "/Quorrel/Quorrel.ini");
    ini.open(QIODevice::WriteOnly | QIODevice::Truncate);
    ini.write("[Settings]\nQRL_Dir=" + value.toUtf8() + "\n");
}

void Sandbox::RemoveDocuments() const {
    QDir(Documents()).removeRecursively();
}

QString Sandbox::Package(const QString& name, const QByteArray& content) const {
    const QString path = Packages() + "/" + name;
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(content);
    return path;
}

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

Unprivileged::Unprivileged() {
    if (::geteuid() != 0) return;
    switched_ = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
}

Unprivileged::~Unprivileged() {
    if (!switched_) return;
    if (::seteuid(0) != 0 || ::setegid(0) != 0) std::abort();  // never carry on as the wrong user
}

}  // namespace guitest
