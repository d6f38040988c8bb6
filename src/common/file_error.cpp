#include "common/file_error.h"

#include <cerrno>

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
        case ELOOP:
            return "слишком много символических ссылок";
        case EMFILE:
        case ENFILE:
            return "открыто слишком много файлов";
        case EBUSY:
        case ETXTBSY:
            return "файл занят";
        case ENXIO:
        case ENODEV:
            return "устройство недоступно";
        default:
            // The system's own text is English in the program's C locale: the number says more.
            return "системная ошибка " + std::to_string(errorNumber);
    }
}

}  // namespace

std::string FileError::message() const {
    const char* action =
        operation == Operation::Read ? "Не удаётся прочитать файл" : "Не удаётся записать файл";
    return std::string(action) + " \"" + path + "\": " + reasonText(errorNumber);
}

}  // namespace korvela
