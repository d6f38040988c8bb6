#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "cli/cli_command.h"
#include "common/output_buffer.h"
#include "points/point_store.h"

namespace korvela {
struct ObservationList;
}

namespace korvela::cli {

// Reads a survey as "Import Project" does, from standard input when the argument is "-"; on
// failure reports it and returns false. With observations, an SDR file's observations too.
bool importSurvey(const std::string& argument, PointStore& store, CommandContext& context,
                  ObservationList* observations = nullptr);

// The most a point's line takes: NUMBER TAB X TAB Y TAB Z TAB KIND.
std::size_t pointLineRoom(const PointStore& store, std::size_t index);

// Writes the point's line at out; returns its end.
char* writePointLine(const PointStore& store, std::size_t index, char* out);

// One line per point, each written straight into the output buffer: the point's line, then
// TAB and each whole number of the array extraFields(index) gives, then LF.
template <typename ExtraFields>
void printPointLines(const PointStore& store, std::ostream& out, ExtraFields extraFields);

// One line per point: NUMBER TAB X TAB Y TAB Z TAB KIND LF.
void printPoints(const PointStore& store, std::ostream& out);

int runPoints(CommandContext& context);

template <typename ExtraFields>
void printPointLines(const PointStore& store, std::ostream& out, ExtraFields extraFields) {
    constexpr std::size_t kWholeNumberRoom = 11;  // a 32-bit integer
    OutputBuffer buffer(out);
    for (std::size_t i = 0; i < store.count(); ++i) {
        const auto fields = extraFields(i);
        char* const line =
            buffer.reserve(pointLineRoom(store, i) + fields.size() * (1 + kWholeNumberRoom) + 1);
        char* at = writePointLine(store, i, line);
        for (const std::int32_t field : fields) {
            *at++ = '\t';
            at = std::to_chars(at, at + kWholeNumberRoom, field).ptr;
        }
        *at++ = '\n';
        buffer.commit(static_cast<std::size_t>(at - line));
    }
}

}  // namespace korvela::cli
