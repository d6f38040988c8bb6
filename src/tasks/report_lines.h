#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace korvela {

// A report's text as the report window shows and saves it: lines ended by CR LF, the cells of
// a row separated by TAB; written in UTF-8 and handed over in Windows-1251.
class ReportLines {
public:
    ReportLines& line(std::string_view text = {});
    ReportLines& row(std::initializer_list<std::string> cells);
    std::string cp1251() const;

private:
    std::string text_;
};

// Lengths to the millimetre: "12.345"; signed "+0.012" / "-0.012" / "0.000".
std::string lengthText(double metres);
std::string signedLengthText(double metres);

}  // namespace korvela
