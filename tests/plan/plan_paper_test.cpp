// The plan on paper: "Сохранить план…" as PDF or PNG and "Печать плана", from the menu, and
// the page as a PDF reader shows it.
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "common/work_progress.h"
#include "main_window_fixture.h"
#include "plan/plan_page_survey.h"
#include "plan/plan_paper_commands.h"
#include "plan/plan_sheet.h"

namespace korvela {
namespace {

// The page count, the page size in points and the drawing operations of a PDF's content.
struct PdfSummary {
    int pages = 0;
    QSizeF mediaBox;
    QByteArray content;  // every stream, inflated
};

PdfSummary readPdf(const QByteArray& pdf) {
    PdfSummary summary;
    summary.pages = pdf.count("/Type /Page\n") + pdf.count("/Type /Page ") +
                    pdf.count("/Type /Page/") + pdf.count("/Type /Page>");
    const auto box =
        QRegularExpression(R"(/MediaBox \[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\])").match(pdf);
    if (box.hasMatch())
        summary.mediaBox = QSizeF(box.captured(1).toDouble(), box.captured(2).toDouble());
    constexpr QByteArrayView kStart = "stream\n", kEnd = "endstream";
    for (qsizetype at = pdf.indexOf(kStart); at >= 0;) {
        const qsizetype start = at + kStart.size();
        const qsizetype end = pdf.indexOf(kEnd, start);
        if (end < 0) break;
        const QByteArray dictionary =
            pdf.mid(pdf.lastIndexOf("obj", at), at - pdf.lastIndexOf("obj", at));
        if (dictionary.contains("/FlateDecode")) {
            // qUncompress wants the inflated length in front; it grows its buffer when short.
            summary.content +=
                qUncompress(QByteArray("\x00\x10\x00\x00", 4) + pdf.mid(start, end - start));
        }
        at = pdf.indexOf(kStart, end + kEnd.size());
    }
    return summary;
}

// A disc is a stroke of a round pen from (x, y) to (x + 1, y) in eighths of a pixel; nothing
// else on the page is so short.
int discCount(const QByteArray& content) {
    static const QRegularExpression stroke(R"((-?\d+) (-?\d+) m\n(-?\d+) \2 l\n)");
    int count = 0;
    for (auto found = stroke.globalMatch(QString::fromLatin1(content)); found.hasNext();) {
        const auto match = found.next();
        count += match.captured(3).toInt() == match.captured(1).toInt() + 1;
    }
    return count;
}

// The standard output of a program of poppler-utils; nothing when it is not installed.
std::optional<QByteArray> popplerOutput(const QString& program, const QStringList& arguments) {
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) return std::nullopt;
    QProcess process;
    process.start(path, arguments);
    process.waitForFinished(120000);
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString() << " failed";
    return process.readAllStandardOutput();
}

std::optional<QString> pdfText(const std::string& pdf) {
    const auto text = popplerOutput("pdftotext", {QString::fromStdString(pdf), "-"});
    if (!text) return std::nullopt;
    return QString::fromUtf8(*text);
}

class PlanPaperTest : public testing::MainWindowFixture {
protected:
    PlanPaperTest() {
        importPoints(12);  // the view looks at point 11: all twelve on the plan
        setTicked(0, true);
        action("N2")->trigger();  // point 1 frozen: not drawn
        setTicked(0, false);
        setTicked(1, true);  // point 2 yellow and labelled
    }

    static QComboBox* box(QDialog& dialog, const char* name) {
        return dialog.findChild<QComboBox*>(name);
    }

    // Runs the command; `choose` makes the choices in its dialog when it opens.
    void withChoices(const char* command, const std::function<void(QDialog&)>& choose) {
        QTimer::singleShot(0, [=] {
            auto* dialog = qobject_cast<PlanPaperDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            choose(*dialog);
            dialog->accept();
        });
        action(command)->trigger();
    }

