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
//    08 coordinate records (ordinary points) and 02 station records, whatever their
//    derivation code (TP, KI, CO, ...). SDR33 ids are the whole 16-character field 4-19 and
//    the values are blank-separated from position 20; SDR2x files (header version "SDR2...")
//    have 4-character ids and 10-character value fields that may touch. A header whose
//    coordinate order is E-N puts the first value into y;
//  - comma lines carrying the marker ",--------," (NUMBER,--------,X,Y,Z), from line 2 on; in
//    a comma file where no line has the marker, every P,N,E,Z[,DESCRIPTION] line is a point,
//    line 1 included.
// A first line holding only STX (a comms transmission) is skipped, and a line starting with
// ETX ends the reading. Lines that are not records of the file's format are skipped without
// a word; numbers that do not read become 0. Every point read is active and aqua.

// Replaces the points of store with those in the bytes of a survey file.
void readSurvey(std::string_view bytes, PointStore& store);

// The same for a file on disk. When it cannot be opened or read the store ends empty and
// the error is returned.
std::optional<FileError> readSurveyFile(const std::string& path, PointStore& store);

}  // namespace korvela
