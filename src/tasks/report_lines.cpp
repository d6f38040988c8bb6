#include "tasks/report_lines.h"

#include "common/cp1251.h"
#include "common/number_text.h"

namespace korvela {
namespace {

constexpr int kLengthDecimals = 3;

}  // namespace

ReportLines& ReportLines::line(std::string_view text) {
    text_ += text;
    text_ += "\r\n";
    return *this;
}

ReportLines& ReportLines::row(std::initializer_list<std::string> cells) {
    std::string joined;
    for (const std::string& cell : cells) {
        if (&cell != cells.begin()) joined += '\t';
        joined += cell;
    }
    return line(joined);
}

std::string ReportLines::cp1251() const { return utf8ToCp1251(text_); }

std::string lengthText(double metres) { return formatFixed(metres, kLengthDecimals); }

std::string signedLengthText(double metres) {
    const std::string text = lengthText(metres);
    return text[0] == '-' || text == lengthText(0) ? text : "+" + text;
}

}  // namespace korvela
