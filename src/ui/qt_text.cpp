#include "ui/qt_text.h"

#include <QFile>

#include "common/cp1251.h"

namespace korvela {

QString fromCp1251(std::string_view bytes) { return fromUtf8(cp1251ToUtf8(bytes)); }

std::string toCp1251(const QString& text) { return utf8ToCp1251(toUtf8(text)); }

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toUtf8(const QString& text) { return text.toStdString(); }

std::string toLocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace korvela
