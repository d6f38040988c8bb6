#include "exchange/workbook_writer.h"

#include <stdlib.h>
#include <xlsxwriter.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/cp1251.h"
#include "common/safe_file_writer.h"
#include "exchange/workbook_sheet.h"
#include "points/point_store.h"

namespace korvela {
namespace {

// A folder of its own in the system's temporary folder, removed with its content.
class ScratchFolder {
public:
    ScratchFolder() {
        std::error_code error;
        std::string pattern =
            (std::filesystem::temp_directory_path(error) / "korvela-xlsx-XXXXXX").string();
        if (!error && ::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
        errorNumber_ = path_.empty() ? (errno != 0 ? errno : ENOENT) : 0;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    int errorNumber() const { return errorNumber_; }

private:
    std::string path_;
    int errorNumber_ = 0;
};

// Fills the sheet; returns what is wrong with the points, empty when they all went in.
std::string writeRows(lxw_worksheet* sheet, const PointStore& store) {
    for (std::size_t i = 0; i < store.count(); ++i) {
        const auto row = static_cast<lxw_row_t>(i);
        const std::string number = cp1251ToUtf8(store.number()[i]);
        if (worksheet_write_string(sheet, row, 0, number.c_str(), nullptr) != LXW_NO_ERROR) {
            return "номер точки в строке " + std::to_string(i + 1) + " длиннее, чем вмещает ячейка";
        }
        worksheet_write_number(sheet, row, 1, store.x()[i], nullptr);
        worksheet_write_number(sheet, row, 2, store.y()[i], nullptr);
        worksheet_write_number(sheet, row, 3, store.z()[i], nullptr);
    }
    return {};
}

// Writes the workbook into the file at scratchPath; returns what went wrong, empty if nothing.
std::string writeScratchWorkbook(const std::string& scratchPath, const std::string& folder,
                                 const PointStore& store) {
    lxw_workbook_options options{};
    options.constant_memory =
        LXW_TRUE;  // rows go straight to disk: a million points take no memory
    std::string temporaryFolder = folder;
    options.tmpdir = temporaryFolder.data();
    lxw_workbook* workbook = workbook_new_opt(scratchPath.c_str(), &options);
    if (workbook == nullptr) return "не удалось создать книгу";
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
    std::string problem = sheet != nullptr ? writeRows(sheet, store) : "не удалось создать лист";
    const lxw_error closed = workbook_close(workbook);
    if (problem.empty() && closed != LXW_NO_ERROR) problem = lxw_strerror(closed);
    return problem;
}

}  // namespace

std::optional<WorkbookError> writeWorkbookPoints(const std::string& path, const PointStore& store) {
    const auto failure = [&](int errorNumber, std::string problem) {
        return WorkbookError{FileError::Operation::Write, path, errorNumber, std::move(problem)};
    };
    if (store.count() > kWorkbookMaxRows) {
        return failure(
            0, "точек больше, чем строк в листе (" + std::to_string(kWorkbookMaxRows) + ")");
    }
    ScratchFolder scratch;
    if (scratch.path().empty()) return failure(scratch.errorNumber(), "нет временной папки");
    const std::string scratchPath = scratch.path() + "/book.xlsx";
    if (std::string problem = writeScratchWorkbook(scratchPath, scratch.path(), store);
        !problem.empty()) {
        return failure(0, problem);
    }
    std::ifstream scratchFile(scratchPath, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(scratchFile)),
                            std::istreambuf_iterator<char>());
    if (!scratchFile || bytes.empty()) {
        return failure(0, "не удалось прочитать временный файл книги");
    }
    if (const auto error = writeFileSafely(path, [&](std::ostream& out) {
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        })) {
        return failure(error->errorNumber, {});
    }
    return std::nullopt;
}

}  // namespace korvela
