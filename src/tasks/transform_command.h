#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "tasks/common_point_transform.h"

class QWidget;

namespace korvela {

class PointStore;
class TForm8;
class UserDialogs;
struct FileDialogRequest;

// Задачи ▸ "Трансформация по общим точкам": with two or more points selected, asks for the
// second survey (openDialog) and shows the report in the report window. Returns the points
// to append; nothing when the report is a notice, the dialog was cancelled or the file could
// not be read (a message says so).
std::optional<std::vector<TransformedPoint>> runCommonPointTransform(
    QWidget* parent, UserDialogs& dialogs, const FileDialogRequest& openDialog, TForm8& report,
    const PointStore& store, const std::vector<std::int32_t>& selected);

}  // namespace korvela
