#include "points/project_file.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <type_traits>

#include "common/file_bytes.h"
#include "common/safe_file_writer.h"

namespace korvela {
namespace {

constexpr std::size_t kCountSize = sizeof(std::int32_t);
constexpr std::size_t kChunkSize = 1 << 20;  // bytes handed to the stream per write

template <typename T>
using Bits = std::conditional_t<sizeof(T) == 8, std::uint64_t, std::uint32_t>;

// Values to little-endian bytes and back; a copy of the memory where the machine is
// little-endian, byte by byte elsewhere.
template <typename T>
void encode(const T* values, std::size_t count, char* bytes) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(bytes, values, count * sizeof(T));
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            const auto bits = std::bit_cast<Bits<T>>(values[i]);
            for (std::size_t b = 0; b < sizeof(T); ++b) *bytes++ = static_cast<char>(bits >> (8 * b));
        }
    }
}

template <typename T>
void decode(const char* bytes, std::size_t count, T* values) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(values, bytes, count * sizeof(T));
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            Bits<T> bits = 0;
            for (std::size_t b = 0; b < sizeof(T); ++b) {
                bits |= Bits<T>{static_cast<unsigned char>(*bytes++)} << (8 * b);
            }
            values[i] = std::bit_cast<T>(bits);
        }
    }
}

// Collects small items and hands the stream large blocks.
class BlockWriter {
public:
    explicit BlockWriter(std::ostream& out) : out_(out) { buffer_.reserve(kChunkSize); }

    void bytes(std::string_view text) {
        if (buffer_.size() + text.size() > kChunkSize) flush();
        if (text.size() >= kChunkSize) {
            out_.write(text.data(), static_cast<std::streamsize>(text.size()));
        } else {
            buffer_.append(text);
        }
    }

    void int32(std::int32_t value) {
        char image[sizeof value];
        encode(&value, 1, image);
        bytes({image, sizeof image});
    }

    // The count, then the values, encoded a chunk at a time.
    template <typename T>
    void sequence(const std::vector<T>& values) {
        int32(static_cast<std::int32_t>(values.size()));
        constexpr std::size_t kValuesPerChunk = kChunkSize / sizeof(T);
        for (std::size_t first = 0; first < values.size(); first += kValuesPerChunk) {
            const std::size_t count = std::min(kValuesPerChunk, values.size() - first);
            flush();
            buffer_.resize(count * sizeof(T));
            encode(values.data() + first, count, buffer_.data());
        }
    }

    void flush() {
        out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        buffer_.clear();
    }

private:
    std::ostream& out_;
    std::string buffer_;
};

// Thrown inside the reader only; readProject turns it into its result.
struct DamageFound {
    ProjectDamage damage;
};

// Takes blocks from the front of the bytes, never past their end.
class BlockReader {
public:
    explicit BlockReader(std::string_view bytes) : rest_(bytes) {}

    std::string_view take(std::size_t count) {
        if (count > rest_.size()) throw DamageFound{ProjectDamage::EndsEarly};
        const std::string_view block = rest_.substr(0, count);
        rest_.remove_prefix(count);
        return block;
    }

    std::int32_t int32() {
        std::int32_t value = 0;
        decode(take(sizeof value).data(), 1, &value);
        return value;
    }

    // A count or length: never negative.
    std::size_t count() {
        const std::int32_t value = int32();
        if (value < 0) throw DamageFound{ProjectDamage::NegativeCount};
        return static_cast<std::size_t>(value);
    }

    // A count that must equal the count of `selected`.
    std::size_t countOf(std::size_t expected) {
        const std::size_t value = count();
        if (value != expected) throw DamageFound{ProjectDamage::CountsDiffer};
        return value;
    }

    // n values; the bytes are checked to be there before the sequence grows.
    template <typename T>
    std::vector<T> values(std::size_t n) {
        const std::string_view block = take(n * sizeof(T));
        std::vector<T> result(n);
        decode(block.data(), n, result.data());
        return result;
    }

    std::vector<std::string> numbers(std::size_t n) {
        if (n > rest_.size() / kCountSize) throw DamageFound{ProjectDamage::EndsEarly};
        std::vector<std::string> result;
        result.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t length = count();
            if (length > kLongestProjectNumber) throw DamageFound{ProjectDamage::NumberTooLong};
            result.emplace_back(take(length));
        }
        return result;
    }

private:
    std::string_view rest_;
};

ProjectContent readContent(BlockReader& reader) {
    ProjectContent content;
    ViewState::Image image;
    std::memcpy(image.data(), reader.take(image.size()).data(), image.size());
    content.view = ViewState::fromImage(image);

    const std::size_t n = reader.count();
    content.selected = reader.values<std::int32_t>(n);
    PointSequences sequences;
    sequences.kind = reader.values<std::int32_t>(reader.countOf(n));
    sequences.active = reader.values<std::int32_t>(reader.countOf(n));
    sequences.x = reader.values<double>(reader.countOf(n));
    sequences.y = reader.values<double>(reader.countOf(n));
    sequences.z = reader.values<double>(reader.countOf(n));
    sequences.colour = reader.values<std::int32_t>(reader.countOf(n));
    sequences.number = reader.numbers(reader.countOf(n));
    content.store.assign(std::move(sequences));
    return content;
}

}  // namespace

std::string DamagedProjectFile::message() const { return "Файл проекта повреждён: " + path; }

void writeProject(std::ostream& out, const ViewState& view, const std::vector<std::int32_t>& selected,
                  const PointStore& store) {
    BlockWriter writer(out);
    const ViewState::Image image = view.toImage();
    writer.bytes({reinterpret_cast<const char*>(image.data()), image.size()});
    writer.sequence(selected);
    writer.sequence(store.kind());
    writer.sequence(store.active());
    writer.sequence(store.x());
    writer.sequence(store.y());
    writer.sequence(store.z());
    writer.sequence(store.colour());
    writer.int32(static_cast<std::int32_t>(store.number().size()));
    for (const std::string& number : store.number()) {
        writer.int32(static_cast<std::int32_t>(number.size()));
        writer.bytes(number);
    }
    writer.flush();
}

std::optional<FileError> saveProjectFile(const std::string& path, const ViewState& view,
                                         const std::vector<std::int32_t>& selected,
                                         const PointStore& store) {
    return writeFileSafely(path, [&](std::ostream& out) { writeProject(out, view, selected, store); });
}

std::variant<ProjectContent, ProjectDamage> readProject(std::string_view bytes) {
    BlockReader reader(bytes);
    try {
        return readContent(reader);
    } catch (const DamageFound& found) {
        return found.damage;
    }
}

std::variant<ProjectContent, FileError, DamagedProjectFile> openProjectFile(const std::string& path) {
    auto bytes = readFileBytes(path);
    if (auto* error = std::get_if<FileError>(&bytes)) return std::move(*error);
    auto read = readProject(std::get<std::string>(bytes));
    if (auto* damage = std::get_if<ProjectDamage>(&read)) return DamagedProjectFile{path, *damage};
    return std::move(std::get<ProjectContent>(read));
}

std::vector<std::int32_t> selectionAfterOpening(const std::vector<std::int32_t>& fromFile) {
    std::vector<std::int32_t> selected(fromFile.size());
    std::transform(fromFile.begin(), fromFile.end(), selected.begin(),
                   [](std::int32_t flag) { return flag != 0 ? 1 : 0; });
    return selected;
}

}  // namespace korvela
