// libFuzzer target: the CSV reader on any bytes, with the choices taken from the first bytes.
// Every row is a point or counted as unread; the points written again read back as many.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string_view>

#include "exchange/csv_points.h"
#include "points/point_store.h"

namespace {

constexpr std::array<const char*, 6> kColumnOrders = {"PNEZD", "PENZ", "NEZ", "DZENP", "NE", "E"};
constexpr std::array<char, 5> kSeparators = {',', ';', '\t', korvela::kBlankSeparator, '"'};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    korvela::CsvLayout layout;
    layout.columns = kColumnOrders[data[0] % kColumnOrders.size()];
    layout.separator = kSeparators[(data[0] / kColumnOrders.size()) % kSeparators.size()];
    layout.decimalComma = (data[1] & 1) != 0;
    layout.encoding =
        (data[1] & 2) != 0 ? korvela::TextEncoding::Utf8 : korvela::TextEncoding::Cp1251;
    layout.skipLines = data[1] >> 4;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);
    if (korvela::previewCsv(bytes, layout, 20).size() > 20) std::abort();
    korvela::PointStore store;
    const korvela::CsvReadSummary summary = korvela::readCsvPoints(bytes, layout, store);
    if (korvela::columnOrderProblem(layout.columns)) {
        return 0;  // such an order is refused before reading
    }
    if (summary.pointsRead != store.count()) std::abort();
    std::ostringstream written;
    korvela::writeCsvPoints(store, {layout.separator, layout.decimalComma, layout.encoding},
                            written);
    korvela::PointStore back;
    const korvela::CsvLayout again{"PNEZ", layout.separator, layout.decimalComma, 0,
                                   layout.encoding};
    if (korvela::readCsvPoints(written.str(), again, back).pointsRead != store.count())
        std::abort();
    return 0;
}
