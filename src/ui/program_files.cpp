#include "ui/program_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "common/version.h"

namespace korvela {

QString programFilePath(const QString& name) {
    return programFilePath(name, QCoreApplication::applicationDirPath());
}

namespace {

QString installedTextsFolder(const QString& programFolder) {
    return QDir::cleanPath(QDir(programFolder).filePath(QStringLiteral(KORVELA_INSTALLED_TEXTS)));
}

}  // namespace

QString programFilePath(const QString& name, const QString& programFolder) {
    const QString besideProgram = QDir(programFolder).filePath(name);
    if (QFileInfo::exists(besideProgram)) return besideProgram;
    return QDir(installedTextsFolder(programFolder)).filePath(name);
}

QString workingFolder(const QString& programFolder, const QString& dataFolder) {
    const bool installed = QFileInfo(installedTextsFolder(programFolder)).isDir();
    return installed || !QFileInfo(programFolder).isWritable() ? dataFolder : programFolder;
}

}  // namespace korvela
