#pragma once

#include <QDialog>
#include <array>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvela {

// The base point numbers dialog: the numbers of three points (of the second survey, for a
// join) or of two (start and end of a directional angle). The fields keep what was typed.
class TForm9 : public QDialog {
    Q_OBJECT
public:
    explicit TForm9(QWidget* parent);

    // Borrowed by the directional angle: its own caption, the third field hidden.
    void useForDirectionalAngle();
    // Put back as the join knows it.
    void restoreForJoin();

    // The three fields' texts as Windows-1251 bytes.
    std::array<std::string, 3> numbers() const;

protected:
    // Every opening starts in the first field with its text selected, whoever opens the
    // dialog: typing "T1 Tab T2 Tab T3" then always fills the fields in order.
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* addField(const char* name, const char* caption, int top, QLabel** label);

    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* Button1 = nullptr;
};

}  // namespace korvela
