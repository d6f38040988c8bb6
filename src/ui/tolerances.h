#pragma once

#include <cstddef>

#include "tasks/common_point_transform.h"
#include "tasks/survey_join.h"
#include "tasks/traverse_settings.h"
#include "ui/preferences.h"

namespace korvela {

// A number that decides a survey task's result, kept as a preference (the settings window's
// page "допуски") and read afresh by the task at every run.
struct Tolerance {
    Preference<double> preference;
    bool (*usable)(double value);  // whether the task can work with the value
};

// How far "Add to Project" may place a point from where the plane similarity places it (m).
inline constexpr Tolerance kJoinLimit{{"tolerances/joinLimit", kDefaultJoinLimit},
                                      isValidJoinLimit};
// The probability with which the transformation by common points marks a blunder.
inline constexpr Tolerance kBlunderConfidence{
    {"tolerances/blunderConfidence", kDefaultBlunderConfidence}, isValidBlunderConfidence};

// The value kept, or the default when the settings file holds one the task cannot use.
inline double read(const Tolerance& tolerance) {
    const double value = read(tolerance.preference);
    return tolerance.usable(value) ? value : tolerance.preference.fallback;
}

// A number of a task's settings struct (the traverse's, the daily computations'), kept as a
// preference: its default and its validity are those of the struct.
template <typename Settings>
struct SettingsTolerance {
    Tolerance tolerance;
    double Settings::*field;
};

template <typename Settings, bool (*valid)(const Settings&), double Settings::*field>
bool usableIn(double value) {
    Settings settings;
    settings.*field = value;
    return valid(settings);
}

template <typename Settings, bool (*valid)(const Settings&), double Settings::*field>
constexpr SettingsTolerance<Settings> settingsTolerance(const char* key) {
    return {{{key, Settings{}.*field}, usableIn<Settings, valid, field>}, field};
}

// The entry of the table that keeps this field.
template <typename Settings, std::size_t count>
constexpr const Tolerance& toleranceOf(const SettingsTolerance<Settings> (&table)[count],
                                       double Settings::*field) {
    for (const SettingsTolerance<Settings>& entry : table) {
        if (entry.field == field) return entry.tolerance;
    }
    throw "every field of the settings is kept";
}

// The settings as kept now, each unusable one replaced by its default.
template <typename Settings, std::size_t count>
Settings readSettings(const SettingsTolerance<Settings> (&table)[count]) {
    Settings settings;
    for (const SettingsTolerance<Settings>& entry : table) {
        settings.*entry.field = read(entry.tolerance);
    }
    return settings;
}

// The traverse's settings, under "tolerances/traverse/...".
template <double TraverseSettings::*field>
constexpr auto traverseEntry(const char* key) {
    return settingsTolerance<TraverseSettings, isValidTraverseSettings, field>(key);
}

inline constexpr SettingsTolerance<TraverseSettings> kTraverseTolerances[] = {
    traverseEntry<&TraverseSettings::angularLimitSeconds>("tolerances/traverse/angularLimit"),
    traverseEntry<&TraverseSettings::relativeLimit>("tolerances/traverse/relativeLimit"),
    traverseEntry<&TraverseSettings::heightLimitCentimetres>("tolerances/traverse/heightLimit"),
    traverseEntry<&TraverseSettings::collimationLimitSeconds>(
        "tolerances/traverse/collimationLimit"),
    traverseEntry<&TraverseSettings::indexLimitSeconds>("tolerances/traverse/indexLimit"),
    traverseEntry<&TraverseSettings::horizonClosureSeconds>("tolerances/traverse/horizonClosure"),
    traverseEntry<&TraverseSettings::refraction>("tolerances/traverse/refraction"),
    traverseEntry<&TraverseSettings::sigmaDirectionSeconds>("tolerances/traverse/sigmaDirection"),
    traverseEntry<&TraverseSettings::sigmaDistanceMillimetres>(
        "tolerances/traverse/sigmaDistance"),
    traverseEntry<&TraverseSettings::sigmaDistancePpm>("tolerances/traverse/sigmaDistancePpm"),
};

constexpr const Tolerance& traverseTolerance(double TraverseSettings::*field) {
    return toleranceOf(kTraverseTolerances, field);
}
inline TraverseSettings readTraverseSettings() { return readSettings(kTraverseTolerances); }

}  // namespace korvela
