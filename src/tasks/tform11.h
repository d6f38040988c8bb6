#pragma once

#include <QDialog>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class QListWidget;
class QPushButton;
class QTimer;

namespace korvela {

// The traverse window: the stations picked one after another while the traverse-path mode is
// on, in the order of picking, without repeats. The list is kept for the whole run.
class TForm11 : public QDialog {
    Q_OBJECT
public:
    explicit TForm11(QWidget* parent);

    // "Выбрать путь хода": shows the window and switches the mode on.
    void startPathMode();
    bool pathModeOn() const { return pathMode_; }

    // True when the list holds exactly this number (Windows-1251 bytes).
    bool ListContains(std::string_view number) const;
    // Appends the station's number unless the list holds it already.
    void addStation(const std::string& number);
    const std::vector<std::string>& stations() const { return stations_; }

    void Button1Click();  // "Расчитать элементы хода": the mode ends, the window closes
    void Timer1Timer();  // keeps the window in front while the mode is on

private:
    bool pathMode_ = false;
    std::vector<std::string> stations_;
    std::unordered_set<std::string> listed_;  // the same numbers, to look them up at once
    QListWidget* ListBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QTimer* Timer1 = nullptr;
};

}  // namespace korvela
