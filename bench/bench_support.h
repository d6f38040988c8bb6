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

}  // namespace korvela::bench
