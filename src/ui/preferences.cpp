#include "ui/preferences.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace korvela {

namespace {

// Named here, not through the application's organisation name, which would also move the
// program's data folder (the workbook's) one level down.
QSettings preferencesFile() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KORVELA"),
                     QStringLiteral("KORVELA"));
}

}  // namespace

QVariant readPreference(const char* key, const QVariant& fallback) {
    const QVariant value = preferencesFile().value(QString::fromLatin1(key));
    if (!value.isValid()) return fallback;
    QVariant converted = value;
    if (!converted.convert(fallback.metaType())) return fallback;
    return converted;
}

void writePreference(const char* key, const QVariant& value) {
    preferencesFile().setValue(QString::fromLatin1(key), value);
}

void clearPreferences() { preferencesFile().clear(); }

QString settingsFilePath(const QString& name) {
    const QDir folder = QFileInfo(preferencesFile().fileName()).dir();
    QDir().mkpath(folder.path());
    return folder.filePath(name);
}

}  // namespace korvela
