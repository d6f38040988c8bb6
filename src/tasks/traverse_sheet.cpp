#include "tasks/traverse_sheet.h"

#include <cmath>
#include <numbers>

#include "common/angle_text.h"
#include "common/cp1251.h"
#include "common/number_text.h"
#include "tasks/report_lines.h"

namespace korvela {
namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180;

std::string length(double value) { return recorded(value) ? lengthText(value) : ""; }
std::string signedLength(double value) { return recorded(value) ? signedLengthText(value) : ""; }
std::string name(const std::string& number) { return cp1251ToUtf8(number); }
std::string unitName(DistanceUnit unit) { return unit == DistanceUnit::Feet ? "фт" : "м"; }

std::string shapeText(const TraversePath& path) {
    switch (path.shape) {
        case TraverseShape::Closed: return "замкнутый";
        case TraverseShape::Hanging: return "висячий (не контролируется, невязки не распределяются)";
        case TraverseShape::Link:
            return path.end ? "разомкнутый"
                            : "разомкнутый, конечная станция без ориентирования (углы не контролируются)";
    }
    return {};
}

void orientationLines(ReportLines& sheet, const char* where, const PathStation& station,
                      const Orientation& o) {
    if (o.fromBacksight) {
        sheet.line(std::string("Ориентирование ") + where + " (" + name(station.number) +
                   "): по азимуту задней точки " + name(o.referenceNumber) +
                   ", азимут нуля лимба " + dmsText(o.circleAzimuth));
        return;
    }
    sheet.line(std::string("Ориентирование ") + where + " (" + name(station.number) +
               "): азимут нуля лимба " + dmsText(o.circleAzimuth) +
               " (среднее, вес - расстояние)");
    sheet.row({"Точка", "Направление", "Дирекционный угол", "Расстояние", "Отклонение"});
    for (const OrientationSight& s : o.sights)
        sheet.row({name(s.number), dmsText(s.reading), dmsText(s.azimuth), length(s.distance),
                   signedSecondsText(s.deviationSeconds)});
}

std::string stationCell(const std::vector<double>& values, std::size_t i) {
    return i < values.size() ? length(values[i]) : "";
}

void tableLines(ReportLines& sheet, const TraversePath& path, const TraverseAdjustment& a,
                bool leastSquares) {
    sheet.row({"Станция", "Измеренный угол", "Поправка", "Исправленный угол",
               "Дирекционный угол", "Сторона", "dX", "поправка dX", "dY", "поправка dY", "h",
               "поправка h", "X", "Y", "H"});
    const bool closed = path.shape == TraverseShape::Closed;
    const std::size_t n = path.stations.size();
    for (std::size_t i = 0; i <= (closed ? n : n - 1); ++i) {
        const std::size_t s = i % n;
        std::string measured, correction, corrected;
        for (std::size_t k = 0; k < path.angles.size(); ++k) {
            if (path.angleStations[k] != s || (closed && i == 0)) continue;
            measured = dmsText(path.angles[k]);
            if (k < a.angleCorrections.size() && !leastSquares) {
                correction = signedSecondsText(a.angleCorrections[k]);
                corrected = dmsText(path.angles[k] + a.angleCorrections[k] / 3600);
            }
        }
        sheet.row({name(path.stations[s].number), measured, correction, corrected, "", "", "",
                   "", "", "", "", "", length(a.x[s]), length(a.y[s]), stationCell(a.z, s)});
        if (i >= path.sides.size()) continue;
        const auto at = [](const std::vector<double>& v, std::size_t k) {
            return k < v.size() ? v[k] : kNotRecorded;
        };
        sheet.row({"", "", "", "", dmsText(a.azimuths[i]), length(path.sides[i].distance),
                   signedLength(a.dx[i]), signedLength(at(a.vx, i)), signedLength(a.dy[i]),
                   signedLength(at(a.vy, i)), signedLength(a.dh[i]), signedLength(at(a.vh, i)),
                   "", "", ""});
    }
}

void misclosureLines(ReportLines& sheet, const TraversePath& path, const Misclosures& m,
                     const TraverseSettings& settings) {
    const std::string unit = " " + unitName(path.unit);
    if (recorded(m.angular)) {
        sheet.line("Сумма измеренных углов " + dmsText(m.sumMeasured) + ", теоретическая " +
                   dmsText(m.sumTheoretical) +
                   (path.shape == TraverseShape::Closed
                        ? (m.exterior ? " (внешние углы)" : " (внутренние углы)")
                        : ""));
        sheet.line("fb = " + signedSecondsText(m.angular) + "\tдопуск " +
                   secondsText(m.angularLimit) + " (" + formatNumber(settings.angularLimitSeconds) +
                   "\" * sqrt(" + std::to_string(path.angles.size()) + "))");
    } else {
        sheet.line("fb не контролируется");
    }
    sheet.line("Длина хода " + length(m.length) + unit);
    if (recorded(m.fs)) {
        sheet.line("fx = " + signedLength(m.fx) + unit + "\tfy = " + signedLength(m.fy) + unit +
                   "\tfs = " + length(m.fs) + unit);
        // From fs as printed, to the millimetre, as the hand sheet takes it: a misclosure
        // under half a millimetre is 0, not 1:10¹².
        const double printedFs = std::round(m.fs * 1000) / 1000;
        const std::string relative =
            printedFs > 0 ? "1:" + formatNumber(std::floor(m.length / printedFs)) : "0";
        sheet.line("fs/S = " + relative + "\tдопуск 1:" + formatNumber(m.relativeLimit));
    } else {
        sheet.line("fx, fy не контролируются");
    }
    if (!m.heights) {
        sheet.line("Высоты не вычислены: у конца хода нет высоты или не измерены превышения");
    } else if (recorded(m.fh)) {
        sheet.line("fh = " + signedLength(m.fh) + unit + "\tдопуск " + length(m.heightLimit) +
                   unit + " (" + formatNumber(settings.heightLimitCentimetres) + " * S / sqrt(" +
                   std::to_string(path.sides.size()) + ") см)");
    } else {
        sheet.line("fh не контролируется");
    }
}

void verdictLine(ReportLines& sheet, const TraversePath& path, const Misclosures& m) {
    if (path.shape == TraverseShape::Hanging) {
        sheet.line("Вывод: висячий ход не контролируется");
        return;
    }
    std::string beyond;
    if (!m.angularWithin()) beyond += " fb";
    if (!m.linearWithin()) beyond += " fs";
    if (!m.heightWithin()) beyond += " fh";
    sheet.line(beyond.empty() ? "Вывод: невязки в допуске" : "Вывод: превышен допуск:" + beyond);
}

// The face pairs and horizon closures of the path's set-ups that are beyond their limits, and
// the set-ups whose vertical count was assumed.
void readingNotes(ReportLines& sheet, const TraversePath& path, const ObservationList& list,
                  const TraverseSettings& settings) {
    const auto onPath = [&](std::uint32_t sight) {
        for (const PathStation& s : path.stations) {
            if (s.hasSetUp && s.setUp == list.sights[sight].setUp) return true;
        }
        return false;
    };
    const auto target = [&](std::uint32_t sight) {
        return name(std::string(list.stationOf(list.sights[sight]))) + " -> " +
               name(std::string(list.targetOf(list.sights[sight])));
    };
    for (const FacePairCheck& pair : checkFacePairs(list, settings)) {
        if (!pair.beyondLimits || !onPath(pair.faceLeft)) continue;
        sheet.line("Пара кругов вне допуска, не осреднена: " + target(pair.faceLeft) + "\t2c = " +
                   signedSecondsText(pair.collimationSeconds) + "\tдопуск " +
                   secondsText(settings.collimationLimitSeconds) + "\tМО = " +
                   signedSecondsText(pair.indexSeconds) + "\tдопуск " +
                   secondsText(settings.indexLimitSeconds));
    }
    for (const HorizonClosure& closure : checkHorizonClosures(list, settings)) {
        if (!onPath(closure.opening)) continue;
        sheet.line("Замыкание горизонта " + target(closure.opening) + "\t" +
                   signedSecondsText(closure.seconds) + "\tдопуск " +
                   secondsText(settings.horizonClosureSeconds) +
                   (closure.beyondLimit ? "\tвне допуска" : ""));
    }
    for (const PathStation& s : path.stations) {
        if (s.hasSetUp && list.setUps[s.setUp].vertical == VerticalReading::AssumedZenith)
            sheet.line("Станция " + name(s.number) +
                       ": файл не указывает начало вертикальных углов, принят зенит");
    }
}

}  // namespace

