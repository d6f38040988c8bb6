#include "common/file_error.h"

#include <gtest/gtest.h>

namespace korvela {
namespace {

bool hasLatinLetter(const std::string& text) {
    for (const char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    }
    return false;
}

// The program's C locale would make the system's own texts English.
TEST(FileError, EveryReasonIsRussian) {
    for (int errorNumber = 1; errorNumber < 134; ++errorNumber) {
        const FileError error{FileError::Operation::Write, "путь", errorNumber};
        EXPECT_FALSE(hasLatinLetter(error.message())) << error.message();
    }
}

}  // namespace
}  // namespace korvela
