#include "common/file_error.h"

#include <cerrno>
#include <cstring>

namespace korvela {
namespace {

std::string reasonText(int errorNumber) {
    switch (errorNumber) {
        case ENOENT:
            return "нет такого файла или папки";
        case EACCES:
        case EPERM:
            return "нет прав доступа";
        case EISDIR:
            return "это папка, а не файл";
        case ENOTDIR:
            return "часть пути не является папкой";
        case ENOSPC:
            return "нет места на диске";
        case EDQUOT:
            return "превышена квота диска";
        case EROFS:
            return "диск доступен только для чтения";
        case ENAMETOOLONG:
            return "слишком длинное имя файла";
        case EIO:
            return "ошибка ввода-вывода";
        case EFBIG:
            return "файл слишком велик";
        case EINVAL:
            return "это не обычный файл";
        case ENOMEM:
            return "не хватает памяти";
        default:
            return std::strerror(errorNumber);
    }
}

}  // namespace

std::string FileError::message() const {
    const char* action =
        operation == Operation::Read ? "Не удаётся прочитать файл" : "Не удаётся записать файл";
    return std::string(action) + " \"" + path + "\": " + reasonText(errorNumber);
}

}  // namespace korvela
