#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "common/file_error.h"
#include "common/safe_file_writer.h"
#include "common/work_progress.h"
#include "points/view_state.h"
#include "points/observations.h"
#include "points/point_store.h"

namespace korvela {

// The project file keeps the whole working state, little-endian, blocks without gaps:
//   the 88-byte view record image;
//   selected, kind, active (int32 count, then int32 values);
//   x, y, z (int32 count, then doubles);
//   colour (int32 count, then int32 values);
//   number (int32 count, then per point an int32 byte length and the Windows-1251 bytes).
// An empty store gives 120 bytes. Observations, when there are any, follow in tagged blocks
// (points/project_extension.h).

// What a project file holds, as read from it. The caller decides which view fields to use.
struct ProjectContent {
    ViewState view;
    std::vector<std::int32_t> selected;
    PointStore store;
    ObservationList observations;
    bool observationsDamaged = false;  // the points read, the observations' block did not
};

// What opening says when the points were read but the observations' block was damaged (UTF-8).
inline constexpr const char* kObservationsUnreadable =
    "Наблюдения из проекта не удалось прочитать (их блок повреждён): открыты только точки.";

// Why bytes are not a whole project file.
enum class ProjectDamage {
    EndsEarly,      // a block or a number runs past the end of the bytes
    NegativeCount,  // a count or a number's length below 0
    CountsDiffer,   // a sequence's count differs from the count of `selected`
    NumberTooLong,  // a number longer than kLongestProjectNumber bytes
    NotFinite,      // a coordinate or a value of the view record is infinite or not a number
};

// The longest number a project file may hold (the reading buffer of the file's origin held
// 10,000 bytes with its terminator).
inline constexpr std::size_t kLongestProjectNumber = 9999;

// A project file that was read but is damaged.
struct DamagedProjectFile {
    std::string path;
    ProjectDamage damage = ProjectDamage::EndsEarly;

    // "Файл проекта повреждён: <path>" (UTF-8).
    std::string message() const;
};

// A project holding a number longer than kLongestProjectNumber could not be opened again:
// the message (UTF-8) naming the first such point, or nothing when every number fits.
std::optional<std::string> unsavableNumberMessage(const PointStore& store);

// Writes the project; each sequence is written with its own length as count. Counts the
// values written into progress.
void writeProject(std::ostream& out, const ViewState& view,
                  const std::vector<std::int32_t>& selected, const PointStore& store,
                  WorkProgress* progress = nullptr,
                  const ObservationList* observations = nullptr);

// Writes the project file through the safe file writer; the error when it could not be written.
std::optional<FileError> saveProjectFile(
    const std::string& path, const ViewState& view, const std::vector<std::int32_t>& selected,
    const PointStore& store, WorkProgress* progress = nullptr,
    PipeWithoutReader pipeWithoutReader = PipeWithoutReader::Refuse,
    const ObservationList* observations = nullptr);

// Reads a project from the bytes of a file. Every count and length is checked against the
// bytes that remain before anything is allocated; bytes after the last block are ignored
// unless they start with the extension's tag.
std::variant<ProjectContent, ProjectDamage> readProject(std::string_view bytes);

// Reads the project file at path in one go: the content, or why there is none. A pipe, a
// device or a folder is refused at once. Counts the bytes read into progress.
std::variant<ProjectContent, FileError, DamagedProjectFile> openProjectFile(
    const std::string& path, WorkProgress* progress = nullptr);

// The selection as opening leaves it: the row of every point whose flag in the file is not 0
// gets ticked, which makes its flag 1; the others are 0.
std::vector<std::int32_t> selectionAfterOpening(const std::vector<std::int32_t>& fromFile);

}  // namespace korvela
