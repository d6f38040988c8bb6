#pragma once

#include <ostream>
#include <string>

namespace korvela::testing {

// A point as a survey file states it, for comparing what the reader made of the file.
struct SurveyPoint {
    std::string number;
    double x, y, z;
    int kind;
    bool operator==(const SurveyPoint&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const SurveyPoint& p) {
    return out << '{' << p.number << ' ' << p.x << ' ' << p.y << ' ' << p.z << ' ' << p.kind << '}';
}

}  // namespace korvela::testing
