#pragma once

#include <cstddef>

namespace korvela {

class TForm1;

// The survey tasks of the main window: the "Задачи" menu, the "Площадь" and "Rotate"
// buttons, "Add to Project", and the traverse path. The computing is in the core; these
// handlers gather the input from the windows and show the results.
class SurveyTasks {
public:
    explicit SurveyTasks(TForm1& main) : main_(main) {}

    // "Площадь": the selected points that are not frozen go to the area window.
    void Button1Click();
    // "Длина", "Углы", "Дирекционные углы": reports in the report window.
    void N8Click();
    void N9Click();
    void N14Click();
    // "Rotate": clears the result window, proposes an angle, shows the rotation dialog.
    void Button2Click();
    // "Повернуть" of the rotation dialog: the selected points turned into the result window.
    void rotate();
    // A view scroll bar of the rotation dialog moved: the plan is turned.
    void applyViewAngles();
    // "Add to Project": a second survey joined through three base points.
    void AddtoProject1Click();
    // "Выбрать путь хода": the traverse window, and stations picked from now on go to it.
    void N16Click();
    // The traverse rules: a station whose box was ticked, or (after a press on the plan) every
    // selected station, joins the list while the mode is on.
    void stationTicked(std::size_t point);
    void addSelectedStations();

private:
    TForm1& main_;
};

}  // namespace korvela
