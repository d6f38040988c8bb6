#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

namespace korvela {

// The notice of a press that caught several points, also the window's own caption.
inline constexpr const char* kSeveralPointsCaption = "Выбрано сразу несколько точек";

// A short notice that closes itself after eight ticks of half a second (four seconds), or
// on "Ok". Its caption is the message, shown inside the window too (a title bar may cut a
// long one). Showing it while it is up does not restart the count.
class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent);

    // Sets the caption and shows the notice without making it modal.
    void showNotice(const QString& caption);

    void Timer1Timer();   // every 500 ms: shown again, closed at the eighth tick
    void Button1Click();  // "Ok"
    int ticks() const { return ticks_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    static constexpr int kTicksShown = 8;

    QLabel* Label1 = nullptr;
    QPushButton* Button1 = nullptr;
    QTimer* Timer1 = nullptr;
    int ticks_ = 0;
};

}  // namespace korvela
