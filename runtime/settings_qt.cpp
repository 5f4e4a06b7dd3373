// On Linux the settings store is Quorrel's INI file: $XDG_CONFIG_HOME/Quorrel/Quorrel.ini.
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include "runtime/settings.h"

namespace runtime {

std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                       const std::string& defaultValue) {
    const QString configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString app16 = QString::fromStdString(app);
    const QSettings store(configHome + "/" + app16 + "/" + app16 + ".ini", QSettings::IniFormat);
    const QString name = QString::fromStdString(section) + "/" + QString::fromStdString(key);
    if (!store.contains(name)) return defaultValue;
    const QVariant value = store.value(name);
    // Qt reads an unquoted value with commas as a list (dropping spaces after the commas);
    // it was meant as one path.
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(",").toStdString();
    return value.toString().toStdString();
}

}  // namespace runtime
