#include "tasks/report_file.h"

#include <ostream>

#include "common/safe_file_writer.h"

namespace korvela {

std::optional<FileError> writeReportFile(const std::string& path, std::string_view text) {
    return writeFileSafely(path, [text](std::ostream& out) {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    });
}

}  // namespace korvela
