#pragma once

#include <QDialog>
#include <cstddef>

class QLabel;
class QLineEdit;

namespace korvela {

class PointStore;

// "Найти точку": asks for a point number (typed in UTF-8, matched in Windows-1251 byte for
// byte) and closes with the first point of that number; an unknown number is said in the
// dialog, which stays open.
class FindPointDialog : public QDialog {
    Q_OBJECT
public:
    FindPointDialog(QWidget* parent, const PointStore& store);

    // The point found; valid once the dialog was accepted.
    std::size_t foundPoint() const { return found_; }

    // "Найти": looks the number up.
    void findClick();

private:
    const PointStore& store_;
    QLineEdit* number_ = nullptr;
    QLabel* notFound_ = nullptr;
    std::size_t found_ = 0;
};

}  // namespace korvela
