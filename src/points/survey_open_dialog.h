#pragma once

namespace korvela {

struct FileDialogRequest;

// `OpenDialog` of the main window, shared by "Import Project" and "Add to Project".
const FileDialogRequest& surveyOpenDialog();

}  // namespace korvela
