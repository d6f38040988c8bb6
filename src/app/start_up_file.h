#pragma once

#include <QString>

namespace korvela {

struct Forms;
class UserDialogs;

// The file named on the command line (or opened from the desktop): an area sheet (.tdp) or a
// coordinate statement (.tdl) opens in the area window and is computed, any other file is
// imported as a survey.
void openStartUpFile(Forms& forms, UserDialogs& dialogs, const QString& path);

}  // namespace korvela
