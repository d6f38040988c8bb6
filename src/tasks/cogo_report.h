#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "tasks/cogo_settings.h"
#include "tasks/plane_point_fit.h"
#include "tasks/report_lines.h"

namespace korvela {

// The report of a daily computation, built in UTF-8 lines of TAB-separated cells and handed
// out as the report window holds it: Windows-1251, CR LF after every line.
class CogoReport {
public:
    explicit CogoReport(const std::string& caption) { line(caption); }

    CogoReport& line(const std::string& text = {});
    CogoReport& row(std::initializer_list<std::string> cells);

    // A new point: its number, X, Y and H (or the note that its height was not determined).
    CogoReport& newPoint(const std::string& number, double x, double y, double z, bool height);

    // One row per sight of a circle orientation: point, reading, directional angle, distance,
    // deviation from the mean in signed seconds.
    struct OrientationRow {
        std::string point;
        double reading = 0, azimuth = 0, distance = 0, deviationSeconds = 0;
    };
    CogoReport& orientation(double circleAzimuth, const std::vector<OrientationRow>& rows);

    // The least-squares residuals, one row per observation ("!" beside a marked one), then m0,
    // the point's standard error and the redundancy.
    struct ObservationRow {
        std::string point;
        std::string observed;  // the observed value as printed
        bool angle = true;     // residual in seconds, else in metres
    };
    CogoReport& residuals(const std::vector<ObservationRow>& rows, const PlaneFit& fit);

    // The settings under which the result was found; closes the report.
    std::string finish(const CogoSettings& settings);

private:
    ReportLines lines_;
};

}  // namespace korvela
