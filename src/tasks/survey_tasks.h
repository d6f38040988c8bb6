#pragma once

#include <cstddef>

#include "points/change_history.h"

class QWidget;

namespace korvela {

class PlanView;
class TForm11;
class TForm7;
class TForm8;
class TForm9;
class UserDialogs;
class Workspace;
struct TraverseResult;

// The survey tasks of the main window: the "Задачи" menu's reports, "Add to Project", and
// the traverse path. The computing is in the core; each handler receives the windows it uses, gathers the input from them and shows the results.

// Задачи ▸ "Длина", "Углы", "Дирекционные углы": reports in the report window.
void N8Click(QWidget* parent, UserDialogs& dialogs, const Workspace& points, TForm8& report);
void N9Click(const Workspace& points, TForm8& report);
void N14Click(const Workspace& points, TForm9& numbers, TForm8& report);
// File ▸ "Add to Project": a second survey joined through three base points.
void AddtoProject1Click(QWidget* parent, UserDialogs& dialogs, Workspace& points, PlanView& view,
                        TForm7& notice, TForm9& numbers);

// The traverse path: Задачи ▸ "Выбрать путь хода", the stations picked while its mode is on,
// and the traverse computed when the window asks.
class TraversePath {
public:
    TraversePath(QWidget& parent, UserDialogs& dialogs, Workspace& points, TForm11& traverse,
                 TForm8& report)
        : parent_(parent), dialogs_(dialogs), points_(points), traverse_(traverse),
          report_(report) {}

    // Задачи ▸ "Выбрать путь хода": the traverse window, and stations picked from now on go
    // to it.
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

    QWidget& parent_;
    UserDialogs& dialogs_;
    Workspace& points_;
    TForm11& traverse_;
    TForm8& report_;
};

}  // namespace korvela