std::string computationSheet(const TraversePath& path, const TraverseAdjustment& adjustment,
                             const Misclosures& misclosures, const TraverseRequest& request,
                             const ObservationList& observations, bool leastSquares) {
    ReportLines sheet;
    sheet.line("Ведомость вычисления координат");
    sheet.line("Ход: " + shapeText(path));
    sheet.line(std::string("Метод: ") +
               (leastSquares ? "метод наименьших квадратов (ведомость оценки точности ниже)"
                             : "распределение невязок"));
    sheet.line("k = " + formatNumber(request.settings.refraction) + ", R = " +
               formatNumber(std::round(earthRadius(path.unit))) + " " + unitName(path.unit));
    orientationLines(sheet, "в начале", path.stations.front(), path.start);
    if (path.end) orientationLines(sheet, "в конце", path.last(), *path.end);
    tableLines(sheet, path, adjustment, leastSquares);
    misclosureLines(sheet, path, misclosures, request.settings);
    readingNotes(sheet, path, observations, request.settings);
    verdictLine(sheet, path, misclosures);
    return sheet.cp1251();
}

std::string accuracySheet(const TraversePath& path, const LeastSquaresTraverse& lsq,
                          const TraverseSettings& settings) {
    ReportLines sheet;
    const std::string unit = unitName(path.unit);
    sheet.line("Ведомость оценки точности");
    sheet.line("СКО направления " + secondsText(settings.sigmaDirectionSeconds) +
               ", СКО расстояния " + formatNumber(settings.sigmaDistanceMillimetres) + " мм + " +
               formatNumber(settings.sigmaDistancePpm) + " мм/км");
    sheet.line("Избыточных измерений " + std::to_string(lsq.redundancy) + ", m0 = " +
               formatFixed(lsq.m0, 2));
    sheet.row({"Точка", "X", "Y", "mx", "my", "M"});
    for (const StationAccuracy& s : lsq.stations)
        sheet.row({name(s.number), length(s.x), length(s.y), length(s.mx), length(s.my),
                   length(s.m)});
    sheet.row({"Измерение", "От", "На", "Измерено", "Поправка", "r", "w", "Отметка"});
    for (const ObservationResidual& r : lsq.residuals) {
        sheet.row({r.direction ? "направление" : "расстояние", name(r.from), name(r.to),
                   r.direction ? dmsText(r.observed) : length(r.observed),
                   r.direction ? signedSecondsText(r.residual) : signedLength(r.residual),
                   formatFixed(r.redundancy, 2), formatFixed(r.standardized, 2),
                   r.marked ? "|w| > 3" : ""});
    }
    sheet.line("Отметка: |w| > 3 при r >= 0.1, w = v / (СКО * sqrt(r)); высоты уравнены отдельно (" +
               unit + ")");
    return sheet.cp1251();
}

