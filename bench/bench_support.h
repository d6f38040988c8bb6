#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace korvela::bench {

// A generated survey of `count` points in the SDR format: four header lines, a station
// every 100 points, coordinates around one national-grid site (about 60 bytes a record).
inline std::string writeSdrSurvey(std::size_t count) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("korvela-bench-" + std::to_string(count) + ".sdr");
    if (std::filesystem::exists(path)) return path.string();
    std::ofstream out(path, std::ios::binary);
    out << "00NMSDR33 V04-04.02     01-Jan-10 00:00 113111\r\n10NMJOB  BENCH\r\n"
           "13NMgenerated\r\n13NMsurvey\r\n";
    char line[128];
    for (std::size_t i = 0; i < count; ++i) {
        const char* record = i % 100 == 0 ? "02TP" : "08TP";
        const double x = 5412000.0 + static_cast<double>(i % 1000) * 0.731;
        const double y = 7312000.0 + static_cast<double>(i / 1000) * 0.519;
        const double z = 140.0 + static_cast<double>(i % 97) * 0.125;
        const int length = std::snprintf(line, sizeof line, "%s%16zu %.3f %.3f %.3f\r\n", record,
                                         i % 100000, x, y, z);
        out.write(line, length);
    }
    return path.string();
}

// A generated P,N,E,Z,D comma listing of `count` points without the ",--------," marker, as
// surveying programs export them (about 50 bytes a line), in state-plane-sized coordinates.
inline std::string writePlainCommaListing(std::size_t count) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("korvela-bench-" + std::to_string(count) + "-pnezd.csv");
    if (std::filesystem::exists(path)) return path.string();
    std::ofstream out(path, std::ios::binary);
    char line[128];
    for (std::size_t i = 0; i < count; ++i) {
        const double north = 538000.0 + static_cast<double>(i % 1000) * 0.73129;
        const double east = 1455000.0 + static_cast<double>(i / 1000) * 0.51937;
        const double z = 670.0 + static_cast<double>(i % 97) * 0.12511;
        const int length = std::snprintf(line, sizeof line, "%zu,%.5f,%.5f,%.5f,TOP WALL\r\n",
                                         i + 1, north, east, z);
        out.write(line, length);
    }
    return path.string();
}

}  // namespace korvela::bench
