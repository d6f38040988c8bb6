// libFuzzer target: the survey reader on any bytes. Every point it keeps is a whole point:
// seven sequences of equal length, active, aqua, a station or an ordinary point.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "points/point_store.h"
#include "points/survey_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    korvela::PointStore store;
    korvela::readSurvey(std::string_view(reinterpret_cast<const char*>(data), size), store);
    const std::size_t n = store.count();
    if (store.active().size() != n || store.number().size() != n || store.y().size() != n ||
        store.z().size() != n || store.kind().size() != n || store.colour().size() != n) {
        std::abort();
    }
    for (std::size_t i = 0; i < n; ++i) {
        const bool station = store.kind()[i] == korvela::kKindStation;
        if (store.active()[i] != 1 || store.colour()[i] != korvela::kColourAqua ||
            (!station && store.kind()[i] != korvela::kKindPoint)) {
            std::abort();
        }
    }
    return 0;
}
