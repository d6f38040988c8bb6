#include "tasks/tform8.h"

#include <algorithm>

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "tasks/save_edit_to_text.h"
#include "ui/qt_text.h"

namespace korvela {

TForm8::TForm8(QWidget* parent, UserDialogs& dialogs) : QDialog(parent), dialogs_(dialogs) {
    setObjectName("TForm8");
    setWindowTitle(QStringLiteral("Form8"));
    resize(420, 480);
    Memo1 = new QPlainTextEdit(QStringLiteral("Memo1"), this);
    Memo1->setObjectName("Memo1");
    Button1 = new QPushButton(QString::fromUtf8("Закрыть"), this);
    Button1->setObjectName("Button1");
    Button2 = new QPushButton(QString::fromUtf8("Сохранить в текстовый файл"), this);
    Button2->setObjectName("Button2");
    connect(Button1, &QPushButton::clicked, this, &TForm8::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm8::Button2Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1);
    layout->addLayout(buttons);
}

void TForm8::showReport(const QString& caption, std::string_view report) {
    setWindowTitle(caption);
    QString text = fromCp1251(report);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    layOutColumns(text);
    Memo1->setPlainText(text);
    show();
}

// A sheet of columns (cells separated by tabs) is shown unwrapped, with tab stops wider than
// its widest cell so that its columns line up; prose wraps. The text itself is the same
// either way. The cells of the first lines decide, so that a long report is not measured
// whole.
void TForm8::layOutColumns(const QString& text) {
    constexpr qsizetype kLinesMeasured = 2000;
    constexpr int kColumnSheetWidth = 960;  // a window this wide shows most sheets whole
    const bool columns = text.contains(u'\t');
    Memo1->setLineWrapMode(columns ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    if (!columns) return;
    const QFontMetricsF metrics(Memo1->font());
    qreal widest = 0;
    qsizetype lines = 0;
    for (const QStringView line : QStringView(text).tokenize(u'\n')) {
        if (++lines > kLinesMeasured) break;
        const auto cells = line.split(u'\t');
        for (qsizetype i = 0; i + 1 < cells.size(); ++i)
            widest = std::max(widest, metrics.horizontalAdvance(cells[i].toString()));
    }
    Memo1->setTabStopDistance(widest + metrics.horizontalAdvance(QStringLiteral("  ")));
    resize(std::max(width(), kColumnSheetWidth), height());
}

void TForm8::Button1Click() { close(); }

void TForm8::Button2Click() { Save_edit_to_text(*Memo1, this, dialogs_); }

}  // namespace korvela
