#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace korvela {

// The window boundary: the core keeps Windows-1251 bytes (point numbers, file texts) and
// UTF-8 (messages); the windows show QStrings.
QString fromCp1251(std::string_view bytes);
std::string toCp1251(const QString& text);
QString fromUtf8(std::string_view text);
std::string toUtf8(const QString& text);

// A path as the file system takes it.
std::string toLocalPath(const QString& path);

}  // namespace korvela
