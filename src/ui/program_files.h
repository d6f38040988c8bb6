#pragma once

#include <QString>

namespace korvela {

// Where a text the program ships (ReadMe.txt, License.txt, README.md) is: next to the
// executable in a build folder, else in the shared folder of an installed program
// (PREFIX/share/korvela beside PREFIX/bin).
QString programFilePath(const QString& name);
QString programFilePath(const QString& name, const QString& programFolder);

}  // namespace korvela
