#pragma once

#include <cstddef>
#include <ostream>

namespace korvela {

class PointStore;
struct LocalTime;

// The longest text formatListingNumber writes.
inline constexpr std::size_t kListingNumberCapacity = 32;

// X, Y or Z as the text listing writes it: the C %g style at the largest precision from 15
// down to 7 whose text fits the 10 characters between two columns, so that the millimetres
// of survey coordinates survive; %.6g when even precision 7 does not fit. Writes into out
// (at least kListingNumberCapacity bytes) and returns the length.
std::size_t formatListingNumber(double value, char* out);

// The "Sokkia - sdr" text listing of the ordinary points (kind 1) of the store, in store
// order: five header lines with the time and date `now`, then one 45-character line per
// point. Windows-1251, CR LF after every line.
void writeTextListing(const PointStore& store, const LocalTime& now, std::ostream& out);

}  // namespace korvela
