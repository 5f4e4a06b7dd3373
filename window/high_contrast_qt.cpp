#include "window/high_contrast_qt.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <memory>

namespace window {

void AskHighContrast(QObject* context, std::function<void(bool)> answer) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    struct State {
        int pending = 2;
        bool high = false;
        std::function<void(bool)> answer;
    };
    auto state = std::make_shared<State>(State{2, false, std::move(answer)});
    const char* const keys[][2] = {{"org.freedesktop.appearance", "contrast"},
                                   {"org.gnome.desktop.a11y.interface", "high-contrast"}};
    for (const auto& key : keys) {
        QDBusMessage call =
            QDBusMessage::createMethodCall("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                                           "org.freedesktop.portal.Settings", "Read");
        call << QString(key[0]) << QString(key[1]);
        // A portal that is slow to start must not hold the window: the reply comes when it comes.
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 2000), context);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [state](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            const QDBusPendingReply<QVariant> reply = *w;
            if (!reply.isError()) {
                // The portal wraps the value in a variant of its own, once or twice.
                QVariant value = reply.value();
                while (value.userType() == qMetaTypeId<QDBusVariant>()) value = value.value<QDBusVariant>().variant();
                state->high = state->high || value.toUInt() == 1;
            }
            if (--state->pending == 0) state->answer(state->high);
        });
    }
}

}  // namespace window
