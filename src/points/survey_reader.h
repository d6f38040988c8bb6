#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/file_error.h"
#include "common/work_progress.h"

namespace korvela {

class PointStore;
class RegularFile;
struct ObservationList;

// Survey files come in four text formats, told apart by their content:
//  - the fixed-column listing whose first line is exactly "Sokkia - sdr" (what the text
//    export writes): five header lines, then number, x, y, z in columns 0, 6, 17, 28;
//  - a Sokkia SDR file, whose first line contains "NMSDR" (blank lines before it are
//    skipped): 08 coordinate records (ordinary points) and 02 station records, whatever their
//    derivation code (TP, KI, CO, ...), also among the three lines after the header, where
//    other lines are skipped. SDR33 ids are the whole 16-character field 4-19; a record
//    reaching position 67 is read by its 16-character fields 20, 36, 52 when each is blank
//    (0) or one number (all three blank: no point), otherwise, like a shorter record, as
//    blank-separated values from position 20. SDR2x files (header version "SDR2...") have
//    4-character ids and 10-character value fields that may touch; their records shorter than
//    28 characters are skipped. A header whose coordinate order is E-N puts the first value
//    into y;
//  - Leica GSI-8 and GSI-16, whose first line is all GSI words (see points/gsi_records.h);
//  - comma lines carrying the marker ",--------," (NUMBER,--------,X,Y,Z), from line 2 on; in
//    a comma file where no line has the marker, every P,N,E,Z[,DESCRIPTION] line is a point,
//    line 1 included (an empty Z is 0).
// A UTF-8 byte order mark at the start is skipped. A first line holding only STX or the text
// "<STX>" (a comms transmission) is skipped, and a line starting with ETX or "<ETX>" ends
// the reading. Lines that are not records of the file's format are skipped without a word;
// numbers that do not read become 0. Every point read is active and aqua.
//
// Large files are parsed by several threads at once at line boundaries; the points are the
// same whatever the number of threads. A file is read, never mapped into memory, so another
// program that shortens, extends or rewrites it meanwhile (a re-export over it) makes the
// import fail with "файл изменился во время чтения" instead of crashing.

// The threads a large survey is parsed with: 1 on a machine of two cores or fewer, else one
// per core (at most 8).
std::size_t surveyParsingThreads();

// An SDR file's observation records (00 options, 01 vertical option, 02 set-ups, 03 target
// heights, 07 backsights, 09 F1/F2/MD/MC, 11 reduced, 12 sets, and 08 TP records after a
// sight as derived points) are read into `observations` when one is given, with angles in
// degrees; other files, and SDR files without sights, leave it empty. The points are the same
// either way.

// What a reading found beside the points, for the status line: a GSI file, GSI-8 (8 digits,
// so an easting of 7 integer digits cannot be written to the millimetre), and the lines of
// a GSI file that held neither points nor observations.
struct SurveyNotes {
    bool gsi = false;
    bool eightDigits = false;
    std::size_t skippedLines = 0;
    // "GSI-8, 8 знаков, пропущено строк: 3"; empty for a file of the other formats.
    std::string statusText() const;
};

// Replaces the points of store with those in the bytes of a survey file.
void readSurvey(std::string_view bytes, PointStore& store,
                std::size_t threads = surveyParsingThreads(),
                ObservationList* observations = nullptr, SurveyNotes* notes = nullptr);

// The same for a file on disk, which must be a regular file. When it cannot be opened or
// read the store ends empty and the error is returned. Counts the bytes read into progress.
std::optional<FileError> readSurveyFile(const std::string& path, PointStore& store,
                                        std::size_t threads = surveyParsingThreads(),
                                        WorkProgress* progress = nullptr,
                                        ObservationList* observations = nullptr,
                                        SurveyNotes* notes = nullptr);
// The same for a file already open; kChangedWhileReading when its size or modification time
// is no longer what opening found.
std::optional<FileError> readSurveyFile(const RegularFile& file, PointStore& store,
                                        std::size_t threads = surveyParsingThreads(),
                                        WorkProgress* progress = nullptr,
                                        ObservationList* observations = nullptr,
                                        SurveyNotes* notes = nullptr);

}  // namespace korvela
