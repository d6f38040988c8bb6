#include "points/survey_open_dialog.h"

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

}  // namespace korvela
