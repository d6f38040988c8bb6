#include "common/file_error.h"

#include <cerrno>
#include <iterator>

namespace korvela {
namespace {

struct ReasonText {
    int errorNumber;
    const char* text;
};

// The error numbers that reading and writing files meet in practice.
constexpr ReasonText kReasonTexts[] = {
    {kNotRegularFile, "это не обычный файл"},
    {kWriteProtected, "файл защищён от записи"},
    {kChangedWhileReading, "файл изменился во время чтения"},
    {kNoPipeReader, "никто не читает из канала"},
    {ENOENT, "нет такого файла или папки"},
    {EACCES, "нет прав доступа"},
    {EPERM, "операция не разрешена"},
    {EISDIR, "это папка, а не файл"},
    {ENOTDIR, "часть пути не является папкой"},
    {ENOSPC, "нет места на диске"},
    {EDQUOT, "превышена квота диска"},
    {EROFS, "диск доступен только для чтения"},
    {ENAMETOOLONG, "слишком длинное имя файла"},
    {ELOOP, "слишком много уровней символических ссылок"},
    {EIO, "ошибка ввода-вывода"},
    {EFBIG, "файл слишком велик"},
    {ENOMEM, "не хватает памяти"},
    {EMFILE, "открыто слишком много файлов"},
    {ENFILE, "в системе открыто слишком много файлов"},
    {EBUSY, "файл занят"},
    {ETXTBSY, "файл занят выполняемой программой"},
    {EEXIST, "файл уже существует"},
    {EXDEV, "файл на другом диске"},
    {EOPNOTSUPP, "файловая система не поддерживает эту операцию"},
    {EINVAL, "недопустимая операция с файлом"},
    {EPIPE, "читающая сторона канала закрыта"},
    {ENXIO, "нет такого устройства"},
    {ENODEV, "нет такого устройства"},
    {EAGAIN, "ресурс временно недоступен"},
    {EINTR, "операция прервана"},
    {EBADF, "неверный дескриптор файла"},
    {ESTALE, "файл на сетевом диске больше недоступен"},
    {ETIMEDOUT, "истекло время ожидания"},
    {ENOTCONN, "нет соединения"},
};

}  // namespace

std::string fileErrorReason(int errorNumber) {
    for (const ReasonText& reason : kReasonTexts) {
        if (reason.errorNumber == errorNumber) return reason.text;
    }
    return "системная ошибка номер " + std::to_string(errorNumber);
}

std::string FileError::message() const {
    const char* action =
        operation == Operation::Read ? "Не удаётся прочитать файл" : "Не удаётся записать файл";
    return std::string(action) + " \"" + path +
           "\": " + (reason.empty() ? fileErrorReason(errorNumber) : reason);
}

}  // namespace korvela
