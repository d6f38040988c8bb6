#pragma once

class QPlainTextEdit;
class QWidget;

namespace korvela {

class UserDialogs;

// Saves the whole text of a text box into a file the user picks, exactly as the box holds
// it: lines separated by CR LF, Windows-1251, nothing added. A file that cannot be written
// is reported; the box keeps its text.
void Save_edit_to_text(QPlainTextEdit& textBox, QWidget* parent, UserDialogs& dialogs);

}  // namespace korvela
