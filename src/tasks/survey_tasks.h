#pragma once

#include <cstddef>

#include "points/change_history.h"

class QWidget;

namespace korvela {

class PlanImage;
class TForm11;
class TForm2;
class TForm5;
class TForm7;
class TForm8;
class TForm9;
class TGeop;
class UserDialogs;
class Workspace;
struct TraverseResult;
struct ViewState;

// What the survey tasks work with.
struct SurveyTaskWindows {
    QWidget& parent;
    UserDialogs& dialogs;
    Workspace& points;
    ViewState& view;
    PlanImage& plan;
    TGeop& geop;      // the area window
    TForm2& form2;    // the rotation dialog
    TForm5& form5;    // the rotation result window
    TForm7& form7;    // the notice
    TForm8& form8;    // the report window
    TForm9& form9;    // the base point numbers dialog
    TForm11& form11;  // the traverse window
};

// The survey tasks of the main window: the "Задачи" menu, the "Площадь" and "Rotate"
// buttons, "Add to Project", and the traverse path. The computing is in the core; these
// handlers gather the input from the windows and show the results.
class SurveyTasks {
public:
    explicit SurveyTasks(SurveyTaskWindows windows) : windows_(windows) {}

    // "Площадь" button and Задачи ▸ "Площадь": the selected points that are not frozen go
    // to the area window.
    void Button1Click();
    // Задачи ▸ "Длина", "Углы", "Дирекционные углы": reports in the report window.
    void N8Click();
    void N9Click();
    void N14Click();
    // "Rotate" button and Задачи ▸ "Rotate": clears the result window, proposes an angle,
    // shows the rotation dialog.
    void Button2Click();
    // "Повернуть" of the rotation dialog: the selected points turned into the result window.
    void rotate();
    // A view scroll bar of the rotation dialog moved: the plan is turned.
    void applyViewAngles();
    // File ▸ "Add to Project": a second survey joined through three base points.
    void AddtoProject1Click();
    // Задачи ▸ "Выбрать путь хода": the traverse window, and stations picked from now on go to it.
    void N16Click();
    // The traverse rules: a station whose box was ticked, or (after a press on the plan or
    // when rows were rebuilt) every selected station, joins the list while the mode is on.
    void stationTicked(std::size_t point);
    // The boxes of these runs of points were ticked at once ("Выбрать все").
    void stationsTicked(const PointRuns& runs);
    void addSelectedStations(bool showWindow);
    // "Расчитать элементы хода" after the traverse window closed: the traverse computed with
    // the kept settings; a refusal is shown and changes nothing; otherwise the sheets go to
    // the report window and the computed coordinates are written as one step (beyond a limit
    // only when the user agrees).
    void traverseRequested();

private:
    void writeTraverse(const TraverseResult& result);

    SurveyTaskWindows windows_;
};

}  // namespace korvela
