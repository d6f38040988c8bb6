// libFuzzer target: the text listing ("Export txt") of points made from any bytes, read back
// by the survey import. Every ordinary point written comes back, in order, with the
// coordinates its listing texts stand for; stations are not written.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>

#include "common/local_time.h"
#include "common/number_parse.h"
#include "exchange/text_listing.h"
#include "points/point_store.h"
#include "points/survey_reader.h"

namespace {

// Takes the next bytes of the input, or nothing when too few are left.
class InputBytes {
public:
    InputBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool take(void* out, std::size_t count) {
        if (count > size_) return false;
        std::memcpy(out, data_, count);
        data_ += count;
        size_ -= count;
        return true;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// A point: a number of 0-15 bytes, x, y, z as raw doubles, then the kind (odd: ordinary).
bool appendPoint(InputBytes& input, korvela::PointStore& store) {
    std::uint8_t length = 0;
    if (!input.take(&length, 1)) return false;
    std::string number(length % 16, '\0');
    double coordinates[3] = {};
    std::uint8_t kind = 0;
    if (!input.take(number.data(), number.size()) || !input.take(coordinates, sizeof coordinates) ||
        !input.take(&kind, 1)) {
        return false;
    }
    store.append(std::move(number), coordinates[0], coordinates[1], coordinates[2],
                 korvela::kColourAqua,
                 (kind & 1) != 0 ? korvela::kKindPoint : korvela::kKindStation);
    return true;
}

double listedValue(double value) {
    char text[korvela::kListingNumberCapacity];
    return korvela::parseNumberPrefix(
        std::string_view(text, korvela::formatListingNumber(value, text)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputBytes input(data, size);
    korvela::PointStore store;
    while (appendPoint(input, store)) {}
    std::ostringstream listing;
    korvela::writeTextListing(store, korvela::LocalTime{2011, 1, 1, 9, 5, 7}, listing);
    korvela::PointStore readBack;
    korvela::readSurvey(listing.str(), readBack);

    std::size_t next = 0;
    for (std::size_t point = 0; point < store.count(); ++point) {
        if (store.kind()[point] != korvela::kKindPoint) continue;
        if (next >= readBack.count() || readBack.x()[next] != listedValue(store.x()[point]) ||
            readBack.y()[next] != listedValue(store.y()[point]) ||
            readBack.z()[next] != listedValue(store.z()[point])) {
            std::abort();
        }
        ++next;
    }
    if (next != readBack.count()) std::abort();
    return 0;
}
