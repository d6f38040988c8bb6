#include "plan/plan_paper_commands.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QPrinter>
#include <QSpinBox>
#include <algorithm>

#include "common/local_time.h"
#include "common/number_text.h"
#include "common/safe_file_writer.h"
#include "plan/plan_image.h"
#include "plan/plan_sheet.h"
#include "points/workspace.h"
#include "ui/busy_indicator.h"
#include "ui/preferences.h"
#include "ui/qt_text.h"
#include "ui/user_dialogs.h"

namespace korvela {
namespace {

const char* const kSavePlanCaption = "Сохранить план";
const char* const kPrintPlanCaption = "Печать плана";
const char* const kPrintFailed = "Не удалось напечатать план";
const char* const kNoMemoryForImage = "Не хватает памяти для изображения такого размера";
const char* const kFittingScale = "По размеру листа";
// N of the scale picked last; 0 for the one the plan fits at.
const Preference<double> kLastPlanScale{"planPaper/scale", 0};
constexpr int kLeastDotsPerInch = 72;
constexpr int kMostDotsPerInch = 600;  // an A3 page then is some 7,000 × 9,900 pixels

QComboBox* choiceBox(QWidget* parent, const char* name, const QStringList& items) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    return box;
}

QString scaleText(double scale) {
    return QStringLiteral("1:") + QString::fromStdString(formatNumber(scale));
}

QString dateText(const LocalTime& time) {
    return QString::asprintf("%02d.%02d.%04d", time.day, time.month, time.year);
}

FileDialogRequest planSaveDialog(PaperFormat format) {
    if (format == PaperFormat::Png) {
        return {QString::fromUtf8(kSavePlanCaption),
                {QStringLiteral("PNG (*.png)")},
                QStringLiteral("png"),
                QString()};
    }
    return {QString::fromUtf8(kSavePlanCaption),
            {QStringLiteral("PDF (*.pdf)")},
            QStringLiteral("pdf"),
            QString()};
}

// The choices, the scale remembered for next time; nothing when the user cancels.
std::optional<PlanPaper> askPlanPaper(QWidget* parent, const ViewState& view,
                                      PlanPaperDialog::Use use) {
    PlanPaperDialog choices(parent, view, use);
    if (choices.exec() != QDialog::Accepted) return std::nullopt;
    const PlanPaper paper = choices.paper();
    write(kLastPlanScale, paper.scale);
    return paper;
}

}  // namespace

