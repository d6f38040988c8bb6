#include "ui/help_window.h"

#include <QAbstractTextDocumentLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextList>
#include <QTextTable>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <optional>
#include <string>

#include "common/regular_file.h"
#include "ui/qt_text.h"
#include "ui/user_dialogs.h"
#include "ui/window_style.h"

namespace korvela {
namespace {

const char* const kCaption = "Руководство пользователя KORVELA";
const char* const kGuideUnreadable =
    "Руководство пользователя не открылось.\n%1\n"
    "Его файл guide.ru.md лежит рядом с программой, а у установленной программы — в папке "
    "share/korvela; установите программу заново.";

constexpr int kChapterLevel = 2;  // "##": a chapter of the contents
constexpr int kSectionLevel = 3;  // "###": a section under its chapter
constexpr int kTextPixelSize = 16;
constexpr int kContentsPixelSize = 14;
constexpr int kTextMargin = 18;
constexpr int kContentsWidth = 330;
constexpr int kTextWidth = 770;
constexpr int kWindowHeight = 780;
// Spacing of the text, in pixels and per cent of the font's line height.
constexpr int kHeadingGapAbove = 14;
constexpr int kHeadingGapBelow = 4;
constexpr int kParagraphGap = 10;
constexpr int kListItemGap = 3;
constexpr int kLineHeightPercent = 125;

std::optional<FileError> readGuide(const QString& path, std::string& guide) {
    RegularFile file;
    if (auto error = file.open(toLocalPath(path))) return error;
    guide.resize(file.size());
    return file.readAt(0, guide);
}

bool isHeading(const QTextBlock& block) { return block.blockFormat().headingLevel() > 0; }

int gapBelow(const QTextBlock& block) {
    if (isHeading(block)) return kHeadingGapBelow;
    const bool listGoesOn = block.textList() != nullptr && block.next().isValid() &&
                            block.next().textList() == block.textList();
    return listGoesOn ? kListItemGap : kParagraphGap;
}

// The Markdown reader sets no space between paragraphs: a gap after each paragraph, a wider
// one above each heading, and a little more line height make the guide easier to read.
void spaceOut(QTextDocument& document) {
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        cursor.setPosition(block.position());
        if (cursor.currentTable() != nullptr) continue;  // table cells stay compact
        QTextBlockFormat spacing;
        spacing.setTopMargin(isHeading(block) ? kHeadingGapAbove : 0);
        spacing.setBottomMargin(gapBelow(block));
        spacing.setLineHeight(kLineHeightPercent, QTextBlockFormat::ProportionalHeight);
        cursor.mergeBlockFormat(spacing);
    }
    cursor.endEditBlock();
}

}  // namespace

HelpWindow::HelpWindow(UserDialogs& dialogs, QString guidePath)
    : QDialog(nullptr, Qt::Window), dialogs_(dialogs), guidePath_(std::move(guidePath)) {
    setObjectName("HelpWindow");
    setWindowTitle(QString::fromUtf8(kCaption));
    // A secondary window: it never keeps the program running once the main window is gone.
    setAttribute(Qt::WA_QuitOnClose, false);

    contents_ = new QTreeWidget(this);
    contents_->setObjectName("guideContents");
    contents_->setFont(windowFont(kContentsPixelSize));
    contents_->header()->hide();
    contents_->setStyleSheet(QStringLiteral("QTreeWidget::item { padding: 2px 0; }"));
    contents_->setMinimumWidth(kContentsWidth / 2);
    // Arrow keys move through the headings; a click brings back even the heading already chosen.
    connect(contents_, &QTreeWidget::currentItemChanged, this,
            [this](const QTreeWidgetItem* item) { showHeading(item); });
    connect(contents_, &QTreeWidget::itemClicked, this,
            [this](const QTreeWidgetItem* item) { showHeading(item); });

    text_ = new QTextBrowser(this);
    text_->setObjectName("guideText");
    text_->setFont(windowFont(kTextPixelSize));
    text_->setOpenExternalLinks(true);
    text_->document()->setDocumentMargin(kTextMargin);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(contents_);
    splitter->addWidget(text_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kContentsWidth, kTextWidth});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    resize(kContentsWidth + kTextWidth, kWindowHeight);
}

void HelpWindow::showGuide(QWidget* asking) {
    if (!loaded_ && !loadGuide(asking)) return;
    show();
    raise();
    activateWindow();
}

bool HelpWindow::loadGuide(QWidget* asking) {
    std::string guide;
    if (const auto error = readGuide(guidePath_, guide)) {
        dialogs_.showMessage(asking,
                             QString::fromUtf8(kGuideUnreadable).arg(fromUtf8(error->message())));
        return false;
    }
    text_->setMarkdown(fromUtf8(guide));
    spaceOut(*text_->document());
    listHeadings();
    loaded_ = true;
    return true;
}

// The chapters (##) with their sections (###) beneath; the title (#) is the window's.
void HelpWindow::listHeadings() {
    QTreeWidgetItem* chapter = nullptr;
    for (QTextBlock block = text_->document()->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level != kChapterLevel && level != kSectionLevel) continue;
        auto* item = level == kSectionLevel && chapter != nullptr ? new QTreeWidgetItem(chapter)
                                                                  : new QTreeWidgetItem(contents_);
        if (level == kChapterLevel) chapter = item;
        item->setText(0, block.text());
        item->setData(0, Qt::UserRole, block.blockNumber());
    }
    contents_->expandAll();
}

// The heading comes to the top of the text, and the reading cursor with it.
void HelpWindow::showHeading(const QTreeWidgetItem* item) {
    if (item == nullptr) return;
    QTextDocument& document = *text_->document();
    const QTextBlock heading = document.findBlockByNumber(item->data(0, Qt::UserRole).toInt());
    text_->setTextCursor(QTextCursor(heading));
    const QRectF place = document.documentLayout()->blockBoundingRect(heading);
    text_->verticalScrollBar()->setValue(qRound(place.top()));
}

}  // namespace korvela