    // "Сохранить план…" with these choices (`scale` is the scale box's row) into path.
    void savePlan(int format, int paper, int orientation, int scale, int dotsPerInch,
                  const QString& path) {
        dialogs.answer(path);
        withChoices("SavePlan1", [=](QDialog& dialog) {
            box(dialog, "formatBox")->setCurrentIndex(format);
            box(dialog, "paperBox")->setCurrentIndex(paper);
            box(dialog, "orientationBox")->setCurrentIndex(orientation);
            box(dialog, "scaleBox")->setCurrentIndex(scale);
            dialog.findChild<QSpinBox*>("resolutionBox")->setValue(dotsPerInch);
        });
    }
};

TEST_F(PlanPaperTest, PdfPagesHoldOneMarkerPerDrawnPoint) {
    const struct {
        const char* name;
        int paper, orientation;
        QSizeF points;
    } cases[] = {{"A4 landscape", 0, 0, {842, 595}}, {"A3 portrait", 1, 1, {842, 1191}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = QString::fromStdString(surveys.file(std::string(c.name) + ".pdf"));
        savePlan(0, c.paper, c.orientation, 0, 300, path);
        const PdfSummary pdf =
            readPdf(QByteArray::fromStdString(testing::readFile(path.toStdString())));
        EXPECT_EQ(pdf.pages, 1);
        EXPECT_NEAR(pdf.mediaBox.width(), c.points.width(), 1);
        EXPECT_NEAR(pdf.mediaBox.height(), c.points.height(), 1);
        EXPECT_EQ(discCount(pdf.content), 11) << pdf.content.left(2000).toStdString();
    }
    EXPECT_EQ(dialogs.lastRequest().defaultSuffix, "pdf");
}

TEST_F(PlanPaperTest, PngTakesTheChosenResolutionOnWhitePaper) {
    const QString png = QString::fromStdString(surveys.file("plan.png"));
    savePlan(1, 0, 1, 0, 100, png);
    const QImage image(png);
    EXPECT_NEAR(image.width(), 210 / 25.4 * 100, 1);  // A4 portrait at 100 dpi
    EXPECT_NEAR(image.height(), 297 / 25.4 * 100, 1);
    EXPECT_EQ(image.dotsPerMeterX(), 3937);
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white));
    // Inside the frame, 5 mm under its top edge, off the grid's ticks.
    EXPECT_EQ(image.pixelColor(image.width() / 3, (16 + 5) * 100 / 25.4), QColor(Qt::white));
}

// The picked scale is drawn, kept for next time and offered again by printing; without one
// the largest standard scale at which the plan fits, which the choices name.
TEST_F(PlanPaperTest, TheScaleFitsThePlanUntilOneIsPickedWhichIsRemembered) {
    // 85 m each side: on A4 landscape (frame 156 mm high) 85000 / 156 = 545 needs 1:1000, on
    // portrait (178 mm wide) 85000 / 178 = 478 fits 1:500.
    data.view.change([](ViewState& view) { view.scale = 2 / 85.0; });
    const std::string fitted = surveys.file("fitted.pdf");
    QStringList named;
    dialogs.answer(QString::fromStdString(fitted));
    withChoices("SavePlan1", [&](QDialog& dialog) {
        EXPECT_EQ(box(dialog, "scaleBox")->currentIndex(), 0);
        named << box(dialog, "scaleBox")->itemText(0);
        box(dialog, "orientationBox")->setCurrentIndex(1);
        named << box(dialog, "scaleBox")->itemText(0);
    });
    EXPECT_EQ(named, QStringList({QString::fromUtf8("По размеру листа (1:1000)"),
                                  QString::fromUtf8("По размеру листа (1:500)")}));
    const std::string picked = surveys.file("picked.pdf");
    savePlan(0, 0, 0, 4, 300, QString::fromStdString(picked));  // 1:2000

    const std::string printed = surveys.file("printed.pdf");
    dialogs.answer(QString::fromStdString(printed));
    withChoices("PrintPlan1", [](QDialog& dialog) {
        EXPECT_EQ(box(dialog, "scaleBox")->currentText(), "1:2000");
        EXPECT_FALSE(box(dialog, "paperBox")->isVisible());  // the print dialog's part
    });
    EXPECT_EQ(discCount(readPdf(QByteArray::fromStdString(testing::readFile(printed))).content),
              11);
    const struct {
        const std::string& pdf;
        const char* scale;
    } pages[] = {
        {fitted, "Масштаб 1:500"}, {picked, "Масштаб 1:2000"}, {printed, "Масштаб 1:2000"}};
    for (const auto& page : pages) {
        const auto text = pdfText(page.pdf);
        if (!text) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        EXPECT_TRUE(text->contains(QString::fromUtf8(page.scale))) << text->toStdString();
    }
}

// Whether the page shows a teal disc (1.06 mm wide) round `centre`: its pixels 0.35 mm out on
// either side, above and below are teal, which they are only when it lies within 0.18 mm.
bool tealDiscAt(const QImage& page, QPointF centre) {
    for (const QPointF out :
         {QPointF(3.5, 0), QPointF(-3.5, 0), QPointF(0, 3.5), QPointF(0, -3.5)}) {
        const QPointF at = centre + out;
        const QColor colour = page.pixelColor(int(std::floor(at.x())), int(std::floor(at.y())));
        if (colour.green() < colour.red() + 60 || colour.blue() < colour.red() + 60) return false;
    }
    return true;
}

