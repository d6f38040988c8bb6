#pragma once

#include <QImage>
#include <QWidget>

namespace korvela {

// The image control of the plan (Image1): shows the plan bitmap stretched to its own size.
class PlanImage : public QWidget {
    Q_OBJECT
public:
    explicit PlanImage(QWidget* parent);

    QImage& bitmap() { return bitmap_; }
    const QImage& bitmap() const { return bitmap_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage bitmap_;
};

}  // namespace korvela
