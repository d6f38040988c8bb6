#pragma once

#include "tasks/cogo_settings.h"
#include "ui/tolerances.h"

namespace korvela {

// A number of the daily computations' settings, kept under "tolerances/cogo/...": its default
// and its validity are those of CogoSettings.
struct CogoTolerance {
    Tolerance tolerance;
    double CogoSettings::*field;
};

template <double CogoSettings::*field>
bool usableInCogo(double value) {
    CogoSettings settings;
    settings.*field = value;
    return isValidCogoSettings(settings);
}

template <double CogoSettings::*field>
constexpr CogoTolerance makeCogoTolerance(const char* key) {
    return {{{key, CogoSettings{}.*field}, usableInCogo<field>}, field};
}

inline constexpr CogoTolerance kCogoTolerances[] = {
    makeCogoTolerance<&CogoSettings::intersectionLimitDegrees>("tolerances/cogo/intersectionLimit"),
    makeCogoTolerance<&CogoSettings::resectionLimitDegrees>("tolerances/cogo/resectionLimit"),
    makeCogoTolerance<&CogoSettings::stationErrorLimitMillimetres>(
        "tolerances/cogo/stationErrorLimit"),
    makeCogoTolerance<&CogoSettings::sigmaDirectionSeconds>("tolerances/cogo/sigmaDirection"),
    makeCogoTolerance<&CogoSettings::sigmaDistanceMillimetres>("tolerances/cogo/sigmaDistance"),
    makeCogoTolerance<&CogoSettings::sigmaDistancePpm>("tolerances/cogo/sigmaDistancePpm"),
    makeCogoTolerance<&CogoSettings::refraction>("tolerances/cogo/refraction"),
};

// The entry that keeps this field.
constexpr const Tolerance& cogoTolerance(double CogoSettings::*field) {
    for (const CogoTolerance& entry : kCogoTolerances) {
        if (entry.field == field) return entry.tolerance;
    }
    throw "every field of CogoSettings is kept";
}

// The settings as kept now, each unusable one replaced by its default.
inline CogoSettings readCogoSettings() {
    CogoSettings settings;
    for (const CogoTolerance& entry : kCogoTolerances) settings.*entry.field = read(entry.tolerance);
    return settings;
}

}  // namespace korvela
