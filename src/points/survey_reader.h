#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/file_error.h"

namespace korvela {

class PointStore;

// Survey files come in three text formats, told apart by their content:
//  - the fixed-column listing whose first line is exactly "Sokkia - sdr" (what the text
//    export writes): five header lines, then number, x, y, z in columns 0, 6, 17, 28;
//  - a Sokkia SDR file, whose first line contains "NMSDR": after three more header lines,
//    08TP coordinate records (ordinary points) and 02TP station records;
//  - comma lines carrying the marker ",--------," (NUMBER,--------,X,Y,Z), from line 2 on.
// Lines that are not records of the file's format are skipped without a word; numbers that
// do not read become 0. Every point read is active and aqua.

// Replaces the points of store with those in the bytes of a survey file.
void readSurvey(std::string_view bytes, PointStore& store);

// The same for a file on disk. When it cannot be opened or read the store ends empty and
// the error is returned.
std::optional<FileError> readSurveyFile(const std::string& path, PointStore& store);

}  // namespace korvela