// At 1:500 a metre is 2 mm: rendered at 254 dpi, 20 pixels.
TEST(PlanPaperPage, APdfReaderShowsThePlanTrueToScaleOnWhiteRoundTheFramesCentre) {
    constexpr double kX = 5412345, kY = 7312345;
    PointStore store;
    store.append("1", kX, kY, 150, 0x00FFFF00, 1);               // at the centre
    store.append("2", kX, kY + 40, 150, 0x00FFFF00, 1);          // 40 m east: 800 pixels right
    store.append("3", kX + 30, kY, 150, 0x00FFFF00, 1);          // 30 m north: 600 pixels up
    store.append("17", kX - 20, kY - 20, 152.3, 0x00FFFF00, 1);  // selected
    const std::vector<std::int32_t> selected = {0, 0, 0, 1};
    ViewState view;
    view.offsetX = -kX;
    view.offsetY = -kY;
    PlanPaper paper;
    paper.scale = 500;
    const PlanPicture picture{view, selected, store, QFont(), "site.sdr", "09.12.2026"};
    testing::TempDir dir;
    const std::string pdf = dir.file("plan.pdf");
    testing::writeFile(pdf, planPdf(paper, picture).toStdString());
    const auto rendered =
        popplerOutput("pdftoppm", {"-r", "254", "-png", "-singlefile", QString::fromStdString(pdf),
                                   QString::fromStdString(dir.file("page"))});
    if (!rendered) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    const QImage page(QString::fromStdString(dir.file("page.png")));
    ASSERT_NEAR(page.width(), 2970, 1);  // A4 landscape, 10 pixels a millimetre
    ASSERT_NEAR(page.height(), 2100, 1);

    const SheetRect frame = sheetLayout(297, 210).frame;
    const QPointF centre((frame.left + frame.width / 2) * 10, (frame.top + frame.height / 2) * 10);
    for (const QPointF place : {centre, centre + QPointF(800, 0), centre + QPointF(0, -600)}) {
        EXPECT_TRUE(tealDiscAt(page, place)) << place.x() << ", " << place.y();
    }
    const QColor marked = page.pixelColor((centre + QPointF(-400, 400)).toPoint());
    EXPECT_LT(std::max({marked.red(), marked.green(), marked.blue()}), 64);  // dark, not yellow
    EXPECT_EQ(page.pixelColor((centre + QPointF(-300, -300)).toPoint()), QColor(Qt::white));

    const auto text = pdfText(pdf);
    ASSERT_TRUE(text);
    // The labels of the selected point; the grid every 50 m at round coordinates.
    for (const char* expectedText : {"Масштаб 1:500", "17", "152.3", "X 5412350", "Y 7312300",
                                     "Y 7312400", "7312350", "site.sdr", "09.12.2026"}) {
        EXPECT_TRUE(text->contains(QString::fromUtf8(expectedText))) << expectedText << " in\n"
                                                                     << text->toStdString();
    }
}

// Ten million points may take 500 MiB more (50 bytes a point); the page's own start (fonts,
// the PDF writer's buffers) takes some 70 MiB more whatever the points. Every point is
// selected: only the labels there is room for are drawn.
TEST(PlanPaperPage, APageOfAMillionPointsTakesLittleMemoryBeyondTheSurvey) {
    const testing::SquareSurvey survey(1'000'000, true);
    const double growth = testing::childGrowthMiB([&] { planPdf(PlanPaper{}, survey.picture()); });
    EXPECT_GT(growth, 0);
    EXPECT_LT(growth, 50 + 70);
}

// Stopped, the page goes nowhere: a printer is given nothing, its file never appears.
TEST(PlanPaperPage, AStoppedPageIsNeitherMadeNorPrinted) {
    const testing::SquareSurvey survey(40'000, false);  // more than a batch of the progress
    const PlanPicture picture = survey.picture();
    WorkProgress progress;
    progress.requestStop();
    PlanPaper png;
    png.format = PaperFormat::Png;
    EXPECT_THROW(planPdf(PlanPaper{}, picture, &progress), WorkStopped);
    EXPECT_THROW(planPng(png, picture, &progress), WorkStopped);
    testing::TempDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.file("printed.pdf")));
    EXPECT_THROW(printPlan(printer, picture, 0, &progress), WorkStopped);
    EXPECT_FALSE(std::filesystem::exists(dir.file("printed.pdf")));
}

}  // namespace
}  // namespace korvela
