#pragma once

#include <QString>

namespace korvela {

// Where a text the program ships (ReadMe.txt, License.txt, the user guide) is: next to the
// executable in a build folder, else in the shared folder of an installed program
// (PREFIX/share/korvela beside PREFIX/bin).
QString programFilePath(const QString& name);
QString programFilePath(const QString& name, const QString& programFolder);

// Where the program keeps a working file of its own (the workbook 1.xlsx): beside the program
// in a build folder or a copy of its own; in dataFolder when the program is installed (its
// shared folder exists), so that nothing is written among the system's programs, or when
// the program's folder cannot be written.
QString workingFolder(const QString& programFolder, const QString& dataFolder);

}  // namespace korvela
