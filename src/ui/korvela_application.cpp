#include "ui/korvela_application.h"

#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <clocale>
#include <exception>
#include <new>

#include "common/work_progress.h"
#include "ui/user_dialogs.h"

namespace korvela {

KorvelaApplication::KorvelaApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("KORVELA");
    // Numbers are read and written with '.' everywhere, whatever the desktop's language.
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_NUMERIC, "C");
    // The file, print and font dialogs and the standard buttons speak Russian as the windows
    // do (Debian's qt6-translations-l10n); without the file they stay English.
    if (qtTranslation_.load(QStringLiteral("qtbase_ru"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        installTranslator(&qtTranslation_);
    }
}

bool KorvelaApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportCurrentException();
        return false;
    }
}

void KorvelaApplication::reportCurrentException() {
    QString message;
    try {
        throw;
    } catch (const WorkStopped&) {
        return;  // at the user's request: the status line says so
    } catch (const std::bad_alloc&) {
        message = QString::fromUtf8("Не хватает памяти");
    } catch (const std::exception& error) {
        message = QString::fromUtf8(error.what());
    } catch (...) {
        // Not one of ours: shown with an empty message, as the toolkit does.
    }
    if (dialogs_ != nullptr) dialogs_->showMessage(activeWindow(), message);
}

}  // namespace korvela
