#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QPushButton;

namespace korvela {

// A point as typed into the add-point dialog: the number as Windows-1251 bytes.
struct TypedPoint {
    std::string number;
    double x = 0;
    double y = 0;
    double z = 0;
};

// The add-one-point dialog: number, x, y, z and "Ok". Its fields keep their text from one
// use to the next; each time it opens, the number field has the focus with its text
// selected, so that number Tab x Tab y Tab z Enter types a whole new point.
class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent);

    // "Ok": reads the fields (a decimal comma is taken as the point) and closes the dialog.
    // A coordinate that does not convert throws the conversion error; the dialog stays open.
    void Button1Click();

    // The point read by the last "Ok".
    const TypedPoint& acceptedPoint() const { return accepted_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* addField(const char* name, const char* caption, int top);

    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QPushButton* Button1 = nullptr;
    TypedPoint accepted_;
};

}  // namespace korvela
