#include "ui/program_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "common/version.h"

namespace korvela {

QString programFilePath(const QString& name) {
    return programFilePath(name, QCoreApplication::applicationDirPath());
}

QString programFilePath(const QString& name, const QString& programFolder) {
    const QDir folder(programFolder);
    const QString besideProgram = folder.filePath(name);
    if (QFileInfo::exists(besideProgram)) return besideProgram;
    return QDir::cleanPath(folder.filePath(QStringLiteral(KORVELA_INSTALLED_TEXTS "/") + name));
}

}  // namespace korvela
