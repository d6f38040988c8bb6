#pragma once

#include <QByteArray>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <cstdint>
#include <vector>

class QPrinter;

namespace korvela {

class PointStore;
class WorkProgress;
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

// The page as a vector PDF document, or as a PNG image at the paper's resolution (empty when
// the image does not fit in memory). The work is counted into progress; a stop requested
// there ends it with WorkStopped.
QByteArray planPdf(const PlanPaper& paper, const PlanPicture& picture,
                   WorkProgress* progress = nullptr);
QByteArray planPng(const PlanPaper& paper, const PlanPicture& picture,
                   WorkProgress* progress = nullptr);

// Prints the page on the printer's paper; false when printing could not start. A stop
// requested of the progress ends it with WorkStopped before the printer is given anything.
bool printPlan(QPrinter& printer, const PlanPicture& picture, double chosenScale,
               WorkProgress* progress = nullptr);

}  // namespace korvela
