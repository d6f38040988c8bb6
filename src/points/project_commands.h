#pragma once

namespace korvela {

class TForm1;

// The main window's File menu items that keep the work: "Save Project", "Open Project" and
// "Close Project".
class ProjectCommands {
public:
    explicit ProjectCommands(TForm1& main) : main_(main) {}

    // Writes the view, the selection and every point into a file the user names.
    void Save21Click();
    // Replaces the work with a project file's: points, ticks, red rows, the plan's scale and
    // pan, the display settings and the view angles (whole degrees); the offsets stay.
    // A file that cannot be read or is damaged is reported and changes nothing.
    void Open11Click();
    // Empties the store and the table; nothing is saved.
    void CloseProject1Click();

private:
    TForm1& main_;
};

}  // namespace korvela
