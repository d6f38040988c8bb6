// libFuzzer target: the project reader on any bytes. It must never read outside the bytes,
// never allocate from an unchecked count, and whatever it accepts must save back to the
// same bytes, up to the view record's filler byte, any bytes after the last block, and the
// `kind` and `active` values other than 0 and 1, which the store keeps as one other value.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string_view>
#include <variant>

#include "points/point_store.h"
#include "points/project_file.h"

namespace {

constexpr std::size_t kFillerAt = 87;
constexpr std::size_t kViewBytes = 88;
constexpr std::size_t kCountBytes = 4;
constexpr std::size_t kFlagBytes = 4;

// The flags of the block of n int32 values starting at `at`, as the store keeps them.
void keepAsTheStoreDoes(std::string& bytes, std::size_t at, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        std::int32_t value = 0;
        std::memcpy(&value, bytes.data() + at + i * kFlagBytes, kFlagBytes);  // little-endian host
        value = korvela::toPointFlag(value);
        std::memcpy(bytes.data() + at + i * kFlagBytes, &value, kFlagBytes);
    }
}

void requireSavesBack(std::string_view input, const korvela::ProjectContent& content) {
    std::ostringstream out;
    korvela::writeProject(out, content.view, content.selected, content.store);
    std::string expected(input.substr(0, out.str().size()));
    expected[kFillerAt] = 0;
    // After the view: the selection, then `kind` and `active`, each a count and n values.
    const std::size_t n = content.store.count();
    const std::size_t kindAt = kViewBytes + kCountBytes + n * kFlagBytes + kCountBytes;
    const std::size_t activeAt = kindAt + n * kFlagBytes + kCountBytes;
    keepAsTheStoreDoes(expected, kindAt, n);
    keepAsTheStoreDoes(expected, activeAt, n);
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
