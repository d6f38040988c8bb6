#include "exchange/workbook_commands.h"

#include <filesystem>
#include <optional>
#include <vector>

#include "app/qt_text.h"
#include "app/tform1.h"
#include "app/user_dialogs.h"
#include "common/conversion_error.h"
#include "exchange/tform10.h"
#include "exchange/workbook_points.h"
#include "exchange/workbook_reader.h"
#include "exchange/workbook_writer.h"
#include "points/point_table_model.h"
#include "points/point_table_text.h"
#include "points/program_data.h"

namespace korvela {
namespace {

const char* const kPointWithoutNumber =
    "У точки в строке %1 таблицы нет номера. Таблица Excel читается до первой строки без номера, "
    "и точки после неё пропали бы: дайте точке номер и повторите.";

// Every row of the workbook the user saved, or nothing once the reason has been shown.
std::optional<PointStore> readEditedPoints(const std::string& path, TForm1& main,
                                           UserDialogs& dialogs) {
    PointStore points;
    try {
        if (const auto error = readWorkbookPointsFile(path, points)) {
            dialogs.showMessage(&main, fromUtf8(error->message()));
            return std::nullopt;
        }
    } catch (const ConversionError& error) {
        dialogs.showMessage(&main, fromUtf8(error.what()));
        return std::nullopt;
    }
    return points;
}

bool reportFailure(const std::optional<WorkbookError>& error, TForm1& main, UserDialogs& dialogs) {
    if (error) dialogs.showMessage(&main, fromUtf8(error->message()));
    return error.has_value();
}

}  // namespace

void N15Click(TForm1& main, ProgramData& data, TForm10& form10, UserDialogs& dialogs) {
    const QString path = form10.workbookPath();
    const std::string localPath = toLocalPath(path);
    std::error_code ignored;
    if (!std::filesystem::exists(localPath, ignored) &&
        reportFailure(writeWorkbookPoints(localPath, PointStore()), main, dialogs)) {
        return;
    }
    form10.showWorkbook(path);
    const auto points = readEditedPoints(localPath, main, dialogs);
    if (!points) return;
    const std::size_t firstNew = data.store.count();
    appendWorkbookPoints(data.store, *points);
    data.selected.resize(data.store.count(), 0);
    if (points->count() > 0) main.markDataPresent();
    main.table().pointsAppended();
    // Rows added from the workbook leave the column "ход точка" empty.
    for (std::size_t point = firstNew; point < data.store.count(); ++point) {
        main.table().showTypedText(static_cast<int>(point), kKindColumn, QString());
    }
    main.table().rebuildCheckBoxes();
    main.redraw();
}

void Excel1Click(TForm1& main, ProgramData& data, TForm10& form10, UserDialogs& dialogs) {
    // The read pass stops at the first row without a number: the points after it would go.
    if (const auto point = firstPointWithoutNumber(data.store)) {
        dialogs.showMessage(&main, QString::fromUtf8(kPointWithoutNumber).arg(*point + 1));
        return;
    }
    const QString path = form10.workbookPath();
    const std::string localPath = toLocalPath(path);
    if (reportFailure(writeWorkbookPoints(localPath, data.store), main, dialogs)) return;
    form10.showWorkbook(path);
    auto points = readEditedPoints(localPath, main, dialogs);
    if (!points) return;
    restoreFullPrecision(*points, data.store);
    data.store = std::move(*points);
    // The flags stay with the row positions: the k-th edited row is selected when the k-th
    // point was before the edit.
    data.selected.resize(data.store.count(), 0);
    for (std::int32_t& flag : data.selected) flag = flag != 0 ? 1 : 0;
    if (data.store.count() > 0) main.markDataPresent();
    main.table().fillTable();
    main.retickSelection();
    main.redraw();
}

}  // namespace korvela
