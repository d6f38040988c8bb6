#include "app/forms.h"

#include "app/tform1.h"
#include "area/tgeop.h"
#include "exchange/tform10.h"
#include "exchange/tform5.h"
#include "plan/tform7.h"
#include "plan/tsettings.h"
#include "app/program_data.h"
#include "points/tform4.h"
#include "tasks/field_journal.h"
#include "tasks/tform11.h"
#include "tasks/tform2.h"
#include "tasks/tform8.h"
#include "tasks/tform9.h"
#include "ui/help_window.h"
#include "ui/korvela_application.h"
#include "ui/program_files.h"

namespace korvela {

Forms::Forms(ProgramData& data, UserDialogs& dialogs)
    : form1(std::make_unique<TForm1>(data, dialogs)), form2(std::make_unique<TForm2>(form1.get(), data.view)),
      form4(std::make_unique<TForm4>(form1.get())),
      form5(std::make_unique<TForm5>(form1.get(), data.points.store(), dialogs)),
      geop(std::make_unique<TGeop>(dialogs)),
      settings(std::make_unique<TSettings>(form1.get(), data.view, form1->plan(), dialogs)),
      form7(std::make_unique<TForm7>(form1.get())),
      form8(std::make_unique<TForm8>(form1.get(), dialogs)),
      form9(std::make_unique<TForm9>(form1.get())), form10(std::make_unique<TForm10>(form1.get())),
      form11(std::make_unique<TForm11>(form1.get(), data.points)),
      fieldJournal(std::make_unique<FieldJournal>(form1.get(), data.points)),
      help(std::make_unique<HelpWindow>(dialogs, programFilePath(kGuideFileName))) {
    form1->attachForms(*this);
    connectCommand(geop.get(), &TGeop::helpRequested, help.get(),
                   [this] { help->showGuide(geop.get()); });
}

// Members go in reverse order of declaration: the main window last.
Forms::~Forms() = default;

}  // namespace korvela
