// korvela: the desktop program.
#include <QFileInfo>
#include <QStringList>

#include "app/forms.h"
#include "app/start_up_file.h"
#include "app/tform1.h"
#include "app/program_data.h"
#include "ui/desktop_dialogs.h"
#include "ui/korvela_application.h"

int main(int argc, char** argv) {
    korvela::ProgramData data;
    korvela::KorvelaApplication application(argc, argv);
    korvela::DesktopDialogs dialogs;
    application.setDialogs(&dialogs);

    korvela::Forms forms(data, dialogs);
    forms.form1->showMaximized();

    // A file named on the command line opens at once ("-p" belongs to the area window).
    const QStringList arguments = application.arguments();
    if (arguments.size() > 1 && arguments[1] != QStringLiteral("-p")) {
        openStartUpFile(forms, dialogs, QFileInfo(arguments[1]).absoluteFilePath());
    }
    return application.exec();
}
