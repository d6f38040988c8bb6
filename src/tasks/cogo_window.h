#pragma once

#include <QDialog>

class QComboBox;
class QFormLayout;
class QLineEdit;
class QTabWidget;
class QTableWidget;

namespace korvela {

class TForm8;
class UserDialogs;
class Workspace;
class ReadingFill;
struct CogoOutcome;
class PlanView;

// "Геодезические задачи" (Задачи menu): one tab per daily computation with fields for point
// numbers and values. "Вычислить" runs the open tab's task with the kept settings: the report
// goes to the report window and a new point is appended as one step; a refusal is shown as a
// message and appends nothing. Angles are typed as "234 07 04", "234-07-04", "234°07′04″" or
// decimal degrees. On the tabs whose values are readings at a station, "Из наблюдений" fills
// them from the imported observations for the numbers typed; a reading not observed leaves
// its field as it was and is named in a message.
class CogoWindow : public QDialog {
public:
    CogoWindow(QWidget* parent, UserDialogs& dialogs, TForm8& report, Workspace& points,
               PlanView& view);

    void ComputeClick();       // "Вычислить"
    void ObservationsClick();  // "Из наблюдений" on the open tab

private:
    void createInverseTab();
    void createPolarTab();
    void createStakeoutTab();
    void createIntersectionTab();
    void createDistanceTab();
    void createResectionTab();
    void createFreeStationTab();
    void addObservationsButton(QFormLayout* form, const char* name);
    CogoOutcome computeOpenTab();
    void fillOpenTab(ReadingFill& fill);
    void fillPolar(ReadingFill& fill);
    void fillDistances(ReadingFill& fill);
    void fillSightRows(ReadingFill& fill, QTableWidget* table, const QLineEdit* station,
                       bool withDistance);
    void showOutcome(const CogoOutcome& outcome);

    UserDialogs& dialogs_;
    TForm8& report_;
    Workspace& points_;
    PlanView& view_;
    QTabWidget* Tasks = nullptr;
    QLineEdit *InverseFrom = nullptr, *InverseTo = nullptr;
    QLineEdit *PolarStation = nullptr, *PolarReading = nullptr, *PolarDistance = nullptr,
              *PolarZenith = nullptr, *PolarIh = nullptr, *PolarTh = nullptr,
              *PolarName = nullptr;
    QTableWidget* PolarOrientation = nullptr;
    QLineEdit *StakeoutStation = nullptr, *StakeoutOrientation = nullptr, *StakeoutIh = nullptr,
              *StakeoutTh = nullptr;
    QTableWidget* IntersectionRays = nullptr;
    QComboBox* IntersectionMode = nullptr;
    QLineEdit* IntersectionName = nullptr;
    QTableWidget* DistanceRows = nullptr;
    QComboBox* DistanceSide = nullptr;
    QLineEdit* DistanceName = nullptr;
    QTableWidget* ResectionRows = nullptr;
    QLineEdit* ResectionName = nullptr;
    QTableWidget* FreeStationRows = nullptr;
    QLineEdit* FreeStationName = nullptr;
};

// Задачи ▸ "Геодезические задачи": the window (made at its first use, kept as the parent's
// child) brought to the front.
void CogoClick(QWidget* parent, UserDialogs& dialogs, TForm8& report, Workspace& points,
               PlanView& view);

}  // namespace korvela
