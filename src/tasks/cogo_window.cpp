#include "tasks/cogo_window.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <stdexcept>

#include "common/angle_parse.h"
#include "common/number_parse.h"
#include "plan/plan_view.h"
#include "points/workspace.h"
#include "tasks/daily_computations.h"
#include "tasks/tform8.h"
#include "ui/cogo_tolerances.h"
#include "ui/korvela_application.h"
#include "ui/qt_text.h"
#include "ui/user_dialogs.h"
#include "ui/window_style.h"

namespace korvela {
namespace {

constexpr int kTableRows = 8;

// A typed value the task cannot take; its message is shown and nothing is computed.
class BadInput : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

QLineEdit* addField(QFormLayout* form, const char* name, const char* caption) {
    auto* field = new QLineEdit;
    field->setObjectName(name);
    form->addRow(QString::fromUtf8(caption), field);
    return field;
}

QTableWidget* addTable(QFormLayout* form, const char* name, const QStringList& headers) {
    auto* table = new QTableWidget(kTableRows, static_cast<int>(headers.size()));
    table->setObjectName(name);
    table->setHorizontalHeaderLabels(headers);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    form->addRow(table);
    return table;
}

QComboBox* addChoice(QFormLayout* form, const char* name, const char* caption,
                     std::initializer_list<const char*> items) {
    auto* box = new QComboBox;
    box->setObjectName(name);
    for (const char* item : items) box->addItem(QString::fromUtf8(item));
    form->addRow(QString::fromUtf8(caption), box);
    return box;
}

QFormLayout* addTab(QTabWidget* tabs, const char* name, const char* caption) {
    auto* page = new QWidget;
    page->setObjectName(name);
    tabs->addTab(page, QString::fromUtf8(caption));
    return new QFormLayout(page);
}

QString trimmed(const QString& text) { return text.trimmed(); }

std::string pointNumber(const QString& text) { return toCp1251(trimmed(text)); }

double angleOf(const QString& text) {
    const auto value = parseAngle(toUtf8(trimmed(text)));
    if (!value)
        throw BadInput("Угол «" + toUtf8(text) +
                       "» не распознан: нужны градусы, минуты, секунды (234 07 04) или "
                       "градусы с дробью (234.11767).");
    return *value;
}

double numberOf(const QString& text) { return toDoubleStrict(toUtf8(text)); }

// An empty field reads as 0 (instrument and target heights).
double heightOf(const QLineEdit* field) {
    return trimmed(field->text()).isEmpty() ? 0 : numberOf(field->text());
}

QString cell(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text() : QString();
}

// The rows whose point number is filled in.
template <typename Row>
std::vector<Row> rowsOf(const QTableWidget* table, Row (*read)(const QTableWidget*, int)) {
    std::vector<Row> rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        if (!trimmed(cell(table, row, 0)).isEmpty()) rows.push_back(read(table, row));
    }
    return rows;
}

SightValue angleRow(const QTableWidget* table, int row) {
    return {pointNumber(cell(table, row, 0)), angleOf(cell(table, row, 1))};
}
SightValue distanceRow(const QTableWidget* table, int row) {
    return {pointNumber(cell(table, row, 0)), numberOf(cell(table, row, 1))};
}
FreeStationSight freeStationRow(const QTableWidget* table, int row) {
    return {pointNumber(cell(table, row, 0)), angleOf(cell(table, row, 1)),
            numberOf(cell(table, row, 2))};
}

QStringList headers(std::initializer_list<const char*> captions) {
    QStringList list;
    for (const char* caption : captions) list << QString::fromUtf8(caption);
    return list;
}

}  // namespace

