#include "settings/settings_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdlib>

std::string settingsFilePath() {
    return settingsFilePath(kMachineSettingsDir);
}

std::string settingsFilePath(const std::string& machineDir) {
    if (const char* env = std::getenv("LUMAVANE_INI"); env && *env)
        return env;
    if (QFileInfo(QFile::decodeName(machineDir.c_str())).isDir())
        return machineDir + "/" + kSettingsFileName;
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return QFile::encodeName(config).toStdString() + "/lumavane/" + kSettingsFileName;
}
