#pragma once

#include <QMainWindow>
#include <QPoint>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "points/workspace.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;

namespace korvela {

struct Forms;
struct ProgramData;
class PlanImage;
class PointTableModel;
class ProjectCommands;
class TraversePath;
class UserDialogs;
struct FileDialogRequest;

// The main window: the buttons on top, the point table on the left, the plan on the right,
// the status line below, and the menus. It shows every change of the points the workspace
// announces: the status line, the plan, and the traverse rule for reticked stations.
class TForm1 : public QMainWindow, private WorkspaceObserver {
    Q_OBJECT
public:
    TForm1(ProgramData& data, UserDialogs& dialogs);
    ~TForm1() override;

    // The other windows, known once all of them exist.
    void attachForms(Forms& forms);

    // The status line: the imported file's path, "no file" or empty (no data present).
    QString statusText() const;

    // "Import Project" with the file already chosen (also the start-up import).
    void importSurvey(const QString& path);
    // Points read from a file replace the points as an import does; `status` is the file's
    // path, or empty when it could not be read.
    void importPoints(PointStore points, ObservationList observations, const QString& status,
                      const char* stepName = "Импорт");

    // Repaints the plan from the store, the selection and the view.
    void redraw();
    PlanImage& plan() { return *Image1; }

    // Handlers, named after the control and the event.
    void OpenButtonClick();  // "Import Project" button
    void OnClickF();         // File ▸ "Import Project"
    void Image1Click();      // a click on the plan
    void Quit1Click();       // File ▸ "Quit"
    void Button3Click();     // "Выбрать все"
    void Button4Click();     // "Убрать все"
    void N1Click();          // table pop-up ▸ "Удалить"
    void N2Click();          // table pop-up ▸ "Заморозить"
    void N3Click();          // table pop-up ▸ "Разморозить"
    void N4Click();          // table pop-up ▸ "Добавить"
    // The pointer on the plan (positions in control pixels).
    void OnMouseMove(QPoint at);
    void Panel1MouseDown(QPoint at);
    void Panel1MouseUp(QPoint at);
    // One wheel notch: up zooms in, down zooms out.
    void OnMouseWhellUp();
    void OnMouseWhellDown();
    void Settings1Click();  // Settings ▸ "Settings"
    void areaClick();       // "Площадь" button and Задачи ▸ "Площадь"
    void rotateClick();     // "Rotate" button and Задачи ▸ "Rotate"
    void N13Click();        // Задачи ▸ "Один Цвет"
    void showAllPoints();   // Settings ▸ "Показать все точки" (Home)
    void findPoint();       // Settings ▸ "Найти точку" (Ctrl+F)
    void openUserGuide();   // Help ▸ the user guide (F1)

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void workspaceChanged(const WorkspaceChange& change) override;
    void createControls();
    void createMenus();
    void createTablePopupMenu();
    void showHistory();
    void takeStep(bool (Workspace::*direction)());
    void LayoutMainWindow();
    void leaveMaximisedState();
    void selectAndShow(std::size_t point);
    void zoomOneNotch(bool up);

    ProgramData& data_;
    UserDialogs& dialogs_;
    Forms* forms_ = nullptr;
    PointTableModel* tableModel_ = nullptr;
    std::unique_ptr<TraversePath> traversePath_;
    std::unique_ptr<ProjectCommands> projects_;

    // The pointer-drag flag: set while a mouse button is held on the plan.
    int pointerDragFlag_ = 0;
    QPoint pressPosition_;
    int wheelRemainder_ = 0;  // wheel turn not yet making a whole notch

    QWidget* client_ = nullptr;
    QPushButton* OpenButton = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button1 = nullptr;
    QFrame* ControlBar1 = nullptr;
    QFrame* Panel2 = nullptr;
    QTableView* StringGrid1 = nullptr;
    QFrame* ControlBar3 = nullptr;
    PlanImage* Image1 = nullptr;
    QFrame* ControlBar2 = nullptr;
    QLabel* statusLine_ = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
};

}  // namespace korvela
