#pragma once

#include <QByteArray>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <cstdint>
#include <vector>

class QPainter;
class QPrinter;

namespace korvela {

class PointStore;
struct ViewState;

// The plan on paper: the plan around the centre of the screen's view, on white, at a standard
// scale (the largest at which what the screen shows fits, or the one chosen), in a frame that
// fills the page, with a grid of crosses every 10 cm and their coordinates, and under it the
// scale, a scale bar, a north arrow, the file's name and the date (plan_sheet.h has the rules).

enum class PaperFormat { Pdf, Png };

struct PlanPaper {
    PaperFormat format = PaperFormat::Pdf;
    QPageSize::PageSizeId size = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Landscape;
    int dotsPerInch = 300;  // of a PNG
    double scale = 0;       // N of 1:N; 0: the largest standard scale at which the plan fits
};

// What the page shows.
struct PlanPicture {
    const ViewState& view;
    const std::vector<std::int32_t>& selected;
    const PointStore& store;
    QFont labelFont;
    QString fileName;
    QString date;
};

// The page's size in millimetres.
QSizeF pageMillimetres(const PlanPaper& paper);

// Paints the page on a painter whose unit is the millimetre, from the page's top left corner.
void paintPlanPage(QPainter& painter, QSizeF pageMillimetres, const PlanPicture& picture,
                   double chosenScale);

// The page as a vector PDF document, or as a PNG image at the paper's resolution (empty when
// the image does not fit in memory).
QByteArray planPdf(const PlanPaper& paper, const PlanPicture& picture);
QByteArray planPng(const PlanPaper& paper, const PlanPicture& picture);

// Prints the page on the printer's paper; false when printing could not start.
bool printPlan(QPrinter& printer, const PlanPicture& picture, double chosenScale);

}  // namespace korvela
