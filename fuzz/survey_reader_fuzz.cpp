// libFuzzer target: the survey reader on any bytes. Every point it keeps is a whole point:
// seven sequences of equal length, active, aqua, a station or an ordinary point. Read with
// its observations, it keeps the same points, and every index of the observations points
// into their lists or, for a derived point, into the store.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "observation_indices.h"
#include "points/observations.h"
#include "points/point_store.h"
#include "points/survey_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    korvela::PointStore store;
    korvela::readSurvey(bytes, store);
    korvela::PointStore withObservations;
    korvela::ObservationList observations;
    korvela::readSurvey(bytes, withObservations, korvela::surveyParsingThreads(), &observations);
    if (withObservations.x() != store.x() || withObservations.count() != store.count()) {
        std::abort();
    }
    korvela::fuzzing::requireIndicesInside(observations, store.count());
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
