#pragma once

#include <QObject>
#include <array>
#include <vector>

class QFontMetricsF;
class QTableView;

namespace korvela {

// Keeps the columns of a table view wide enough for their texts, the header's included, so
// that no value is cut: a column is never narrower than its design width and widens to the
// widest text of the rows in view and of the last `trailingRows` rows (the summary rows of a
// sheet). Only those rows are measured, at most kMeasuredRows of them, which keeps a model of
// a million rows as fast as before: columns widen as longer texts come into view or are
// typed, and start again from their design widths when the model is reset or a column comes
// or goes (a column that comes takes the design width of the one before it).
class ColumnWidener : public QObject {
public:
    static constexpr int kMeasuredRows = 100;

    ColumnWidener(QTableView* view, std::vector<int> designWidths, int trailingRows = 0);

    // The width that shows the texts of rows first … last of column (and its header, when
    // the header is shown) without cutting them.
    static int textWidth(const QTableView& view, int column, int first, int last);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void restart();
    // Widens the columns for the rows of first … last that are measured.
    void widen(int first, int last);
    void widenFor(std::vector<int>& widths, int first, int last);
    // Whether text surely fits width by the sum of its characters' advances (kerning only
    // ever narrows a number). Only texts that may not fit are laid out, which is what costs.
    bool surelyFits(const QFontMetricsF& metrics, const QString& text, int width);
    void apply(const std::vector<int>& widths);

    QTableView* view_;
    std::vector<int> designWidths_;
    int trailingRows_;
    int padding_;
    std::array<float, 0x500> advances_{};  // Latin and Cyrillic characters; 0: not known yet
};

}  // namespace korvela
