#pragma once

#include <QMainWindow>
#include <QPoint>
#include <cstddef>
#include <cstdint>
#include <memory>

class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;

namespace korvela {

// The status line after a project was opened, or a point added to no data.
inline constexpr const char* kNoFileStatus = "no file";

struct Forms;
struct ProgramData;
class PlanImage;
class PointTableModel;
class ProjectCommands;
class SurveyTasks;
class UserDialogs;
struct FileDialogRequest;

// The main window: the buttons on top, the point table on the left, the plan on the right,
// the status line below, and the menus.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1(ProgramData& data, UserDialogs& dialogs);
    ~TForm1() override;

    // The other windows, known once all of them exist.
    void attachForms(Forms& forms);

    // The status line: the imported file's path, "no file" or empty (no data present).
    QString statusText() const;
    // Data came from no file (added points): an empty status line becomes "no file".
    void markDataPresent();
    void setStatusText(const QString& text);
    // A command ticks the box of every selected point again (after the table was rebuilt):
    // each flag becomes 1 and runs what a click on its box runs.
    void retickSelection();

    // "Import Project" with the file already chosen (also the start-up import).
    void importSurvey(const QString& path);

    // What the commands of the other windows work with.
    ProgramData& data() { return data_; }
    Forms& forms() { return *forms_; }
    UserDialogs& dialogs() { return dialogs_; }
    // The open dialog of the survey import ("Import Project", "Add to Project").
    static const FileDialogRequest& surveyOpenDialog();

    // The point table, for the commands that change the set of points.
    PointTableModel& table() { return *tableModel_; }

    // Repaints the plan from the store, the selection and the view.
    void redraw();
    PlanImage& plan() { return *Image1; }

    // Handlers, named after the control and the event.
    void OpenButtonClick();
    void OnClickF();
    void Image1Click();
    void Quit1Click();
    void Button3Click();
    void Button4Click();
    void N1Click();
    void N2Click();
    void N3Click();
    void N4Click();
    // The user typed into a table cell: applied to the point while data is present.
    void SetEditText(int row, int column, const QString& text);
    // The user ticked or unticked the check box of a point.
    void CheckBoxClick(std::size_t point);
    // The pointer on the plan (positions in control pixels).
    void OnMouseMove(QPoint at);
    void Panel1MouseDown(QPoint at);
    void Panel1MouseUp(QPoint at);
    // One wheel notch: up zooms in, down zooms out.
    void OnMouseWhellUp();
    void OnMouseWhellDown();
    void Settings1Click();
    void N13Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void createControls();
    void createMenus();
    void createTablePopupMenu();
    void LayoutMainWindow();
    void leaveMaximisedState();
    void setFrozen(std::int32_t active);
    void zoomOneNotch(bool up);

    ProgramData& data_;
    UserDialogs& dialogs_;
    Forms* forms_ = nullptr;
    PointTableModel* tableModel_ = nullptr;
    std::unique_ptr<SurveyTasks> tasks_;
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
};

}  // namespace korvela