PlanPaperDialog::PlanPaperDialog(QWidget* parent, const ViewState& view, Use use)
    : QDialog(parent), view_(view), use_(use) {
    setObjectName("PlanPaperDialog");
    setWindowTitle(QString::fromUtf8(use == Use::Save ? kSavePlanCaption : kPrintPlanCaption));
    formatBox_ = choiceBox(this, "formatBox", {QStringLiteral("PDF"), QStringLiteral("PNG")});
    paperBox_ = choiceBox(this, "paperBox", {QStringLiteral("A4"), QStringLiteral("A3")});
    orientationBox_ = choiceBox(this, "orientationBox",
                                {QString::fromUtf8("Альбомная"), QString::fromUtf8("Книжная")});
    resolutionBox_ = new QSpinBox(this);
    resolutionBox_->setObjectName("resolutionBox");
    resolutionBox_->setRange(kLeastDotsPerInch, kMostDotsPerInch);
    resolutionBox_->setValue(PlanPaper{}.dotsPerInch);
    resolutionBox_->setSuffix(QStringLiteral(" dpi"));
    resolutionBox_->setEnabled(false);
    connect(formatBox_, &QComboBox::currentIndexChanged, this,
            [this](int index) { resolutionBox_->setEnabled(index == 1); });
    scaleBox_ = choiceBox(this, "scaleBox", {QString()});
    for (const double scale : kStandardScales) scaleBox_->addItem(scaleText(scale), scale);
    scaleBox_->setCurrentIndex(std::max(scaleBox_->findData(read(kLastPlanScale)), 0));
    nameFittingScale();
    for (QComboBox* box : {paperBox_, orientationBox_}) {
        connect(box, &QComboBox::currentIndexChanged, this, [this] { nameFittingScale(); });
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QFormLayout(this);
    layout->addRow(QString::fromUtf8("Формат"), formatBox_);
    layout->addRow(QString::fromUtf8("Бумага"), paperBox_);
    layout->addRow(QString::fromUtf8("Ориентация"), orientationBox_);
    layout->addRow(QString::fromUtf8("Масштаб"), scaleBox_);
    layout->addRow(QString::fromUtf8("Разрешение PNG"), resolutionBox_);
    layout->addRow(buttons);
    for (QWidget* pageChoice :
         std::initializer_list<QWidget*>{formatBox_, paperBox_, orientationBox_, resolutionBox_}) {
        layout->setRowVisible(pageChoice, use == Use::Save);
    }
}

// The paper is known only when saving; printing takes the print dialog's.
void PlanPaperDialog::nameFittingScale() {
    QString text = QString::fromUtf8(kFittingScale);
    if (use_ == Use::Save) {
        const QSizeF page = pageMillimetres(paper());
        const double scale = sheetScale(sheetLayout(page.width(), page.height()), view_, 0);
        text += QStringLiteral(" (") + scaleText(scale) + QStringLiteral(")");
    }
    scaleBox_->setItemText(0, text);
}

PlanPaper PlanPaperDialog::paper() const {
    PlanPaper paper;
    paper.format = formatBox_->currentIndex() == 1 ? PaperFormat::Png : PaperFormat::Pdf;
    paper.size = paperBox_->currentIndex() == 1 ? QPageSize::A3 : QPageSize::A4;
    paper.orientation =
        orientationBox_->currentIndex() == 1 ? QPageLayout::Portrait : QPageLayout::Landscape;
    paper.dotsPerInch = resolutionBox_->value();
    paper.scale = scaleBox_->currentData().toDouble();
    return paper;
}

PlanPicture planPictureOf(const Workspace& points, const ViewState& view, const PlanImage& plan) {
    return {view,
            points.selected(),
            points.store(),
            plan.labelFont(),
            QFileInfo(fromUtf8(points.status())).fileName(),
            dateText(currentLocalTime())};
}

void SavePlanClick(QWidget* parent, UserDialogs& dialogs, const PlanPicture& picture) {
    const std::optional<PlanPaper> choice =
        askPlanPaper(parent, picture.view, PlanPaperDialog::Use::Save);
    if (!choice) return;
    const PlanPaper& paper = *choice;
    const std::optional<QString> path = dialogs.askSavePath(parent, planSaveDialog(paper.format));
    if (!path) return;
    // A page of a million points takes seconds to paint, so it is painted off the window's
    // thread; the survey and the view cannot change meanwhile, as user input waits.
    BusyIndicator busy(parent, QString::fromUtf8("Сохранение плана"));
    const QByteArray bytes = busy.run([&] {
        return paper.format == PaperFormat::Png ? planPng(paper, picture, &busy.progress())
                                                : planPdf(paper, picture, &busy.progress());
    });
    if (bytes.isEmpty()) return dialogs.showMessage(parent, QString::fromUtf8(kNoMemoryForImage));
    const auto error = busy.run([&] {
        return writeFileSafely(toLocalPath(*path), [&bytes](std::ostream& out) {
            out.write(bytes.constData(), bytes.size());
        });
    });
    if (error) dialogs.showMessage(parent, fromUtf8(error->message()));
}

void PrintPlanClick(QWidget* parent, UserDialogs& dialogs, const PlanPicture& picture) {
    const std::optional<PlanPaper> choice =
        askPlanPaper(parent, picture.view, PlanPaperDialog::Use::Print);
    if (!choice) return;
    QPrinter printer(QPrinter::HighResolution);
    if (!dialogs.askPrinter(parent, printer)) return;
    BusyIndicator busy(parent, QString::fromUtf8(kPrintPlanCaption));
    if (!busy.run([&] { return printPlan(printer, picture, choice->scale, &busy.progress()); })) {
        dialogs.showMessage(parent, QString::fromUtf8(kPrintFailed));
    }
}

}  // namespace korvela
