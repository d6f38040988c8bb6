// The plan on paper: "Сохранить план…" as PDF or PNG and "Печать плана", from the menu.
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTimer>

#include "main_window_fixture.h"
#include "plan/plan_paper_commands.h"

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

class PlanPaperTest : public testing::MainWindowFixture {
protected:
    PlanPaperTest() {
        importPoints(12);  // the view looks at point 11: all twelve on the plan
        setTicked(0, true);
        action("N2")->trigger();  // point 1 frozen: not drawn
        setTicked(0, false);
        setTicked(1, true);  // point 2 yellow and labelled
    }

    // Runs "Сохранить план…" with the choices made in its dialog when it opens.
    void savePlan(int format, int paper, int orientation, int dotsPerInch, const QString& path) {
        QTimer::singleShot(0, [=] {
            auto* dialog = qobject_cast<PlanPaperDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QComboBox*>("formatBox")->setCurrentIndex(format);
            dialog->findChild<QComboBox*>("paperBox")->setCurrentIndex(paper);
            dialog->findChild<QComboBox*>("orientationBox")->setCurrentIndex(orientation);
            dialog->findChild<QSpinBox*>("resolutionBox")->setValue(dotsPerInch);
            dialog->accept();
        });
        dialogs.answer(path);
        action("SavePlan1")->trigger();
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
        savePlan(0, c.paper, c.orientation, 300, path);
        const PdfSummary pdf =
            readPdf(QByteArray::fromStdString(testing::readFile(path.toStdString())));
        EXPECT_EQ(pdf.pages, 1);
        EXPECT_NEAR(pdf.mediaBox.width(), c.points.width(), 1);
        EXPECT_NEAR(pdf.mediaBox.height(), c.points.height(), 1);
        // A disc is four Bézier curves; nothing else on the page is curved.
        EXPECT_EQ(pdf.content.count(" c\n") / 4, 11) << pdf.content.left(2000).toStdString();
    }
    EXPECT_EQ(dialogs.lastRequest().defaultSuffix, "pdf");
}

TEST_F(PlanPaperTest, PngTakesTheChosenResolutionAndPrintingTheSamePage) {
    const QString png = QString::fromStdString(surveys.file("plan.png"));
    savePlan(1, 0, 1, 100, png);
    const QImage image(png);
    EXPECT_NEAR(image.width(), 210 / 25.4 * 100, 1);  // A4 portrait at 100 dpi
    EXPECT_NEAR(image.height(), 297 / 25.4 * 100, 1);
    EXPECT_EQ(image.dotsPerMeterX(), 3937);
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(image.width() / 2, 150), QColor(Qt::black));  // the plan's frame

    const std::string printed = surveys.file("printed.pdf");
    dialogs.answer(QString::fromStdString(printed));
    action("PrintPlan1")->trigger();
    const PdfSummary pdf = readPdf(QByteArray::fromStdString(testing::readFile(printed)));
    EXPECT_EQ(pdf.pages, 1);
    EXPECT_EQ(pdf.content.count(" c\n") / 4, 11);
}

}  // namespace
}  // namespace korvela
