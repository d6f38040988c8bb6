#pragma once

#include <QString>
#include <QVariant>

namespace korvela {

// The user's preferences (limits, a dialog's last choices) live in one settings file under
// the user's config folder: $XDG_CONFIG_HOME/KORVELA/KORVELA.conf, by default
// ~/.config/KORVELA/KORVELA.conf. Each is named once, with the value it has while the file
// holds none; the batch front end never reads them.
template <typename T>
struct Preference {
    const char* key;
    T fallback;
};

// The value kept in the settings file, or the fallback when it holds none or one that does
// not convert.
QVariant readPreference(const char* key, const QVariant& fallback);
void writePreference(const char* key, const QVariant& value);
// Every preference back to its fallback: the settings file emptied.
void clearPreferences();

// A file of the user's settings kept beside the preferences file (the code table).
QString settingsFilePath(const QString& name);

template <typename T>
T read(const Preference<T>& preference) {
    const QVariant value = readPreference(preference.key, QVariant::fromValue(preference.fallback));
    return value.canConvert<T>() ? value.value<T>() : preference.fallback;
}

template <typename T>
void write(const Preference<T>& preference, const T& value) {
    writePreference(preference.key, QVariant::fromValue(value));
}

}  // namespace korvela
