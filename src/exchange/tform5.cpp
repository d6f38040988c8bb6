#include "exchange/tform5.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "exchange/export_commands.h"
#include "exchange/text_cell_model.h"
#include "points/point_store.h"
#include "ui/column_widener.h"
#include "ui/window_style.h"

namespace korvela {
namespace {

const char* const kCaption = "AutoCAD";
const char* const kExportCaption = ">> В AutoCAD >>";
constexpr int kColumns = 4;
constexpr int kClearedRows = 2;
constexpr int kSideBarWidth = 24;
QFrame* createSideBar(QWidget* parent, const char* name) {
    QFrame* bar = createGreenBar(parent, name);
    bar->setFixedWidth(kSideBarWidth);
    return bar;
}

}  // namespace

TForm5::TForm5(QWidget* parent, const PointStore& store, UserDialogs& dialogs)
    : QDialog(parent), store_(store), dialogs_(dialogs) {
    setObjectName("TForm5");
    setWindowTitle(QString::fromUtf8(kCaption));

    Button1 = new QPushButton(QString::fromUtf8(kExportCaption), this);
    Button1->setObjectName("Button1");
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);

    cells_ = new TextCellModel(kColumns, kClearedRows, this);
    StringGrid1 = new QTableView(this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setModel(cells_);
    StringGrid1->horizontalHeader()->hide();  // no fixed rows or columns
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid1->setTextElideMode(Qt::ElideNone);
    new ColumnWidener(
        StringGrid1,
        std::vector<int>(kColumns, StringGrid1->horizontalHeader()->defaultSectionSize()));

    ControlBar3 = createSideBar(this, "ControlBar3");
    ControlBar1 = createSideBar(this, "ControlBar1");

    auto* gridRow = new QHBoxLayout;
    gridRow->setSpacing(0);
    gridRow->addWidget(ControlBar3);
    gridRow->addWidget(StringGrid1, 1);
    gridRow->addWidget(ControlBar1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Button1);
    layout->addLayout(gridRow, 1);
    resize(400, 320);
}

void TForm5::clearGrid() { cells_->clear(kClearedRows); }

void TForm5::setRow(int row, std::string number, std::string x, std::string y, std::string height) {
    if (row >= cells_->rows()) cells_->setRowCount(row + 1);
    cells_->setText(row, 0, std::move(number));
    cells_->setText(row, 1, std::move(x));
    cells_->setText(row, 2, std::move(y));
    cells_->setText(row, 3, std::move(height));
}

void TForm5::setRowCount(int rows) { cells_->setRowCount(rows); }

const TextGrid& TForm5::grid() const { return *cells_; }

void TForm5::Button1Click() {
    exportDxf(this, dialogs_, dxfSaveDialog(), *cells_, kRotationGridDxfColumns, store_.kind(),
              false);
}

}  // namespace korvela
