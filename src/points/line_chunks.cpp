#include "points/line_chunks.h"

namespace korvela {
namespace {

bool isLargeSpare(std::size_t capacity, std::size_t used) {
    return capacity - used > used / 16 + kSampleLines;
}

// One column of every run.
template <typename Column>
std::vector<Column*> columnsOf(const std::vector<RunPoints*>& runs, Column RunPoints::*column) {
    std::vector<Column*> columns;
    for (RunPoints* run : runs) columns.push_back(&(run->*column));
    return columns;
}

// The columns joined in order, each given back once copied; a single one is taken whole.
template <typename Column>
Column joinColumns(const std::vector<Column*>& parts, std::size_t count) {
    if (parts.size() == 1) return std::move(*parts[0]);
    Column joined;
    joined.reserve(count);
    for (Column* part : parts) {
        joined.insert(joined.end(), part->begin(), part->end());
        Column().swap(*part);
    }
    return joined;
}


PointNumbers joinNumbers(const std::vector<PointNumbers*>& parts) {
    if (parts.size() == 1) return std::move(*parts[0]);
    std::size_t count = 0;
    std::size_t bytes = 0;
    for (const PointNumbers* part : parts) {
        count += part->size();
        bytes += part->byteCount();
    }
    PointNumbers joined;
    joined.reserve(count, bytes);
    for (PointNumbers* part : parts) {
        for (const std::string_view number : *part) joined.append(number);
        *part = PointNumbers();
    }
    return joined;
}

PointCodes joinCodes(const std::vector<PointCodes*>& parts) {
    if (parts.size() == 1) return std::move(*parts[0]);
    PointCodes joined;
    for (PointCodes* part : parts) {
        joined.appendAll(*part);
        *part = PointCodes();
    }
    return joined;
}

// Gives back the room of an arena that is more than a sixteenth larger than it needs.
template <typename Texts>
void releaseLargeSpareText(Texts& texts) {
    const std::size_t used = texts.byteCount() + (texts.size() + 1) * sizeof(std::uint32_t);
    const std::size_t allocated = texts.allocatedBytes();
    if (allocated > used && isLargeSpare(allocated, used)) texts.shrinkToFit();
}

}  // namespace

std::vector<ByteRange> splitAtLines(const SourceBytes& bytes, std::size_t from, std::size_t parts) {
    const std::size_t length = bytes.size() - from;
    parts = std::max<std::size_t>(1, std::min(parts, length / kSmallestChunk));
    std::vector<ByteRange> runs(parts);
    std::size_t begin = from;
    for (std::size_t i = 0; i < parts; ++i) {
        std::size_t end = i + 1 == parts ? bytes.size() : from + length / parts * (i + 1);
        if (end < bytes.size()) {
            LineCursor rest(bytes, std::max(end, begin));
            rest.next();
            end = rest.position();
        }
        runs[i] = {begin, end};
        begin = end;
    }
    return runs;
}

void RunPoints::reserve(const RoomEstimate& room) {
    const std::size_t count = room.of(size());
    for (std::vector<double>* column : {&x, &y, &z}) column->reserve(count);
    kind.reserve(count);
    numbers.reserve(count, room.of(numbers.byteCount()));
    codes.reserve(count, room.of(codes.byteCount()));
}

void RunPoints::releaseLargeSpareRoom() {
    if (isLargeSpare(x.capacity(), x.size())) {
        for (std::vector<double>* column : {&x, &y, &z}) column->shrink_to_fit();
        kind.shrink_to_fit();
    }
    releaseLargeSpareText(numbers);
    releaseLargeSpareText(codes);
}

PointSequences joinPoints(const std::vector<RunPoints*>& runs) {
    std::size_t count = 0;
    for (const RunPoints* run : runs) count += run->size();
    PointSequences sequences;
    sequences.x = joinColumns(columnsOf(runs, &RunPoints::x), count);
    sequences.y = joinColumns(columnsOf(runs, &RunPoints::y), count);
    sequences.z = joinColumns(columnsOf(runs, &RunPoints::z), count);
    sequences.kind = joinColumns(columnsOf(runs, &RunPoints::kind), count);
    sequences.number = joinNumbers(columnsOf(runs, &RunPoints::numbers));
    sequences.code = joinCodes(columnsOf(runs, &RunPoints::codes));
    sequences.active.assign(count, 1);
    sequences.colour.assign(count, kColourAqua);
    return sequences;
}

}  // namespace korvela
