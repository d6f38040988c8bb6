// libFuzzer target: the project reader on any bytes. It must never read outside the bytes,
// never allocate from an unchecked count, and whatever it accepts must save back to the
// same bytes (up to the view record's filler byte and any bytes after the last block).
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string_view>
#include <variant>

#include "points/project_file.h"

namespace {

constexpr std::size_t kFillerAt = 87;

void requireSavesBack(std::string_view input, const korvela::ProjectContent& content) {
    std::ostringstream out;
    korvela::writeProject(out, content.view, content.selected, content.store);
    std::string expected(input.substr(0, out.str().size()));
    expected[kFillerAt] = 0;
    if (out.str() != expected) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto read = korvela::readProject(input);
    if (const auto* content = std::get_if<korvela::ProjectContent>(&read)) {
        if (content->selected.size() != content->store.count()) std::abort();
        requireSavesBack(input, *content);
    }
    return 0;
}