std::string elementsSheet(const std::vector<StationPosition>& stations, bool closed) {
    ReportLines sheet;
    sheet.line("Элементы хода по координатам станций");
    sheet.row({"Станция", "Левый угол", "Дирекционный угол", "Сторона", "Превышение", "X", "Y",
               "H"});
    const std::size_t n = stations.size();
    const std::size_t sides = closed ? n : n - 1;
    const auto azimuth = [&](std::size_t i) {
        const StationPosition& a = stations[i % n];
        const StationPosition& b = stations[(i + 1) % n];
        return normalizedDegrees(std::atan2(b.y - a.y, b.x - a.x) / kRadiansPerDegree);
    };
    double total = 0;
    for (std::size_t i = 0; i <= sides; ++i) {
        const StationPosition& s = stations[i % n];
        const bool inner = (i > 0 && i < sides) || (closed && i == sides);
        // The left angle: from the direction back to the previous station to the next one.
        sheet.row({name(s.number), inner ? dmsText(azimuth(i) - azimuth(i - 1) + 180) : "", "",
                   "", "", length(s.x), length(s.y), length(s.z)});
        if (i == sides) break;
        const StationPosition& next = stations[(i + 1) % n];
        const double side = std::hypot(next.x - s.x, next.y - s.y);
        total += side;
        sheet.row({"", "", dmsText(azimuth(i)), length(side), signedLength(next.z - s.z), "", "",
                   ""});
    }
    sheet.line("Длина хода " + length(total));
    return sheet.cp1251();
}

}  // namespace korvela
