#include "tasks/cogo_report.h"

#include "common/angle_text.h"
#include "common/cp1251.h"
#include "common/number_text.h"

namespace korvela {
CogoReport& CogoReport::line(const std::string& text) {
    lines_.line(text);
    return *this;
}

CogoReport& CogoReport::row(std::initializer_list<std::string> cells) {
    lines_.row(cells);
    return *this;
}

CogoReport& CogoReport::newPoint(const std::string& number, double x, double y, double z,
                                 bool height) {
    row({"Новая точка", "X", "Y", "H"});
    return row({cp1251ToUtf8(number), lengthText(x), lengthText(y),
                height ? lengthText(z) : "не определялась"});
}

CogoReport& CogoReport::orientation(double circleAzimuth, const std::vector<OrientationRow>& rows) {
    line("Ориентирование: азимут нуля лимба " + dmsText(circleAzimuth) +
         " (среднее, вес - расстояние)");
    row({"Точка", "Направление", "Дирекционный угол", "Расстояние", "Отклонение"});
    for (const OrientationRow& r : rows)
        row({cp1251ToUtf8(r.point), dmsText(r.reading), dmsText(r.azimuth), lengthText(r.distance),
             signedSecondsText(r.deviationSeconds)});
    return *this;
}

CogoReport& CogoReport::residuals(const std::vector<ObservationRow>& rows, const PlaneFit& fit) {
    line("Уравнивание по методу наименьших квадратов");
    row({"Точка", "Измерено", "Поправка", "w", ""});
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const double v = fit.residuals[i];  // computed minus observed: the observation's correction
        row({cp1251ToUtf8(rows[i].point), rows[i].observed,
             rows[i].angle ? signedSecondsText(v) : signedLengthText(v),
             fit.standardized[i] ? formatFixed(*fit.standardized[i], 1) : "", fit.marked[i] ? "!" : ""});
    }
    row({"m0 (ед. веса)", formatFixed(fit.unitError, 2)});
    row({"СКО положения, м", lengthText(fit.pointError)});
    return row({"Избыточных измерений", std::to_string(fit.redundancy)});
}

std::string CogoReport::finish(const CogoSettings& s) {
    line("Допуски");
    row({"Угол пересечения лучей и окружностей засечки", "от " + dmsText(s.intersectionLimitDegrees) +
                                                             " до " +
                                                             dmsText(180 - s.intersectionLimitDegrees)});
    row({"Угол пересечения окружностей обратной засечки",
         "от " + dmsText(s.resectionLimitDegrees) + " до " + dmsText(180 - s.resectionLimitDegrees)});
    row({"СКО положения точки по МНК, не более, мм", formatNumber(s.stationErrorLimitMillimetres)});
    row({"СКО направления", secondsText(s.sigmaDirectionSeconds)});
    row({"СКО расстояния, мм + мм/км", formatNumber(s.sigmaDistanceMillimetres) + " + " +
                                            formatNumber(s.sigmaDistancePpm)});
    row({"Коэффициент рефракции k", formatNumber(s.refraction)});
    return lines_.cp1251();
}

}  // namespace korvela
