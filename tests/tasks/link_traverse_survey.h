#pragma once

#include <string>

#include "sdr_survey_text.h"

namespace korvela::testing {

// The true geometry: a link traverse A - P1 - P2 - B between known stations oriented on OA
// and OB, and the detail point D.
inline SdrSurveyText linkGeometry() {
    SdrSurveyText survey;
    survey.point("A", 1000, 1000, 100);
    survey.point("OA", 1200, 900, 101);
    survey.point("P1", 1100, 1150, 102);
    survey.point("P2", 1050, 1300, 101.5);
    survey.point("B", 1150, 1420, 103);
    survey.point("OB", 1000, 1500, 100);
    survey.point("D", 1130, 1190, 102.4);
    return survey;
}

// Its field file: both faces forward and back, P1 also sighting D. `slopeShift` lengthens
// the sight P1 → P2, `detailBlunder` (seconds) turns the face right reading to D.
inline std::string linkTraverse(double slopeShift = 0, double detailBlunder = 0) {
    SdrSurveyText survey = linkGeometry();
    survey.keyedIn("OA");
    survey.keyedIn("OB");
    survey.setUp("A", true, 17.5);
    survey.backsight("OA");
    survey.faces("OA");
    survey.faces("P1");
    survey.setUp("P1", false, 203.25, 1.45);
    survey.faces("A");
    survey.faces("P2", 1.2, slopeShift);
    survey.faces("D", 1.3, 0, detailBlunder);
    survey.setUp("P2", false, 91, 1.6);
    survey.faces("P1");
    survey.faces("B");
    survey.setUp("B", true, 300.1);
    survey.faces("P2");
    survey.faces("OB");
    return survey.text();
}

}  // namespace korvela::testing
