#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace korvela {

// A text that should have been a number. Its message is the one the user sees, with the
// offending text quoted; the application's general error handler shows it.
class ConversionError : public std::runtime_error {
public:
    static ConversionError notFloatingPoint(std::string_view text);
    static ConversionError notInteger(std::string_view text);

    // The same message led by where the text stood, such as a spreadsheet cell.
    ConversionError locatedAt(std::string_view place) const;

private:
    explicit ConversionError(const std::string& message);
};

}  // namespace korvela
