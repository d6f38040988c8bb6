#include "plan/tsettings.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTabWidget>
#include <iterator>

#include "common/number_parse.h"
#include "common/number_text.h"
#include "ui/code_layer_settings.h"
#include "plan/plan_image.h"
#include "points/view_state.h"
#include "points/point_table_text.h"
#include "ui/korvela_application.h"
#include "ui/qt_text.h"
#include "ui/cogo_tolerances.h"
#include "ui/tolerances.h"
#include "ui/user_dialogs.h"
#include "ui/window_style.h"

namespace korvela {

// The fields of the page "допуски": each a number that decides a survey task's result.
struct ToleranceField {
    const char* name;
    const char* caption;
    const char* takes;  // what the field takes, for the message on a value it cannot
    const Tolerance& tolerance;
};

namespace {

// A check box whose caption wraps onto further lines within its width (a caption longer
// than the narrow window is wide); a click anywhere on it toggles it.
class WrappingCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QRect captionArea =
            style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
        option.text.clear();
        painter.drawControl(QStyle::CE_CheckBox, option);
        style()->drawItemText(&painter, captionArea,
                              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, palette(),
                              isEnabled(), text(), QPalette::WindowText);
    }
    bool hitButton(const QPoint& position) const override { return rect().contains(position); }
};

const char* const kPositiveSeconds = "число секунд больше 0";
const char* const kPositiveNumber = "число больше 0";
const char* const kAngleBelowRight = "число градусов больше 0 и меньше 90";

const ToleranceField kToleranceFields[] = {
    {"JoinLimit", "Add to Project: наибольшее расхождение с подобием по базовым точкам, м",
     "число метров больше 0", kJoinLimit},
    {"BlunderConfidence", "Трансформация по общим точкам: вероятность для отметки «!»",
     "число больше 0 и меньше 1", kBlunderConfidence},
    {"AngularLimit", "Ход: допустимая угловая невязка, ″ (умножается на √n)", kPositiveSeconds,
     traverseTolerance(&TraverseSettings::angularLimitSeconds)},
    {"RelativeLimit", "Ход: допустимая относительная невязка 1 : N, N", kPositiveNumber,
     traverseTolerance(&TraverseSettings::relativeLimit)},
    {"HeightLimit", "Ход: допустимая невязка высот, см (k в k·S/√n, S в метрах)",
     kPositiveNumber, traverseTolerance(&TraverseSettings::heightLimitCentimetres)},
    {"CollimationLimit", "Полуприёмы: наибольшая коллимационная ошибка 2c, ″", kPositiveSeconds,
     traverseTolerance(&TraverseSettings::collimationLimitSeconds)},
    {"IndexLimit", "Полуприёмы: наибольшее место зенита, ″", kPositiveSeconds,
     traverseTolerance(&TraverseSettings::indexLimitSeconds)},
    {"HorizonClosure", "Приёмы: наибольшее незамыкание горизонта, ″", kPositiveSeconds,
     traverseTolerance(&TraverseSettings::horizonClosureSeconds)},
    {"Refraction", "Коэффициент рефракции k", "число от 0 (включая) до 1",
     traverseTolerance(&TraverseSettings::refraction)},
    {"SigmaDirection", "Уравнивание: σ направления, ″", kPositiveSeconds,
     traverseTolerance(&TraverseSettings::sigmaDirectionSeconds)},
    {"SigmaDistance", "Уравнивание: σ расстояния = a + b·D, a в мм", "число миллиметров больше 0",
     traverseTolerance(&TraverseSettings::sigmaDistanceMillimetres)},
    {"SigmaDistancePpm", "Уравнивание: σ расстояния = a + b·D, b в мм/км",
     "число не меньше 0", traverseTolerance(&TraverseSettings::sigmaDistancePpm)},
    {"CogoIntersectionLimit", "Засечки: наименьший угол пересечения лучей и окружностей, °",
     kAngleBelowRight, cogoTolerance(&CogoSettings::intersectionLimitDegrees)},
    {"CogoResectionLimit", "Обратная засечка: наименьший угол пересечения окружностей, °",
     kAngleBelowRight, cogoTolerance(&CogoSettings::resectionLimitDegrees)},
    {"CogoStationErrorLimit", "Засечки по МНК: наибольшая СКО положения точки, мм",
     "число миллиметров больше 0", cogoTolerance(&CogoSettings::stationErrorLimitMillimetres)},
    {"CogoSigmaDirection", "Засечки по МНК: σ направления, ″", kPositiveSeconds,
     cogoTolerance(&CogoSettings::sigmaDirectionSeconds)},
    {"CogoSigmaDistance", "Засечки по МНК: σ расстояния = a + b·D, a в мм",
     "число миллиметров больше 0", cogoTolerance(&CogoSettings::sigmaDistanceMillimetres)},
    {"CogoSigmaDistancePpm", "Засечки по МНК: σ расстояния = a + b·D, b в мм/км",
     "число не меньше 0", cogoTolerance(&CogoSettings::sigmaDistancePpm)},
    {"CogoRefraction", "Полярная засечка: коэффициент рефракции k", "число от 0 (включая) до 1",
     cogoTolerance(&CogoSettings::refraction)},
};
static_assert(std::size(kToleranceFields) ==
                  2 + std::size(kTraverseTolerances) + std::size(kCogoTolerances),
              "every traverse and daily computation setting has its field");
