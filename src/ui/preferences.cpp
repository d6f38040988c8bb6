#include "ui/preferences.h"

#include <QSettings>

namespace korvela {

// QSettings() takes the organisation and application names of the application object, both
// "KORVELA": one file, read and written by every window.
QVariant readPreference(const char* key, const QVariant& fallback) {
    const QVariant value = QSettings().value(QString::fromLatin1(key));
    if (!value.isValid()) return fallback;
    QVariant converted = value;
    if (!converted.convert(fallback.metaType())) return fallback;
    return converted;
}

void writePreference(const char* key, const QVariant& value) {
    QSettings().setValue(QString::fromLatin1(key), value);
}

}  // namespace korvela
