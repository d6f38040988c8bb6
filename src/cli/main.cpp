// korvela-cli: the program's window-free operations for batch work.
#include <algorithm>
#include <array>
#include <cstdint>
#include <iostream>
#include <iterator>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cli/area_command.h"
#include "cli/cli_command.h"
#include "cli/csv_commands.h"
#include "cli/export_commands.h"
#include "cli/observation_commands.h"
#include "cli/project_commands.h"
#include "cli/spreadsheet_commands.h"
#include "cli/standard_input.h"
#include "cli/survey_commands.h"
#include "cli/task_commands.h"
#include "cli/cogo_commands.h"
#include "cli/traverse_command.h"
#include "common/conversion_error.h"
#include "common/version.h"

namespace korvela::cli {

const std::vector<Command>& commands() {
    static const std::vector<Command> all = {
        {"points", "SURVEY", "print the points that \"Import Project\" reads from SURVEY", 1, 1,
         runPoints},
        {"observations", "SURVEY",
         "print the observation records (09, 07, 11) that the import reads from SURVEY, one a line",
         1, 1, runObservations},
        {"traverse",
         "SURVEY STATION... [--closed | --hanging] [--start-sight POINT]... [--end-sight POINT]... "
         "[--method proportional|lsq] [--angular-limit SEC] [--relative-limit N] "
         "[--height-limit CM] [--refraction K] [--sigma-direction SEC] [--sigma-distance MM,PPM] "
         "[--accept] [--points]",
         "compute the traverse along the stations STATION... and print its sheets, or with "
         "--points the adjusted stations and recomputed points",
         2, SIZE_MAX, runTraverse},
        {"length", "SURVEY NUMBER...", "print the \"Длина\" report of the points NUMBER...", 2,
         SIZE_MAX, runLength},
        {"angles", "SURVEY NUMBER...", "print the \"Углы\" report of the points NUMBER...", 2,
         SIZE_MAX, runAngles},
        {"direction", "SURVEY FROM TO", "print the directional angle report from FROM to TO", 3, 3,
         runDirection},
        {"rotate", "SURVEY ANGLE NUMBER...",
         "print the proposed angle and the points NUMBER... rotated by ANGLE (or `proposed`)", 3,
         SIZE_MAX, runRotate},
        {"join", "SURVEY S1 S2 S3 SECOND T1 T2 T3 [--limit M]",
         "join SECOND to SURVEY through the base points S1-S3 = T1-T3; print every point; "
         "refused when it places a point more than M metres from the similarity through the same "
         "points",
         8, 10, runJoin},
        {"transform", "FIRST NUMBER... SECOND [--confidence P]",
         "transform SECOND onto FIRST through the common points NUMBER...; print the report and "
         "the appended points; blunders marked at probability P",
         3, SIZE_MAX, runTransform},
        {"inverse", "SURVEY A B",
         "print the \"Обратная задача\" report from A to B", 3, 3, runInverse},
        {"polar",
         "SURVEY STATION ORIENT READING_TO_ORIENT READING DISTANCE [--zenith Z] [--ih M] [--th M] "
         "[--name N]",
         "compute a polar point from STATION oriented on ORIENT; print the report and the point",
         6, 14, runPolar},
        {"intersection", "SURVEY A ANGLE_A B ANGLE_B [C ANGLE_C]... [--name N]",
         "forward intersection by the directional angles from A, B (least squares from three "
         "rays); print the report and the point",
         5, SIZE_MAX, runIntersection},
        {"distance-intersection", "SURVEY A DIST_A B DIST_B --side left|right [--name N]",
         "distance intersection, the point left or right of A -> B; print the report and the "
         "point",
         7, 9, runDistanceIntersection},
        {"resection", "SURVEY A DIR_A B DIR_B C DIR_C [D DIR_D]... [--name N]",
         "resection from the directions read at the new station (least squares from four); "
         "print the report and the station",
         7, SIZE_MAX, runResection},
        {"stakeout", "SURVEY STATION ORIENT NUMBER... [--ih M] [--th M]",
         "print the stake-out sheet of the points NUMBER... from STATION oriented on ORIENT", 4,
         SIZE_MAX, runStakeout},
        {"txt", "SURVEY OUT", "import SURVEY, then write OUT as \"Export txt\" does", 2, 2, runTxt},
        {"dxf", "SURVEY OUT [--layers-by-code [--codes TABLE]]",
         "import SURVEY, then write OUT as \"Export AutoCad\" does; --layers-by-code puts each "
         "coded point on its code's layer (TABLE: a code table file)",
         2, 5, runDxf},
        {"parcel", "SURVEY NUMBER...",
         "hand the points NUMBER... to the area window, compute, print the sheet", 2, SIZE_MAX,
         runParcel},
        {"area", "FILE",
         "open FILE (.tdp) or read it as a coordinate statement, compute the area and print the "
         "sheet",
         1, 1, runArea},
        {"workbook-write", "SURVEY OUT",
         "write the points of SURVEY into the workbook OUT as \"Отредактировать всё в Excel\" does",
         2, 2, runWorkbookWrite},
        {"workbook-points", "WORKBOOK",
         "print the points that \"Добавить много точек\" reads from WORKBOOK", 1, 1,
         runWorkbookPoints},
        {"csv-points",
         "FILE [--columns PNEZD] [--separator SEP|tab|blank] [--decimal-comma] [--skip N] "
         "[--encoding utf-8|cp1251]",
         "print the points that \"Импорт CSV\" reads from FILE", 1, SIZE_MAX, runCsvPoints},
        {"csv",
         "SURVEY OUT [--separator SEP|tab|blank] [--decimal-comma] [--encoding utf-8|cp1251]",
         "import SURVEY, then write OUT as \"Export CSV\" does", 2, SIZE_MAX, runCsv},
        {"project", "SURVEY OUT", "import SURVEY and save it as the project file OUT", 2, 2,
         runProject},
        {"project-points", "PROJECT", "print the points that \"Open Project\" reads from PROJECT",
         1, 1, runProjectPoints},
    };
    return all;
}

namespace {

void printUsage(std::ostream& stream) {
    stream << "usage: korvela-cli COMMAND ARGUMENTS...\n"
              "       korvela-cli --help | --version\n\ncommands:\n";
    for (const Command& command : commands()) {
        stream << "  " << command.name << ' ' << command.arguments << "\n      " << command.summary
               << '\n';
    }
}

// The words of a usage that name input files, which `-` can stand for.
constexpr std::array<std::string_view, 6> kInputFileWords = {"SURVEY", "FIRST",   "SECOND",
                                                             "FILE",   "PROJECT", "WORKBOOK"};

// Whether the usage has the word on its own (not inside another word or an option's text).
bool hasWord(std::string_view arguments, std::string_view word) {
    for (std::size_t start = 0; start <= arguments.size();) {
        const std::size_t end = std::min(arguments.find(' ', start), arguments.size());
        if (arguments.substr(start, end - start) == word) return true;
        start = end + 1;
    }
    return false;
}

void printCommandUsage(const Command& command, std::ostream& stream) {
    stream << "usage: korvela-cli " << command.name << ' ' << command.arguments << "\n  "
           << command.summary << '\n';
    std::vector<std::string_view> inputs;
    std::copy_if(kInputFileWords.begin(), kInputFileWords.end(), std::back_inserter(inputs),
                 [&](std::string_view word) { return hasWord(command.arguments, word); });
    if (!inputs.empty()) {
        stream << "  `-` as " << inputs.front();
        for (std::size_t i = 1; i < inputs.size(); ++i) stream << " or " << inputs[i];
        stream << " reads the standard input" << (inputs.size() > 1 ? " (one of them only)" : "")
               << ",\n  at most --stdin-limit BYTES of it (K, M or G may follow; 2G without).\n";
    }
    if (hasWord(command.arguments, "OUT"))
        stream << "  `-` as OUT writes to the standard output.\n";
}

bool isHelp(const std::string& word) { return word == "--help" || word == "-h"; }

const Command* findCommand(const std::string& name) {
    for (const Command& command : commands()) {
        if (command.name == name) return &command;
    }
    return nullptr;
}

// An argument beginning with "--" given to a command whose usage lists no option: a mistyped
// option rather than a file or a point number.
const std::string* unknownOption(const Command& command,
                                 const std::vector<std::string>& arguments) {
    if (command.arguments.find("[--") != std::string_view::npos) return nullptr;
    const auto option =
        std::find_if(arguments.begin(), arguments.end(),
                     [](const std::string& word) { return word.starts_with("--"); });
    return option == arguments.end() ? nullptr : &*option;
}

// Checks the arguments, then runs the command; throws UsageError for wrong ones.
int checkAndRun(const Command& command, std::vector<std::string> arguments) {
    InputFiles inputs(takeStandardInputLimit(arguments));
    if (const std::string* option = unknownOption(command, arguments)) {
        throw UsageError("wrong option " + *option);
    }
    if (arguments.size() < command.fewestArguments || arguments.size() > command.mostArguments) {
        throw UsageError("wrong arguments for " + std::string(command.name));
    }
    CommandContext context{arguments, inputs, std::cout, std::cerr};
    return command.run(context);
}

// Runs the command; a usage error has its message on stderr.
int runCommand(const Command& command, const std::vector<std::string>& arguments) {
    int status = kSuccess;
    try {
        status = checkAndRun(command, arguments);
    } catch (const UsageError& error) {
        std::cerr << "korvela-cli: " << error.what() << '\n';
        return kWrongArguments;
    } catch (const ConversionError& error) {
        std::cerr << error.what() << '\n';
        return kNotice;
    } catch (const std::bad_alloc&) {
        std::cerr << "korvela-cli: не хватает памяти\n";
        return kFileFailure;
    } catch (const std::exception& error) {
        // FileFailure, and whatever else ends a command on the way
        std::cerr << "korvela-cli: " << error.what() << '\n';
        return kFileFailure;
    }
    std::cout.flush();
    return std::cout.good() ? status : kFileFailure;
}

int run(const std::vector<std::string>& words) {
    if (words.empty()) {
        printUsage(std::cerr);
        return kWrongArguments;
    }
    if (isHelp(words[0])) {
        printUsage(std::cout);
        return kSuccess;
    }
    if (words[0] == "--version") {
        std::cout << "korvela-cli " << KORVELA_VERSION_TEXT << '\n';
        return kSuccess;
    }
    const Command* command = findCommand(words[0]);
    if (command == nullptr) {
        std::cerr << "korvela-cli: unknown command " << words[0] << "\n\n";
        printUsage(std::cerr);
        return kWrongArguments;
    }
    const std::vector<std::string> arguments(words.begin() + 1, words.end());
    if (arguments.size() == 1 && isHelp(arguments[0])) {
        printCommandUsage(*command, std::cout);
        return kSuccess;
    }
    const int status = runCommand(*command, arguments);
    if (status == kWrongArguments) {
        std::cerr << '\n';
        printCommandUsage(*command, std::cerr);
    }
    return status;
}

}  // namespace
}  // namespace korvela::cli

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return korvela::cli::run(std::vector<std::string>(argv + 1, argv + argc));
}
