#pragma once

#include <cstddef>
#include <ostream>

#include "common/work_progress.h"

namespace korvela {

class PointStore;
struct LocalTime;

// The longest text formatListingNumber writes.
inline constexpr std::size_t kListingNumberCapacity = 32;

// X, Y or Z as the text listing writes it: the C %g style at the largest precision from 15
// down to 1 whose text fits the 10 characters between two columns, so that the millimetres
// of survey coordinates survive and no value runs into the next. Writes into out (at least
// kListingNumberCapacity bytes) and returns the length.
std::size_t formatListingNumber(double value, char* out);

// The "Sokkia - sdr" text listing of the ordinary points (kind 1) of the store, in store
// order: five header lines with the time and date `now`, then one 45-character line per
// point. Windows-1251, CR LF after every line. A number is cut at the X column (longer, its
// rest would be read as part of x); line breaks in it become blanks, and so does a first
// byte ETX (or the first character of "<ETX>"), which would end the import. Counts the
// store's points into progress.
void writeTextListing(const PointStore& store, const LocalTime& now, std::ostream& out,
                      WorkProgress* progress = nullptr);

}  // namespace korvela
