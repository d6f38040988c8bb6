#include "exchange/workbook_commands.h"

#include <filesystem>
#include <optional>
#include <vector>

#include "common/conversion_error.h"
#include "exchange/tform10.h"
#include "exchange/workbook_points.h"
#include "exchange/workbook_reader.h"
#include "exchange/workbook_writer.h"
#include "points/workspace.h"
#include "ui/busy_indicator.h"
#include "ui/qt_text.h"
#include "ui/user_dialogs.h"

namespace korvela {
namespace {

const char* const kPointWithoutNumber =
    "У точки в строке %1 таблицы нет номера. Таблица Excel читается до первой строки без номера, "
    "и точки после неё пропали бы: дайте точке номер и повторите.";
const char* const kUnreadEdits =
    "В книге остались правки, которые ещё не прочитаны: точки в неё не записаны, она открыта "
    "как есть. Нажмите «Ok», чтобы прочитать её.";

// The workbook passes, the window repainting meanwhile.
auto writeWhileBusy(QWidget* parent, const std::string& path, const PointStore& points) {
    BusyIndicator busy(parent, QString::fromUtf8("Запись книги Excel"));
    return busy.run([&] { return writeWorkbookPoints(path, points, &busy.progress()); });
}

auto readWhileBusy(QWidget* parent, const std::string& path, PointStore& points) {
    BusyIndicator busy(parent, QString::fromUtf8("Чтение книги Excel"));
    return busy.run([&] { return readWorkbookPointsFile(path, points, {}, &busy.progress()); });
}

// Every row of the workbook the user saved, or nothing once the reason has been shown.
std::optional<PointStore> readEditedPoints(const std::string& path, QWidget* parent,
                                           UserDialogs& dialogs) {
    PointStore points;
    try {
        if (const auto error = readWhileBusy(parent, path, points)) {
            dialogs.showMessage(parent, fromUtf8(error->message()));
            return std::nullopt;
        }
    } catch (const ConversionError& error) {
        dialogs.showMessage(parent, fromUtf8(error.what()));
        return std::nullopt;
    }
    return points;
}

bool reportFailure(const std::optional<WorkbookError>& error, QWidget* parent,
                   UserDialogs& dialogs) {
    if (error) dialogs.showMessage(parent, fromUtf8(error->message()));
    return error.has_value();
}

}  // namespace

void N15Click(QWidget* parent, Workspace& data, TForm10& form10, UserDialogs& dialogs) {
    const QString path = form10.workbookPath();
    const std::string localPath = toLocalPath(path);
    std::error_code ignored;
    if (!std::filesystem::exists(localPath, ignored) &&
        reportFailure(writeWorkbookPoints(localPath, PointStore()), parent, dialogs)) {
        return;
    }
    form10.showWorkbook(path, [&] {
        const auto points = readEditedPoints(localPath, &form10, dialogs);
        // Rows added from the workbook leave the column "ход точка" empty. A workbook
        // without a filled row adds nothing: no step, and the table is not told of a change.
        if (points && points->count() > 0) data.append(*points, true, "Добавить много точек");
        return points.has_value();
    });
}

void Excel1Click(QWidget* parent, Workspace& data, TForm10& form10, UserDialogs& dialogs) {
    // The read pass stops at the first row without a number: the points after it would go.
    if (const auto point = firstPointWithoutNumber(data.store())) {
        dialogs.showMessage(parent, QString::fromUtf8(kPointWithoutNumber).arg(*point + 1));
        return;
    }
    const QString path = form10.workbookPath();
    const std::string localPath = toLocalPath(path);
    // The user's edits are never written over before they have been read.
    if (form10.holdsUnreadEdits()) {
        dialogs.showMessage(parent, QString::fromUtf8(kUnreadEdits));
    } else if (reportFailure(writeWhileBusy(parent, localPath, data.store()), parent, dialogs)) {
        return;
    }
    form10.setHoldsUnreadEdits(true);
    form10.showWorkbook(path, [&] {
        auto points = readEditedPoints(localPath, &form10, dialogs);
        if (!points) return false;
        restoreFullPrecision(*points, data.store());
        // The flags stay with the row positions: the k-th edited row is selected when the
        // k-th point was before the edit.
        std::vector<std::int32_t> selected = data.selected();
        selected.resize(points->count(), 0);
        std::string status = data.status();
        if (points->count() > 0 && status.empty()) status = kNoFileStatus;
        data.replace(std::move(*points), std::move(selected), std::move(status),
                     "Отредактировать всё в Excel");
        form10.setHoldsUnreadEdits(false);
        return true;
    });
}

}  // namespace korvela
