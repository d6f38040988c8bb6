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
#include "common/angle_text.h"
#include "common/number_parse.h"
#include "common/number_text.h"
#include "plan/plan_view.h"
#include "points/workspace.h"
#include "tasks/daily_computations.h"
#include "tasks/station_readings.h"
#include "tasks/tform8.h"
#include "ui/cogo_tolerances.h"
#include "ui/korvela_application.h"
#include "ui/tolerances.h"
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

// The rows whose point number is filled in, and those numbers.
std::vector<int> filledRows(const QTableWidget* table) {
    std::vector<int> rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        if (!trimmed(cell(table, row, 0)).isEmpty()) rows.push_back(row);
    }
    return rows;
}
std::vector<QString> numbersIn(const QTableWidget* table, const std::vector<int>& rows) {
    std::vector<QString> numbers;
    for (int row : rows) numbers.push_back(trimmed(cell(table, row, 0)));
    return numbers;
}

void setCell(QTableWidget* table, int row, int column, const QString& text) {
    table->setItem(row, column, new QTableWidgetItem(text));
}

QString requiredNumber(const QLineEdit* field, const char* what) {
    const QString number = trimmed(field->text());
    if (number.isEmpty()) throw BadInput(std::string("Введите ") + what + ".");
    return number;
}

QString angleField(double degrees) { return fromUtf8(dmsFieldText(degrees)); }
QString lengthField(double metres) { return fromUtf8(formatFixed(metres, 4)); }

double valueOf(const std::optional<ReducedTarget>& target, double ReducedTarget::*member) {
    return target ? *target.*member : kNotRecorded;
}

}  // namespace

// Takes a tab's readings from the observation list and keeps the names of those not
// observed.
class ReadingFill {
public:
    explicit ReadingFill(const ObservationList& observations)
        : observations_(observations), settings_(readTraverseSettings()) {}

    StationReadings at(const QString& station, const std::vector<QString>& targets) const {
        std::vector<std::string> numbers;
        for (const QString& target : targets) numbers.push_back(pointNumber(target));
        return readingsAtStation(observations_, pointNumber(station), numbers, settings_);
    }

    // Writes the value's field text, or names the reading as not observed.
    template <typename Write>
    void put(double value, QString (*text)(double), const char* what, const QString& station,
             const QString& target, Write write) {
        if (recorded(value)) return write(text(value));
        missing.push_back(QString::fromUtf8(what) + " " + station + " - " + target);
    }

    QStringList missing;

private:
    const ObservationList& observations_;
    TraverseSettings settings_;
};

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

void CogoWindow::addObservationsButton(QFormLayout* form, const char* name) {
    auto* button = new QPushButton(QString::fromUtf8("Из наблюдений"));
    button->setObjectName(name);
    button->setToolTip(QString::fromUtf8(
        "Заполнить отсчёты по наблюдениям импортированного полевого файла"));
    form->addRow(button);
    connectCommand(button, &QPushButton::clicked, this, [this] { ObservationsClick(); });
}

void CogoWindow::createInverseTab() {
    QFormLayout* form = addTab(Tasks, "InverseTab", "Обратная задача");
    InverseFrom = addField(form, "InverseFrom", "От точки");
    InverseTo = addField(form, "InverseTo", "До точки");
}

void CogoWindow::createPolarTab() {
    QFormLayout* form = addTab(Tasks, "PolarTab", "Полярная засечка");
    addObservationsButton(form, "PolarObservations");
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
    addObservationsButton(form, "DistanceObservations");
    DistanceRows = addTable(form, "DistanceRows", headers({"Точка", "Расстояние, м"}));
    DistanceSide = addChoice(form, "DistanceSide", "По двум расстояниям точка",
                             {"справа от A - B", "слева от A - B"});
    DistanceName = addField(form, "DistanceName", "Номер новой точки (пусто - следующий)");
}

void CogoWindow::createResectionTab() {
    QFormLayout* form = addTab(Tasks, "ResectionTab", "Обратная засечка");
    addObservationsButton(form, "ResectionObservations");
    ResectionRows = addTable(form, "ResectionRows", headers({"Точка", "Направление"}));
    ResectionName = addField(form, "ResectionName", "Номер станции (пусто - следующий)");
}

