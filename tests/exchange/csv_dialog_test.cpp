// "Импорт CSV" and "Export CSV": the dialog's choices, its preview, the file written.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include "exchange/csv_dialog.h"
#include "main_window_fixture.h"

namespace korvela {
namespace {

class CsvDialogTest : public testing::MainWindowFixture {
protected:
    // Makes the choices in the CSV dialog when it opens, then presses OK.
    void answerCsvDialog(int separator, bool decimalComma, int encoding) {
        QTimer::singleShot(0, [=] {
            auto* dialog = qobject_cast<CsvDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QComboBox*>("separatorBox")->setCurrentIndex(separator);
            dialog->findChild<QCheckBox*>("decimalCommaBox")->setChecked(decimalComma);
            dialog->findChild<QComboBox*>("encodingBox")->setCurrentIndex(encoding);
            dialog->accept();
        });
    }
};

TEST_F(CsvDialogTest, PreviewShowsTheRowsAsTheyWillBeRead) {
    CsvDialog dialog(&main(), CsvDialog::Purpose::Import);
    std::string file = "Y;X;N\r\n";
    for (int i = 1; i <= 30; ++i)
        file += "7412345," + std::to_string(i) + ";6123,5;ПУ" + std::to_string(i) + "\r\n";
    dialog.setFileBytes(file);
    auto* encoding = dialog.findChild<QComboBox*>("encodingBox");
    EXPECT_EQ(encoding->currentText(), "UTF-8");  // guessed
    auto* table = dialog.findChild<QTableWidget*>("previewTable");
    EXPECT_EQ(table->rowCount(), CsvDialog::kPreviewRows);
    EXPECT_EQ(table->item(0, 1)->text(), QString::fromUtf8("не читается"));  // the header

    dialog.findChild<QComboBox*>("columnsBox")->setCurrentText("enp");
    dialog.findChild<QComboBox*>("separatorBox")->setCurrentIndex(1);
    dialog.findChild<QCheckBox*>("decimalCommaBox")->setChecked(true);
    dialog.findChild<QSpinBox*>("skipBox")->setValue(1);
    const QStringList want = {"7412345,1;6123,5;ПУ1", "ПУ1", "6123.5", "7412345.1", "0"};
    for (int column = 0; column < want.size(); ++column)
        EXPECT_EQ(table->item(0, column)->text(), want[column]) << column;
    EXPECT_EQ(table->item(0, 0)->toolTip(), want[0]);  // the whole line, however narrow

    dialog.findChild<QComboBox*>("columnsBox")->setCurrentText("PNZ");
    EXPECT_FALSE(dialog.findChild<QLabel*>("problemLabel")->text().isEmpty());
    EXPECT_EQ(table->rowCount(), 0);
}

TEST_F(CsvDialogTest, PreviewShowsTheBeginningOfAHugeLine) {
    CsvDialog dialog(&main(), CsvDialog::Purpose::Import);
    dialog.setFileBytes("1,6123.5,7412.25\r\n" + std::string(4 << 20, ',') + "\r\n");
    auto* table = dialog.findChild<QTableWidget*>("previewTable");
    ASSERT_EQ(table->rowCount(), 2);
    const QString shown = QString(static_cast<int>(kPreviewLineBytes), ',') + "…";
    EXPECT_EQ(table->item(1, 0)->text(), shown);
    EXPECT_EQ(table->item(1, 0)->toolTip(), shown);
    EXPECT_EQ(table->item(1, 1)->text(), QString::fromUtf8("не читается"));
    EXPECT_FALSE(dialog.grab().isNull());
}

// Column order, separator, decimal comma, header lines, encoding, as the dialog shows them.
QVariantList choicesOf(const CsvDialog& dialog) {
    return {dialog.findChild<QComboBox*>("columnsBox")->currentText(),
            dialog.findChild<QComboBox*>("separatorBox")->currentIndex(),
            dialog.findChild<QCheckBox*>("decimalCommaBox")->isChecked(),
            dialog.findChild<QSpinBox*>("skipBox")->value(),
            dialog.findChild<QComboBox*>("encodingBox")->currentIndex()};
}

TEST_F(CsvDialogTest, EachPurposeOpensWithTheChoicesLastAcceptedForIt) {
    using Purpose = CsvDialog::Purpose;
    const QVariantList defaults = choicesOf(CsvDialog(&main(), Purpose::Import));
    const auto choose = [&](Purpose purpose, const QVariantList& choices, bool accepted) {
        CsvDialog dialog(&main(), purpose);
        dialog.findChild<QComboBox*>("columnsBox")->setCurrentText(choices[0].toString());
        dialog.findChild<QComboBox*>("separatorBox")->setCurrentIndex(choices[1].toInt());
        dialog.findChild<QCheckBox*>("decimalCommaBox")->setChecked(choices[2].toBool());
        dialog.findChild<QSpinBox*>("skipBox")->setValue(choices[3].toInt());
        dialog.findChild<QComboBox*>("encodingBox")->setCurrentIndex(choices[4].toInt());
        accepted ? dialog.accept() : dialog.reject();
    };
    const QVariantList imported = {"ENZP", 2, true, 2, 1};
    choose(Purpose::Import, imported, true);
    choose(Purpose::Import, {"NEZ", 1, false, 5, 0}, false);
    choose(Purpose::Export, {"NEZ", 3, true, 5, 1}, true);  // blanks; no columns, header lines
    EXPECT_EQ(choicesOf(CsvDialog(&main(), Purpose::Import)), imported);
    EXPECT_EQ(choicesOf(CsvDialog(&main(), Purpose::Export)),
              (QVariantList{defaults[0], 3, true, defaults[3], 1}));
}

TEST_F(CsvDialogTest, AnImportGuessesTheSeparatorUnlessTheLastOneFits) {
    const struct {
        const char* file;
        int lastSeparator;
        int separator;
    } cases[] = {
        {"1;6123.5;7412.25\r\n2;6124;7413.5\r\n", 0, 1},      // semicolons
        {"1\t6123.5\t7412.25\r\n2\t6124\t7413.5\r\n", 0, 2},  // tabs
        {"1\t6123.5\t7412.25\r\n2\t6124\t7413.5\r\n", 3, 3},  // blanks split it alike
        {"1 6123.5 7412.25\r\n2;3\r\n", 3, 3},                // nothing fits
    };
    for (const auto& c : cases) {
        CsvDialog last(&main(), CsvDialog::Purpose::Import);
        last.findChild<QComboBox*>("separatorBox")->setCurrentIndex(c.lastSeparator);
        last.accept();
        CsvDialog dialog(&main(), CsvDialog::Purpose::Import);
        dialog.setFileBytes(c.file);
        EXPECT_EQ(dialog.findChild<QComboBox*>("separatorBox")->currentIndex(), c.separator)
            << c.file;
        const auto* number = dialog.findChild<QTableWidget*>("previewTable")->item(0, 1);
        ASSERT_NE(number, nullptr) << c.file;
        EXPECT_EQ(number->text(), "1") << c.file;  // read with it
    }
    CsvDialog titled(&main(), CsvDialog::Purpose::Import);
    titled.setFileBytes("Site 12\r\n1;2;3\r\n4;5;6\r\n");
    auto* separator = titled.findChild<QComboBox*>("separatorBox");
    EXPECT_EQ(separator->currentIndex(), 3);  // nothing fits the title line too
    titled.findChild<QSpinBox*>("skipBox")->setValue(1);
    EXPECT_EQ(separator->currentIndex(), 1);
}

TEST_F(CsvDialogTest, ImportReplacesThePointsAndCountsTheRowsThatDoNotRead) {
    importPoints(3);
    setTicked(0, true);
    const std::string path = surveys.file("points.csv");
    testing::writeFile(path, "П1;5,5;6,5\r\nbad;row\r\nП2;7;8\r\n");
    dialogs.answer(QString::fromStdString(path));
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<CsvDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->findChild<QComboBox*>("encodingBox")->currentText(), "UTF-8");
        dialog->findChild<QComboBox*>("columnsBox")->setCurrentText("PNE");
        dialog->findChild<QComboBox*>("separatorBox")->setCurrentIndex(1);
        dialog->findChild<QCheckBox*>("decimalCommaBox")->setChecked(true);
        dialog->accept();
    });
    action("ImportCsv1")->trigger();
    const PointStore& store = data.points.store();
    ASSERT_EQ(store.count(), 2u);
    EXPECT_EQ(store.number()[0],
              "\xCF"
              "1");  // "П1" kept in Windows-1251
    EXPECT_DOUBLE_EQ(store.x()[0], 5.5);
    EXPECT_DOUBLE_EQ(store.y()[1], 8);
    EXPECT_EQ(data.points.selected(), (std::vector<std::int32_t>{0, 0}));
    EXPECT_EQ(main().statusText(), QString::fromStdString(path));
    EXPECT_EQ(model()->rowCount(), 2);
    EXPECT_EQ(dialogs.takeMessages(),
              QStringList{QString::fromUtf8("Строк, которые не читаются как точки: 1")});

    dialogs.answer(std::nullopt);  // cancelled: nothing changes
    action("ImportCsv1")->trigger();
    EXPECT_EQ(data.points.store().count(), 2u);
}

TEST_F(CsvDialogTest, ExportWritesEveryPointWithTheChosenMarks) {
    importPoints(2);
    const std::string path = surveys.file("points.csv");
    answerCsvDialog(1, true, 0);
    dialogs.answer(QString::fromStdString(path));
    action("ExportCsv1")->trigger();
    EXPECT_EQ(testing::readFile(path), "1;101;201;11;1;1\r\n2;102;202;12;1;1\r\n");
    EXPECT_EQ(dialogs.lastRequest().defaultSuffix, "csv");

    dialogs.answer(QString::fromStdString(surveys.file("missing/points.csv")));
    answerCsvDialog(0, false, 1);
    action("ExportCsv1")->trigger();
    EXPECT_EQ(dialogs.takeMessages().size(), 1);
}

}  // namespace
}  // namespace korvela
