#pragma once

#include <gtest/gtest.h>

#include <QPrinter>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

#include "ui/user_dialogs.h"

namespace korvela::testing {

// Answers file dialogs from a script and records every message. A dialog the test did not
// script, or a message it did not take, fails the test.
class ScriptedDialogs : public UserDialogs {
public:
    ~ScriptedDialogs() override {
        EXPECT_TRUE(messages_.empty())
            << "messages nobody looked at: " << messages_.join(" | ").toStdString();
    }

    // The next file dialog answers path (or is cancelled with nothing); the next print
    // dialog prints into the PDF file path.
    void answer(std::optional<QString> path) { answers_.push_back(std::move(path)); }

    // The messages shown so far, handed over once.
    QStringList takeMessages() { return std::exchange(messages_, {}); }

    const FileDialogRequest& lastRequest() const { return lastRequest_; }

    std::optional<QString> askOpenPath(QWidget*, const FileDialogRequest& request) override {
        return nextAnswer(request);
    }
    std::optional<QString> askSavePath(QWidget*, const FileDialogRequest& request) override {
        return nextAnswer(request);
    }
    bool askPrinter(QWidget*, QPrinter& printer) override {
        const auto path = nextAnswer(FileDialogRequest{QStringLiteral("print"), {}, {}, {}});
        if (!path) return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(*path);
        return true;
    }
    void showMessage(QWidget*, const QString& text) override { messages_.push_back(text); }

    // The next question is answered so; the question's text is kept as a message.
    void answerYesNo(bool yes) { yesNoAnswers_.push_back(yes); }
    bool askYesNo(QWidget*, const QString& text) override {
        messages_.push_back(text);
        if (yesNoAnswers_.empty()) {
            ADD_FAILURE() << "a question the test did not expect: " << text.toStdString();
            return false;
        }
        const bool yes = yesNoAnswers_.front();
        yesNoAnswers_.pop_front();
        return yes;
    }

    // The next font dialog answers font (or is cancelled with nothing).
    void answerFont(std::optional<QFont> font) { fonts_.push_back(std::move(font)); }
    std::optional<QFont> askFont(QWidget*, const QFont&) override {
        if (fonts_.empty()) {
            ADD_FAILURE() << "a font dialog opened that the test did not expect";
            return std::nullopt;
        }
        auto font = std::move(fonts_.front());
        fonts_.pop_front();
        return font;
    }

private:
    std::optional<QString> nextAnswer(const FileDialogRequest& request) {
        lastRequest_ = request;
        if (answers_.empty()) {
            ADD_FAILURE() << "a file dialog opened that the test did not expect";
            return std::nullopt;
        }
        const std::optional<QString> answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

    std::deque<std::optional<QString>> answers_;
    std::deque<std::optional<QFont>> fonts_;
    std::deque<bool> yesNoAnswers_;
    QStringList messages_;
    FileDialogRequest lastRequest_;
};

}  // namespace korvela::testing

#include <fstream>
#include <string>

namespace korvela::testing {

// A comma survey of points "1" … "count" at (100 + i, 200 + i, 10 + i), written to path.
inline void writeCommaSurvey(const std::string& path, int count) {
    std::ofstream out(path, std::ios::binary);
    out << "test survey\r\n";
    for (int i = 1; i <= count; ++i) {
        out << i << ",--------," << 100 + i << ',' << 200 + i << ',' << 10 + i << "\r\n";
    }
}

}  // namespace korvela::testing

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTableView>

namespace korvela::testing {

// Fails for every cell of rows first … last (and header section, when the header is shown)
// whose text does not fit its column with the item view's text margins.
inline void expectColumnsHoldTheirTexts(const QTableView& view, int first, int last) {
    const QFontMetrics metrics(view.font());
    const int margins =
        2 * (view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1);
    const QHeaderView& header = *view.horizontalHeader();
    for (int column = 0; column < view.model()->columnCount(); ++column) {
        const int width = view.columnWidth(column);
        if (!header.isHidden()) {
            EXPECT_GE(width, header.sectionSizeHint(column)) << column;
        }
        for (int row = first; row <= last; ++row) {
            const QString text = view.model()->index(row, column).data().toString();
            EXPECT_LE(metrics.horizontalAdvance(text) + margins, width)
                << '"' << text.toStdString() << "\" in row " << row << ", column " << column;
        }
    }
}

}  // namespace korvela::testing

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include "ui/busy_indicator.h"

namespace korvela::testing {

// Presses "Прервать" as soon as a command's busy indicator shows it, which indicators do at
// once while the presser exists.
class StopButtonPresser {
public:
    StopButtonPresser() : showAfter_(BusyIndicator::setShowAfter(std::chrono::milliseconds(0))) {
        QObject::connect(&poll_, &QTimer::timeout, [this] { pressWhenShown(); });
        poll_.start(1);
    }
    ~StopButtonPresser() { BusyIndicator::setShowAfter(showAfter_); }

    bool pressed() const { return pressed_; }

private:
    void pressWhenShown() {
        for (QWidget* widget : QApplication::allWidgets()) {
            auto* button = qobject_cast<QAbstractButton*>(widget);
            if (button == nullptr || button->objectName() != "stopButton" || !button->isVisible())
                continue;
            poll_.stop();
            QTest::mouseClick(button, Qt::LeftButton);
            pressed_ = true;
            return;
        }
    }

    std::chrono::milliseconds showAfter_;
    QTimer poll_;
    bool pressed_ = false;
};

}  // namespace korvela::testing