void CogoWindow::createFreeStationTab() {
    QFormLayout* form = addTab(Tasks, "FreeStationTab", "Свободная станция");
    addObservationsButton(form, "FreeStationObservations");
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

void CogoWindow::ObservationsClick() {
    try {
        if (points_.observations().empty())
            throw BadInput("Наблюдения не загружены: импортируйте полевой файл.");
        ReadingFill fill(points_.observations());
        fillOpenTab(fill);
        if (!fill.missing.isEmpty())
            dialogs_.showMessage(this, QString::fromUtf8("Не наблюдались (поля оставлены как были): ") +
                                           fill.missing.join("; ") + ".");
    } catch (const BadInput& error) {
        dialogs_.showMessage(this, fromUtf8(error.what()));
    }
}

void CogoWindow::fillOpenTab(ReadingFill& fill) {
    const QString tab = Tasks->currentWidget()->objectName();
    if (tab == "PolarTab") return fillPolar(fill);
    if (tab == "DistanceTab") return fillDistances(fill);
    if (tab == "ResectionTab") return fillSightRows(fill, ResectionRows, ResectionName, false);
    fillSightRows(fill, FreeStationRows, FreeStationName, true);
}

// The orientation readings, then the reading, slope distance and zenith to the new point
// with the heights of instrument and target that go with them.
void CogoWindow::fillPolar(ReadingFill& fill) {
    const QString station = requiredNumber(PolarStation, "номер станции");
    const QString target = requiredNumber(PolarName, "номер новой точки");
    const std::vector<int> rows = filledRows(PolarOrientation);
    std::vector<QString> targets = numbersIn(PolarOrientation, rows);
    targets.push_back(target);
    const StationReadings readings = fill.at(station, targets);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        fill.put(valueOf(readings.targets[i], &ReducedTarget::direction), angleField, "отсчёт",
                 station, targets[i],
                 [&](const QString& text) { setCell(PolarOrientation, rows[i], 1, text); });
    }
    const std::optional<ReducedTarget>& sighted = readings.targets.back();
    fill.put(valueOf(sighted, &ReducedTarget::direction), angleField, "отсчёт", station, target,
             [&](const QString& text) { PolarReading->setText(text); });
    // A slope distance without its zenith angle would be taken for a horizontal one.
    const double zenith = valueOf(sighted, &ReducedTarget::zenith);
    const double slope = recorded(zenith) ? valueOf(sighted, &ReducedTarget::slopeDistance)
                                          : kNotRecorded;
    fill.put(slope, lengthField, "расстояние", station, target, [&](const QString& text) {
        PolarDistance->setText(text);
        PolarZenith->setText(angleField(zenith));
        PolarIh->setText(fromUtf8(formatNumber(readings.instrumentHeight)));
        PolarTh->setText(fromUtf8(formatNumber(sighted->targetHeight)));
    });
}

// Each row's point is a station that measured the distance to the new point.
void CogoWindow::fillDistances(ReadingFill& fill) {
    const QString target = requiredNumber(DistanceName, "номер новой точки");
    const std::vector<int> rows = filledRows(DistanceRows);
    const std::vector<QString> stations = numbersIn(DistanceRows, rows);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const StationReadings readings = fill.at(stations[i], {target});
        fill.put(valueOf(readings.targets[0], &ReducedTarget::horizontalDistance), lengthField,
                 "расстояние", stations[i], target,
                 [&](const QString& text) { setCell(DistanceRows, rows[i], 1, text); });
    }
}

// The directions (and horizontal distances) read at the new station to each row's point.
void CogoWindow::fillSightRows(ReadingFill& fill, QTableWidget* table, const QLineEdit* station,
                               bool withDistance) {
    const QString stationNumber = requiredNumber(station, "номер станции");
    const std::vector<int> rows = filledRows(table);
    const std::vector<QString> targets = numbersIn(table, rows);
    const StationReadings readings = fill.at(stationNumber, targets);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        fill.put(valueOf(readings.targets[i], &ReducedTarget::direction), angleField,
                 "направление", stationNumber, targets[i],
                 [&](const QString& text) { setCell(table, rows[i], 1, text); });
        if (!withDistance) continue;
        fill.put(valueOf(readings.targets[i], &ReducedTarget::horizontalDistance), lengthField,
                 "расстояние", stationNumber, targets[i],
                 [&](const QString& text) { setCell(table, rows[i], 2, text); });
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
