#pragma once

#include "tasks/cogo_settings.h"
#include "ui/tolerances.h"

namespace korvela {

// The daily computations' settings, under "tolerances/cogo/...".
template <double CogoSettings::*field>
constexpr auto cogoEntry(const char* key) {
    return settingsTolerance<CogoSettings, isValidCogoSettings, field>(key);
}

inline constexpr SettingsTolerance<CogoSettings> kCogoTolerances[] = {
    cogoEntry<&CogoSettings::intersectionLimitDegrees>("tolerances/cogo/intersectionLimit"),
    cogoEntry<&CogoSettings::resectionLimitDegrees>("tolerances/cogo/resectionLimit"),
    cogoEntry<&CogoSettings::stationErrorLimitMillimetres>("tolerances/cogo/stationErrorLimit"),
    cogoEntry<&CogoSettings::sigmaDirectionSeconds>("tolerances/cogo/sigmaDirection"),
    cogoEntry<&CogoSettings::sigmaDistanceMillimetres>("tolerances/cogo/sigmaDistance"),
    cogoEntry<&CogoSettings::sigmaDistancePpm>("tolerances/cogo/sigmaDistancePpm"),
    cogoEntry<&CogoSettings::refraction>("tolerances/cogo/refraction"),
};

constexpr const Tolerance& cogoTolerance(double CogoSettings::*field) {
    return toleranceOf(kCogoTolerances, field);
}
inline CogoSettings readCogoSettings() { return readSettings(kCogoTolerances); }

}  // namespace korvela
