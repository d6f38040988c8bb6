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

// The plan on paper: the plan as it is shown (points, colours, labels, axis cross) in a
// square frame true to scale, with a scale bar, a north arrow, the scale, the file's name and
// the date under it.

enum class PaperFormat { Pdf, Png };

struct PlanPaper {
    PaperFormat format = PaperFormat::Pdf;
    QPageSize::PageSizeId size = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Landscape;
    int dotsPerInch = 300;  // of a PNG
};

// What the page shows.
struct PlanPicture {
    const ViewState& view;
    const std::vector<std::int32_t>& selected;
    const PointStore& store;
    QFont labelFont;
    int side = 0;  // the frame's side in plan pixels: the larger side of the plan as shown
    QString fileName;
    QString date;
};

// Paints the page on a painter whose unit is the millimetre, from the page's top left corner.
void paintPlanPage(QPainter& painter, QSizeF pageMillimetres, const PlanPicture& picture);

// The page as a vector PDF document, or as a PNG image at the paper's resolution (empty when
// the image does not fit in memory).
QByteArray planPdf(const PlanPaper& paper, const PlanPicture& picture);
QByteArray planPng(const PlanPaper& paper, const PlanPicture& picture);

// Prints the page on the printer's paper; false when printing could not start.
bool printPlan(QPrinter& printer, const PlanPicture& picture);

}  // namespace korvela
