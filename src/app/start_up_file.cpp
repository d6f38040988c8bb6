#include "app/start_up_file.h"

#include <optional>

#include "app/forms.h"
#include "app/tform1.h"
#include "area/area_files.h"
#include "area/area_sheet.h"
#include "area/tgeop.h"
#include "ui/korvela_application.h"
#include "ui/qt_text.h"
#include "ui/user_dialogs.h"

namespace korvela {
namespace {

void openInAreaWindow(TGeop& window, UserDialogs& dialogs, const QString& path) {
    AreaSheet sheet;
    const std::string localPath = toLocalPath(path);
    const std::optional<FileError> error = path.endsWith(".tdp", Qt::CaseInsensitive)
                                               ? openAreaFile(localPath, sheet)
                                               : loadStatementFile(localPath, sheet);
    window.show();
    if (error) return dialogs.showMessage(&window, QString::fromUtf8(error->message()));
    window.handOver(std::move(sheet));
    reportingErrors([&window] { window.N5Click(); });
}

}  // namespace

void openStartUpFile(Forms& forms, UserDialogs& dialogs, const QString& path) {
    if (path.endsWith(".tdp", Qt::CaseInsensitive) || path.endsWith(".tdl", Qt::CaseInsensitive)) {
        openInAreaWindow(*forms.geop, dialogs, path);
    } else {
        reportingErrors([&] { forms.form1->importSurvey(path); });
    }
}

}  // namespace korvela
