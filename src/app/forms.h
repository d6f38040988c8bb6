#pragma once

#include <memory>

namespace korvela {

class TForm1;
class TForm2;
class TForm4;
class TForm5;
class TGeop;
class TSettings;
class TForm7;
class TForm8;
class TForm9;
class TForm10;
class TForm11;
class FieldJournal;
class HelpWindow;
class UserDialogs;
struct ProgramData;

// The program's twelve windows and the user guide's, each created once at start-up in this
// order (the main window first) and destroyed in the reverse order when the program ends.
// Only the main window is shown at start; the others are shown and hidden by commands.
struct Forms {
    Forms(ProgramData& data, UserDialogs& dialogs);
    ~Forms();

    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm4> form4;
    std::unique_ptr<TForm5> form5;
    std::unique_ptr<TGeop> geop;
    std::unique_ptr<TSettings> settings;
    std::unique_ptr<TForm7> form7;
    std::unique_ptr<TForm8> form8;
    std::unique_ptr<TForm9> form9;
    std::unique_ptr<TForm10> form10;
    std::unique_ptr<TForm11> form11;
    std::unique_ptr<FieldJournal> fieldJournal;
    std::unique_ptr<HelpWindow> help;
};

}  // namespace korvela
