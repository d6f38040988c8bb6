#include "tasks/tform11.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/korvela_application.h"
#include "ui/qt_text.h"

namespace korvela {
namespace {

// The methods in the order of the method box's items.
const TraverseMethod kMethods[] = {TraverseMethod::Proportional, TraverseMethod::LeastSquares};
const char* const kMethodCaptions[] = {"Распределение невязок (ведомость)",
                                       "Метод наименьших квадратов"};

// One point number a line; blank lines are left out.
std::vector<std::string> numbersOf(const QPlainTextEdit& box) {
    std::vector<std::string> numbers;
    for (const QString& line : box.toPlainText().split(QLatin1Char('\n'))) {
        const QString number = line.trimmed();
        if (!number.isEmpty()) numbers.push_back(toCp1251(number));
    }
    return numbers;
}

void showNumbers(QPlainTextEdit& box, const std::vector<std::string>& numbers) {
    QStringList lines;
    for (const std::string& number : numbers) lines.push_back(fromCp1251(number));
    box.setPlainText(lines.join(QLatin1Char('\n')));
}

QPlainTextEdit* createSightsBox(QWidget* parent, const char* name) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setFixedHeight(box->fontMetrics().lineSpacing() * 3 + 12);
    return box;
}

QLabel* createCaption(QWidget* parent, const char* caption, QWidget* buddy) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

TForm11::TForm11(QWidget* parent, Workspace& points) : QDialog(parent), points_(points) {
    setObjectName("TForm11");
    setWindowTitle(QStringLiteral("Form11"));
    resize(300, 600);
    createControls();

    // While the mode is on the window keeps coming back to the front, also after the user
    // closed it by its title bar.
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TForm11::Timer1Timer);
    Timer1->start();

    points_.addObserver(*this);
    listFileStations();
}

TForm11::~TForm11() { points_.removeObserver(*this); }

void TForm11::createControls() {
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ClearButton = new QPushButton(QString::fromUtf8("Очистить"), this);
    ClearButton->setObjectName("ClearButton");
    FileStations = new QComboBox(this);
    FileStations->setObjectName("FileStations");
    FileStations->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    AddStationButton = new QPushButton(QString::fromUtf8("Добавить"), this);
    AddStationButton->setObjectName("AddStationButton");
    ClosedBox = new QCheckBox(QString::fromUtf8("Замкнутый ход"), this);
    ClosedBox->setObjectName("ClosedBox");
    HangingBox = new QCheckBox(QString::fromUtf8("Висячий ход"), this);
    HangingBox->setObjectName("HangingBox");
    StartSights = createSightsBox(this, "StartSights");
    EndSights = createSightsBox(this, "EndSights");
    MethodBox = new QComboBox(this);
    MethodBox->setObjectName("MethodBox");
    for (const char* caption : kMethodCaptions) MethodBox->addItem(QString::fromUtf8(caption));
    Button1 = new QPushButton(QString::fromUtf8("Расчитать элементы хода"), this);
    Button1->setObjectName("Button1");

    connect(Button1, &QPushButton::clicked, this, &TForm11::Button1Click);
    connect(ClearButton, &QPushButton::clicked, this, &TForm11::ClearButtonClick);
    connectCommand(AddStationButton, &QPushButton::clicked, this,
                   [this] { AddStationButtonClick(); });
    // A path is closed or hanging, never both.
    for (QCheckBox* box : {ClosedBox, HangingBox}) {
        connect(box, &QCheckBox::toggled, this, [this, box](bool on) {
            if (on) shapeChosen(box);
        });
    }

    auto* fileStations = new QHBoxLayout;
    fileStations->addWidget(FileStations, 1);
    fileStations->addWidget(AddStationButton);
    auto* shape = new QHBoxLayout;
    shape->addWidget(ClosedBox);
    shape->addWidget(HangingBox);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListBox1, 1);
    layout->addWidget(ClearButton);
    layout->addWidget(createCaption(this, "Станции файла:", FileStations));
    layout->addLayout(fileStations);
    layout->addLayout(shape);
    layout->addWidget(createCaption(this, "Ориентирование в начале (по пункту в строке):",
                                    StartSights));
    layout->addWidget(StartSights);
    layout->addWidget(createCaption(this, "Ориентирование в конце:", EndSights));
    layout->addWidget(EndSights);
    layout->addWidget(createCaption(this, "Метод:", MethodBox));
    layout->addWidget(MethodBox);
    layout->addWidget(Button1);
}

void TForm11::startPathMode() {
    show();
    pathMode_ = true;
}

bool TForm11::ListContains(std::string_view number) const {
    return listed_.count(std::string(number)) > 0;
}

// A new first station brings the start's proposal, every new last station the end's.
void TForm11::addStation(const std::string& number) {
    if (ListContains(number)) return;
    listed_.insert(number);
    stations_.push_back(number);
    ListBox1->addItem(fromCp1251(number));
    if (stations_.size() == 1) proposeSights(true);
    proposeSights(false);
}

void TForm11::proposeSights(bool start) {
    const auto propose = start ? proposedStartSights : proposedEndSights;
    showNumbers(start ? *StartSights : *EndSights,
                propose(points_.store(), points_.observations(), stations_));
}

TraverseRequest TForm11::request() const {
    TraverseRequest request;
    request.stations = stations_;
    request.shape = ClosedBox->isChecked()    ? TraverseShape::Closed
                    : HangingBox->isChecked() ? TraverseShape::Hanging
                                              : TraverseShape::Link;
    request.startSights = numbersOf(*StartSights);
    request.endSights = numbersOf(*EndSights);
    request.method = kMethods[std::max(MethodBox->currentIndex(), 0)];
    return request;
}

void TForm11::shapeChosen(QCheckBox* chosen) {
    QCheckBox* other = chosen == ClosedBox ? HangingBox : ClosedBox;
    other->setChecked(false);
}

void TForm11::Button1Click() {
    pathMode_ = false;
    close();
    emit computeRequested();
}

void TForm11::Timer1Timer() {
    if (!pathMode_) return;
    show();
    raise();
}

void TForm11::ClearButtonClick() {
    stations_.clear();
    listed_.clear();
    ListBox1->clear();
    StartSights->clear();
    EndSights->clear();
}

void TForm11::AddStationButtonClick() {
    if (FileStations->currentIndex() < 0) return;
    addStation(FileStations->currentData().toByteArray().toStdString());
}

// The stations of the observation list's set-ups, each once, in file order; each item keeps
// the number's bytes.
void TForm11::listFileStations() {
    const ObservationList& observations = points_.observations();
    std::unordered_set<std::string_view> listed;
    FileStations->clear();
    for (const StationSetUp& setUp : observations.setUps) {
        const std::string_view number = observations.names[setUp.station];
        if (!listed.insert(number).second) continue;
        FileStations->addItem(fromCp1251(number),
                              QByteArray(number.data(), static_cast<qsizetype>(number.size())));
    }
}

void TForm11::workspaceChanged(const WorkspaceChange& change) {
    if (change.kind == WorkspaceChange::Kind::Replaced) listFileStations();
}

}  // namespace korvela