const char* const kUnusableToleranceText = "Значение «%1» не подходит: нужно %2.";

template <typename Box = QCheckBox>
QCheckBox* createCheckBox(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* box = new Box(QString::fromUtf8(caption), parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    box->setChecked(true);
    return box;
}

}  // namespace

TSettings::TSettings(QWidget* parent, PlanView& view, PlanImage& plan, UserDialogs& dialogs)
    : QDialog(parent), view_(view), plan_(plan), dialogs_(dialogs) {
    setObjectName("TSettings");
    setWindowTitle(QStringLiteral("Settings"));
    setFont(windowFont(12));
    setFixedSize(300, 273);
    createControls();
    view_.addObserver(*this);
}

TSettings::~TSettings() { view_.removeObserver(*this); }

void TSettings::createControls() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setGeometry(4, 4, 292, 224);
    auto* screen = new QWidget;
    screen->setObjectName("TabSheet1");
    auto* axes = new QWidget;
    axes->setObjectName("TabSheet2");
    PageControl1->addTab(screen, QString::fromUtf8("экран"));
    PageControl1->addTab(axes, QString::fromUtf8("выбрать xyz"));
    createToleranceFields();

    ShowNumberHight =
        createCheckBox(screen, "ShowNumberHight", "Показывать надписи", {8, 8, 270, 22});
    ShowNumber = createCheckBox(screen, "ShowNumber", "Показывать номера", {28, 32, 250, 22});
    ShowHight = createCheckBox(screen, "ShowHight", "Показывать высоты", {28, 56, 250, 22});
    CheckBox1 = createCheckBox<WrappingCheckBox>(
        screen, "CheckBox1", "масштаб надписи вместе с увеличением экрана", {8, 84, 276, 40});
    CheckBox1->setChecked(false);
    CodeColours = createCheckBox(screen, "CodeColours", "Цвета по кодам", {8, 196, 270, 22});
    auto* label = new QLabel(QString::fromUtf8("Радиус курсора"), screen);
    label->setObjectName("Label1");
    label->setGeometry(8, 132, 120, 22);
    Cursor = new QLineEdit(QStringLiteral("5"), screen);
    Cursor->setObjectName("Cursor");
    Cursor->setGeometry(132, 132, 24, 22);
    Button2 = new QPushButton(QString::fromUtf8("Изменить шрифт"), screen);
    Button2->setObjectName("Button2");
    Button2->setGeometry(8, 164, 150, 28);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(112, 236, 75, 28);

    // Programmatic changes run the handlers too, as a click would.
    connectCommand(ShowNumberHight, &QCheckBox::toggled, this, [this] { ShowNumberHightClick(); });
    for (QCheckBox* box : {ShowNumber, ShowHight, CheckBox1}) {
        connectCommand(box, &QCheckBox::toggled, this, [this] { ShowNumberClick(); });
    }
    connectCommand(Cursor, &QLineEdit::textChanged, this, [this] { ShowNumberClick(); });
    CodeColours->setChecked(read(kPlanColoursByCode));
    applyCodeColours();
    connectCommand(CodeColours, &QCheckBox::toggled, this, [this] { CodeColoursClick(); });
    connectCommand(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connectCommand(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

// The fields stand one under another, each with its caption on its left; the page scrolls.
void TSettings::createToleranceFields() {
    auto* scroll = new QScrollArea;
    scroll->setObjectName("TolerancesPage");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PageControl1->addTab(scroll, QString::fromUtf8("допуски"));
    auto* page = new QWidget;
    constexpr int kRowHeight = 48;
    int top = 4;
    for (const ToleranceField& entry : kToleranceFields) {
        auto* label = new QLabel(QString::fromUtf8(entry.caption), page);
        label->setWordWrap(true);
        label->setGeometry(6, top, 186, kRowHeight - 4);
        auto* field = new QLineEdit(fromUtf8(formatNumber(read(entry.tolerance))), page);
        field->setObjectName(entry.name);
        field->setGeometry(196, top + 10, 62, 22);
        label->setBuddy(field);
        connectCommand(field, &QLineEdit::editingFinished, this,
                       [this, field, &entry] { toleranceEdited(*field, entry); });
        top += kRowHeight;
    }
    page->resize(264, top);
    scroll->setWidget(page);
}

// A value the task can use is kept at once; another brings the kept one back into the field
// (before the message, whose window takes the focus and finishes the editing again).
void TSettings::toleranceEdited(QLineEdit& field, const ToleranceField& entry) {
    const QString typed = field.text();
    const std::optional<double> value = parseTypedCoordinate(toUtf8(typed));
    if (value && entry.tolerance.usable(*value)) return write(entry.tolerance.preference, *value);
    field.setText(fromUtf8(formatNumber(read(entry.tolerance))));
    dialogs_.showMessage(
        this, QString::fromUtf8(kUnusableToleranceText).arg(typed, QString::fromUtf8(entry.takes)));
}

// Each sub-box that changes runs its own handler; a bad radius stops the whole click there.
void TSettings::ShowNumberHightClick() {
    for (QCheckBox* box : {ShowNumber, ShowHight}) {
        if (box->isChecked() == ShowNumberHight->isChecked()) continue;
        const QSignalBlocker quiet(box);
        box->setChecked(ShowNumberHight->isChecked());
        ShowNumberClick();
    }
    view_.change([this](ViewState& view) { takeLabels(view); });
}

void TSettings::ShowNumberClick() {
    if (ShowHight->isChecked() == ShowNumber->isChecked())
        ShowNumberHight->setChecked(ShowNumber->isChecked());
    view_.change([this](ViewState& view) { takeLabels(view); });  // kept when the radius fails
    view_.change([this](ViewState& view) {
        view.cursorRadius = toIntStrict(toUtf8(Cursor->text()));
        view.scaleLabelsWithZoom = CheckBox1->isChecked() ? 1 : 0;
    });
}

void TSettings::takeLabels(ViewState& view) const {
    view.showNumbers = ShowNumber->isChecked() ? 1 : 0;
    view.showHeights = ShowHight->isChecked() ? 1 : 0;
}

void TSettings::Button2Click() {
    if (const auto font = dialogs_.askFont(this, plan_.labelFont())) plan_.setLabelFont(*font);
}

void TSettings::Button1Click() { close(); }

// A radius the user is still typing (no integer yet) stays in its field until the view's
// radius itself changes.
void TSettings::viewChanged(const ViewState& before) {
    const ViewState& view = view_.state();
    const auto show = [](QCheckBox& box, std::uint8_t now, std::uint8_t was) {
        const QSignalBlocker quiet(box);
        if (now != was) box.setChecked(now != 0);
    };
    show(*ShowNumber, view.showNumbers, before.showNumbers);
    show(*ShowHight, view.showHeights, before.showHeights);
    show(*CheckBox1, view.scaleLabelsWithZoom, before.scaleLabelsWithZoom);
    if (view.showNumbers == view.showHeights) {
        show(*ShowNumberHight, view.showNumbers, ShowNumberHight->isChecked() ? 1 : 0);
    }
    if (view.cursorRadius != before.cursorRadius) {
        const QSignalBlocker quiet(Cursor);
        Cursor->setText(QString::number(view.cursorRadius));
    }
}

void TSettings::CodeColoursClick() {
    write(kPlanColoursByCode, CodeColours->isChecked());
    applyCodeColours();
}

void TSettings::applyCodeColours() {
    plan_.setCodeColours(CodeColours->isChecked() ? std::optional(userCodeTable()) : std::nullopt);
}

}  // namespace korvela
