#include "tasks/tform8.h"

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
    Memo1->setPlainText(text);
    show();
}

void TForm8::Button1Click() { close(); }

void TForm8::Button2Click() { Save_edit_to_text(*Memo1, this, dialogs_); }

}  // namespace korvela
