#include "exchange/workbook_commands.h"

#include <filesystem>
#include <optional>
#include <vector>

#include "ui/qt_text.h"
#include "ui/user_dialogs.h"
#include "common/conversion_error.h"
#include "exchange/tform10.h"
#include "exchange/workbook_points.h"
#include "exchange/workbook_reader.h"
#include "exchange/workbook_writer.h"
#include "points/workspace.h"

namespace korvela {
namespace {

const char* const kPointWithoutNumber =
    "У точки в строке %1 таблицы нет номера. Таблица Excel читается до первой строки без номера, "
    "и точки после неё пропали бы: дайте точке номер и повторите.";

// Every row of the workbook the user saved, or nothing once the reason has been shown.
std::optional<std::vector<WorkbookPoint>> readEditedPoints(const std::string& path, QWidget* parent,
                                                           UserDialogs& dialogs) {
    WorkbookSheet sheet;
    if (const auto error = readFirstSheetFile(path, sheet)) {
        dialogs.showMessage(parent, fromUtf8(error->message()));
        return std::nullopt;
    }
    try {
        return readWorkbookPoints(sheet);
    } catch (const ConversionError& error) {
        dialogs.showMessage(parent, fromUtf8(error.what()));
        return std::nullopt;
    }
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
    form10.showWorkbook(path);
    const auto points = readEditedPoints(localPath, parent, dialogs);
    if (!points) return;
    PointStore added;
    appendWorkbookPoints(added, *points);
    // Rows added from the workbook leave the column "ход точка" empty.
    data.append(added, true);
}

void Excel1Click(QWidget* parent, Workspace& data, TForm10& form10, UserDialogs& dialogs) {
    // The read pass stops at the first row without a number: the points after it would go.
    if (const auto point = firstPointWithoutNumber(data.store())) {
        dialogs.showMessage(parent, QString::fromUtf8(kPointWithoutNumber).arg(*point + 1));
        return;
    }
    const QString path = form10.workbookPath();
    const std::string localPath = toLocalPath(path);
    if (reportFailure(writeWorkbookPoints(localPath, data.store()), parent, dialogs)) return;
    form10.showWorkbook(path);
    auto points = readEditedPoints(localPath, parent, dialogs);
    if (!points) return;
    restoreFullPrecision(*points, data.store());
    PointStore edited;
    appendWorkbookPoints(edited, *points);
    // The flags stay with the row positions: the k-th edited row is selected when the k-th
    // point was before the edit.
    std::vector<std::int32_t> selected = data.selected();
    selected.resize(points->size(), 0);
    std::string status = data.status();
    if (!points->empty() && status.empty()) status = kNoFileStatus;
    data.replace(std::move(edited), std::move(selected), std::move(status));
}

}  // namespace korvela
