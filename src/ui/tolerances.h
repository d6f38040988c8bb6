#pragma once

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

// A number of the traverse's settings, kept under "tolerances/traverse/...": its default and
// its validity are those of TraverseSettings.
struct TraverseTolerance {
    Tolerance tolerance;
    double TraverseSettings::*field;
};

template <double TraverseSettings::*field>
bool usableInTraverse(double value) {
    TraverseSettings settings;
    settings.*field = value;
    return isValidTraverseSettings(settings);
}

template <double TraverseSettings::*field>
constexpr TraverseTolerance makeTraverseTolerance(const char* key) {
    return {{{key, TraverseSettings{}.*field}, usableInTraverse<field>}, field};
}

inline constexpr TraverseTolerance kTraverseTolerances[] = {
    makeTraverseTolerance<&TraverseSettings::angularLimitSeconds>("tolerances/traverse/angularLimit"),
    makeTraverseTolerance<&TraverseSettings::relativeLimit>("tolerances/traverse/relativeLimit"),
    makeTraverseTolerance<&TraverseSettings::heightLimitCentimetres>(
        "tolerances/traverse/heightLimit"),
    makeTraverseTolerance<&TraverseSettings::collimationLimitSeconds>(
        "tolerances/traverse/collimationLimit"),
    makeTraverseTolerance<&TraverseSettings::indexLimitSeconds>("tolerances/traverse/indexLimit"),
    makeTraverseTolerance<&TraverseSettings::horizonClosureSeconds>(
        "tolerances/traverse/horizonClosure"),
    makeTraverseTolerance<&TraverseSettings::refraction>("tolerances/traverse/refraction"),
    makeTraverseTolerance<&TraverseSettings::sigmaDirectionSeconds>(
        "tolerances/traverse/sigmaDirection"),
    makeTraverseTolerance<&TraverseSettings::sigmaDistanceMillimetres>(
        "tolerances/traverse/sigmaDistance"),
    makeTraverseTolerance<&TraverseSettings::sigmaDistancePpm>("tolerances/traverse/sigmaDistancePpm"),
};

// The entry that keeps this field.
constexpr const Tolerance& traverseTolerance(double TraverseSettings::*field) {
    for (const TraverseTolerance& entry : kTraverseTolerances) {
        if (entry.field == field) return entry.tolerance;
    }
    throw "every field of TraverseSettings is kept";
}

// The traverse's settings as kept now, each unusable one replaced by its default.
inline TraverseSettings readTraverseSettings() {
    TraverseSettings settings;
    for (const TraverseTolerance& entry : kTraverseTolerances) {
        settings.*entry.field = read(entry.tolerance);
    }
    return settings;
}

}  // namespace korvela
