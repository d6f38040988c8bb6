#pragma once

#include <QDialog>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "points/workspace.h"
#include "tasks/traverse.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace korvela {

// The traverse window: the stations picked one after another while the traverse-path mode is
// on, in the order of picking, without repeats, or added from the list of the file's
// stations. The list is kept for the whole run; only "Очистить" empties it. Beside it the
// shape of the path, the orientation points at both ends (proposed from the observations
// when an end of the path changes, then the user's to edit) and the method.
class TForm11 : public QDialog, private WorkspaceObserver {
    Q_OBJECT
public:
    TForm11(QWidget* parent, Workspace& points);
    ~TForm11() override;

    // "Выбрать путь хода": shows the window and switches the mode on.
    void startPathMode();
    bool pathModeOn() const { return pathMode_; }

    // Appends the station's number unless the list holds it already.
    void addStation(const std::string& number);
    const std::vector<std::string>& stations() const { return stations_; }

    // The traverse as the window describes it; the settings are the caller's.
    TraverseRequest request() const;

    // "Расчитать элементы хода": the mode ends, the window closes, then the computation is
    // asked for.
    void Button1Click();
    void Timer1Timer();  // keeps the window in front while the mode is on
    void ClearButtonClick();  // "Очистить": the list and the orientation points go
    void AddStationButtonClick();  // the station chosen in the file's list joins the path

signals:
    void computeRequested();

private:
    // True when the list holds exactly this number (Windows-1251 bytes).
    bool ListContains(std::string_view number) const;
    void createControls();
    void workspaceChanged(const WorkspaceChange& change) override;
    void listFileStations();
    void proposeSights(bool start);
    void shapeChosen(QCheckBox* chosen);

    Workspace& points_;
    bool pathMode_ = false;
    std::vector<std::string> stations_;
    std::unordered_set<std::string> listed_;  // the same numbers, to look them up at once
    QListWidget* ListBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QTimer* Timer1 = nullptr;
    QPushButton* ClearButton = nullptr;
    QComboBox* FileStations = nullptr;
    QPushButton* AddStationButton = nullptr;
    QCheckBox* ClosedBox = nullptr;
    QCheckBox* HangingBox = nullptr;
    QPlainTextEdit* StartSights = nullptr;
    QPlainTextEdit* EndSights = nullptr;
    QComboBox* MethodBox = nullptr;
};

}  // namespace korvela
