#include "points/survey_open_dialog.h"

#include "points/point_store.h"
#include "points/survey_reader.h"
#include "ui/busy_indicator.h"
#include "ui/qt_text.h"
#include "ui/user_dialogs.h"

namespace korvela {

const FileDialogRequest& surveyOpenDialog() {
    static const FileDialogRequest request{
        QString(),
        {QString::fromUtf8("sdr, dxf, txt (*.sdr *.dxf *.txt)"),
         QString::fromUtf8("Sokkia - sdr (*.sdr)"), QString::fromUtf8("*.dxf (*.dxf)"),
         QString::fromUtf8("*.* (*)")},
        QString(),
        QString()};
    return request;
}

std::optional<FileError> loadSurveyWhileBusy(QWidget* window, const QString& path,
                                             PointStore& points, ObservationList* observations,
                                             SurveyNotes* notes) {
    BusyIndicator busy(window, QString::fromUtf8("Импорт"));
    const std::string localPath = toLocalPath(path);
    return busy.run([&] {
        return readSurveyFile(localPath, points, surveyParsingThreads(), &busy.progress(),
                              observations, notes);
    });
}

}  // namespace korvela