CogoWindow::CogoWindow(QWidget* parent, UserDialogs& dialogs, TForm8& report, Workspace& points,
                       PlanView& view)
    : QDialog(parent), dialogs_(dialogs), report_(report), points_(points), view_(view) {
    setObjectName("CogoWindow");
    setWindowTitle(QString::fromUtf8("Геодезические задачи"));
    setFont(windowFont(10));
    auto* layout = new QVBoxLayout(this);
    Tasks = new QTabWidget;
    Tasks->setObjectName("Tasks");
    layout->addWidget(Tasks);
    createInverseTab();
    createPolarTab();
    createStakeoutTab();
    createIntersectionTab();
    createDistanceTab();
    createResectionTab();
    createFreeStationTab();
    auto* buttons = new QHBoxLayout;
    auto* compute = new QPushButton(QString::fromUtf8("Вычислить"));
    compute->setObjectName("Compute");
    auto* close = new QPushButton(QString::fromUtf8("Закрыть"));
    close->setObjectName("Close");
    buttons->addStretch();
    buttons->addWidget(compute);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    resize(780, 580);  // every tab's caption in view
    connectCommand(compute, &QPushButton::clicked, this, [this] { ComputeClick(); });
    connectCommand(close, &QPushButton::clicked, this, [this] { hide(); });
}

void CogoWindow::createInverseTab() {
    QFormLayout* form = addTab(Tasks, "InverseTab", "Обратная задача");
    InverseFrom = addField(form, "InverseFrom", "От точки");
    InverseTo = addField(form, "InverseTo", "До точки");
}

void CogoWindow::createPolarTab() {
    QFormLayout* form = addTab(Tasks, "PolarTab", "Полярная засечка");
    PolarStation = addField(form, "PolarStation", "Станция");
    form->addRow(new QLabel(QString::fromUtf8(
        "Ориентирование (по нескольким точкам - среднее, вес - расстояние):")));
    PolarOrientation = addTable(form, "PolarOrientation", headers({"Точка", "Отсчёт"}));
    PolarReading = addField(form, "PolarReading", "Отсчёт на новую точку");
    PolarDistance = addField(form, "PolarDistance", "Расстояние, м");
    PolarZenith = addField(form, "PolarZenith", "Зенитное расстояние (пусто - расстояние горизонтальное)");
    PolarIh = addField(form, "PolarIh", "Высота инструмента, м");
    PolarTh = addField(form, "PolarTh", "Высота цели, м");
    PolarName = addField(form, "PolarName", "Номер новой точки (пусто - следующий)");
}

void CogoWindow::createStakeoutTab() {
    QFormLayout* form = addTab(Tasks, "StakeoutTab", "Вынос в натуру");
    StakeoutStation = addField(form, "StakeoutStation", "Станция");
    StakeoutOrientation = addField(form, "StakeoutOrientation", "Ориентир");
    StakeoutIh = addField(form, "StakeoutIh", "Высота инструмента, м");
    StakeoutTh = addField(form, "StakeoutTh", "Высота цели, м");
    form->addRow(new QLabel(QString::fromUtf8("Выносятся точки, выбранные в таблице.")));
}

void CogoWindow::createIntersectionTab() {
    QFormLayout* form = addTab(Tasks, "IntersectionTab", "Прямая засечка");
    IntersectionMode = addChoice(form, "IntersectionMode", "Углы",
                                 {"дирекционные углы с исходных точек",
                                  "измеренные на A и B, точка справа от A - B",
                                  "измеренные на A и B, точка слева от A - B"});
    IntersectionRays = addTable(form, "IntersectionRays", headers({"Точка", "Угол"}));
    IntersectionName = addField(form, "IntersectionName", "Номер новой точки (пусто - следующий)");
}

void CogoWindow::createDistanceTab() {
    QFormLayout* form = addTab(Tasks, "DistanceTab", "Линейная засечка");
    DistanceRows = addTable(form, "DistanceRows", headers({"Точка", "Расстояние, м"}));
    DistanceSide = addChoice(form, "DistanceSide", "По двум расстояниям точка",
                             {"справа от A - B", "слева от A - B"});
    DistanceName = addField(form, "DistanceName", "Номер новой точки (пусто - следующий)");
}

void CogoWindow::createResectionTab() {
    QFormLayout* form = addTab(Tasks, "ResectionTab", "Обратная засечка");
    ResectionRows = addTable(form, "ResectionRows", headers({"Точка", "Направление"}));
    ResectionName = addField(form, "ResectionName", "Номер станции (пусто - следующий)");
}

