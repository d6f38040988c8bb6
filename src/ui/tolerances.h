#pragma once

#include "tasks/common_point_transform.h"
#include "tasks/survey_join.h"
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

}  // namespace korvela
