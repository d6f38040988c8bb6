#pragma once

#include <QString>
#include <optional>

#include "common/file_error.h"

class QWidget;

namespace korvela {

struct FileDialogRequest;
class PointStore;
struct ObservationList;
struct SurveyNotes;

// `OpenDialog` of the main window, shared by "Import Project" and "Add to Project".
const FileDialogRequest& surveyOpenDialog();

// Reads the survey file at path into points off the window's thread, the status line showing
// how far the reading has come; the error when the file cannot be read. With observations,
// an SDR or GSI file's observations too; with notes, what the status line says of the file.
std::optional<FileError> loadSurveyWhileBusy(QWidget* window, const QString& path,
                                             PointStore& points,
                                             ObservationList* observations = nullptr,
                                             SurveyNotes* notes = nullptr);

}  // namespace korvela