void CogoWindow::createFreeStationTab() {
    QFormLayout* form = addTab(Tasks, "FreeStationTab", "Свободная станция");
    FreeStationRows = addTable(form, "FreeStationRows",
                               headers({"Точка", "Направление", "Расстояние, м"}));
    FreeStationName = addField(form, "FreeStationName", "Номер станции (пусто - следующий)");
}

CogoOutcome CogoWindow::computeOpenTab() {
    const PointStore& store = points_.store();
    const CogoSettings settings = readCogoSettings();
    const QWidget* tab = Tasks->currentWidget();
    if (tab->objectName() == "InverseTab")
        return computeInverse(store, {pointNumber(InverseFrom->text()), pointNumber(InverseTo->text())},
                              settings);
    if (tab->objectName() == "PolarTab") {
        PolarRequest request{pointNumber(PolarStation->text()),
                             rowsOf(PolarOrientation, angleRow),
                             angleOf(PolarReading->text()),
                             numberOf(PolarDistance->text()),
                             std::nullopt,
                             heightOf(PolarIh),
                             heightOf(PolarTh),
                             pointNumber(PolarName->text())};
        if (!trimmed(PolarZenith->text()).isEmpty()) request.zenith = angleOf(PolarZenith->text());
        return computePolar(store, request, settings);
    }
    if (tab->objectName() == "StakeoutTab") {
        StakeoutRequest request{pointNumber(StakeoutStation->text()),
                                pointNumber(StakeoutOrientation->text()), {},
                                heightOf(StakeoutIh), heightOf(StakeoutTh)};
        for (std::size_t i = 0; i < store.count(); ++i)
            if (points_.selected()[i] == 1) request.points.emplace_back(store.number()[i]);
        if (request.points.empty()) throw BadInput("Выберите в таблице точки для выноса.");
        return computeStakeout(store, request, settings);
    }
    if (tab->objectName() == "IntersectionTab") {
        const int mode = IntersectionMode->currentIndex();
        IntersectionRequest request{rowsOf(IntersectionRays, angleRow), std::nullopt,
                                    pointNumber(IntersectionName->text())};
        if (mode > 0) request.measuredAngles = mode == 1 ? LineSide::Right : LineSide::Left;
        return computeIntersection(store, request, settings);
    }
    if (tab->objectName() == "DistanceTab")
        return computeDistanceIntersection(
            store,
            {rowsOf(DistanceRows, distanceRow),
             DistanceSide->currentIndex() == 0 ? LineSide::Right : LineSide::Left,
             pointNumber(DistanceName->text())},
            settings);
    if (tab->objectName() == "ResectionTab")
        return computeResection(store, {rowsOf(ResectionRows, angleRow), pointNumber(ResectionName->text())},
                                settings);
    return computeFreeStation(
        store, {rowsOf(FreeStationRows, freeStationRow), pointNumber(FreeStationName->text())},
        settings);
}

void CogoWindow::ComputeClick() {
    // A number that does not convert throws the program's conversion message, which the
    // general handler shows; an angle that does not is reported here.
    try {
        showOutcome(computeOpenTab());
    } catch (const BadInput& error) {
        dialogs_.showMessage(this, fromUtf8(error.what()));
    }
}

void CogoWindow::showOutcome(const CogoOutcome& outcome) {
    if (outcome.refusal) return dialogs_.showMessage(this, fromUtf8(outcome.refusal->text));
    const QString caption = Tasks->tabText(Tasks->currentIndex());
    report_.showReport(caption, outcome.report);
    if (outcome.points.count() == 0) return;
    appendShowingPoints(points_, view_, outcome.points, toUtf8(caption));
}

void CogoClick(QWidget* parent, UserDialogs& dialogs, TForm8& report, Workspace& points,
               PlanView& view) {
    auto* window = parent->findChild<CogoWindow*>("CogoWindow", Qt::FindDirectChildrenOnly);
    if (!window) window = new CogoWindow(parent, dialogs, report, points, view);
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace korvela
