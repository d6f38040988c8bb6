#include "points/project_file.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <iterator>
#include <type_traits>

#include "common/regular_file.h"
#include "common/safe_file_writer.h"
#include "points/project_extension.h"

namespace korvela {
namespace {

constexpr std::size_t kBlockSize = 1 << 20;  // bytes per write to the stream, per file read

template <typename T>
using Bits = std::conditional_t<sizeof(T) == 8, std::uint64_t, std::uint32_t>;

template <typename T>
T withBytesReversed(T value) {
    auto bits = std::bit_cast<Bits<T>>(value);
    Bits<T> reversed = 0;
    for (std::size_t b = 0; b < sizeof(T); ++b, bits >>= 8)
        reversed = (reversed << 8) | (bits & 0xFF);
    return std::bit_cast<T>(reversed);
}

// The file is little-endian: values go in and out as they are in memory on a little-endian
// machine, and with their bytes reversed elsewhere.
template <typename T>
void convertLittleEndian(T* values, std::size_t count) {
    if constexpr (std::endian::native == std::endian::big) {
        for (std::size_t i = 0; i < count; ++i) values[i] = withBytesReversed(values[i]);
    }
}

// Collects small items and hands the stream large blocks.
class BlockWriter {
public:
    BlockWriter(std::ostream& out, WorkProgress* progress) : out_(out), progress_(progress) {
        buffer_.reserve(kBlockSize);
    }

    void bytes(std::string_view text) {
        if (buffer_.size() + text.size() > kBlockSize) flush();
        if (text.size() >= kBlockSize) {
            out_.write(text.data(), static_cast<std::streamsize>(text.size()));
        } else {
            buffer_.append(text);
        }
    }

    void int32(std::int32_t value) {
        convertLittleEndian(&value, 1);
        bytes({reinterpret_cast<const char*>(&value), sizeof value});
    }

    // The count, then the values as T (the flags widen to int32), a block at a time.
    template <typename T, typename Stored>
    void sequence(const std::vector<Stored>& values) {
        int32(static_cast<std::int32_t>(values.size()));
        constexpr std::size_t kValuesPerBlock = kBlockSize / sizeof(T);
        for (std::size_t first = 0; first < values.size(); first += kValuesPerBlock) {
            const std::size_t count = std::min(kValuesPerBlock, values.size() - first);
            flush();
            buffer_.resize(count * sizeof(T));
            T* const written = reinterpret_cast<T*>(buffer_.data());
            if constexpr (std::is_same_v<T, Stored>) {
                std::memcpy(written, values.data() + first, count * sizeof(T));
            } else {
                std::copy_n(values.data() + first, count, written);
            }
            convertLittleEndian(written, count);
            progress_.add(count);
        }
    }

    void numbers(const PointNumbers& numbers) {
        int32(static_cast<std::int32_t>(numbers.size()));
        for (const std::string_view number : numbers) {
            int32(static_cast<std::int32_t>(number.size()));
            bytes(number);
            progress_.add();
        }
    }

    void flush() {
        out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        buffer_.clear();
    }

private:
    std::ostream& out_;
    std::string buffer_;
    ProgressCounter progress_;
};

// Thrown inside the reader only and turned into its result.
struct DamageFound {
    ProjectDamage damage;
};
struct ReadFailed {
    int errorNumber;
};

// The bytes being read: in memory, or a file of known size read in large blocks (large
// sequences straight into their memory), so that no copy of the whole file is made.
class ByteSource {
public:
    explicit ByteSource(std::string_view bytes) : buffered_(bytes), remaining_(bytes.size()) {}
    ByteSource(int descriptor, std::size_t size, WorkProgress* progress)
        : remaining_(size), descriptor_(descriptor), block_(kBlockSize), progress_(progress) {
        if (progress_) progress_->begin(size);
    }

    // What is left to read: every count is checked against it before anything grows.
    std::size_t remaining() const { return remaining_; }

    // The next count bytes, taken where they lie in memory.
    std::optional<std::string_view> takeBuffered(std::size_t count) {
        if (count > buffered_.size()) return std::nullopt;
        const std::string_view bytes = buffered_.substr(0, count);
        buffered_.remove_prefix(count);
        remaining_ -= count;
        return bytes;
    }

    void read(char* into, std::size_t count) {
        if (count > remaining_) throw DamageFound{ProjectDamage::EndsEarly};
        remaining_ -= count;
        while (true) {
            const std::size_t part = std::min(count, buffered_.size());
            if (part > 0) std::memcpy(into, buffered_.data(), part);
            buffered_.remove_prefix(part);
            into += part;
            count -= part;
            if (count == 0) return;  // always so for bytes in memory
            if (count >= kBlockSize) {
                readFromFile(into, count, count);
                return;
            }
            buffered_ = {block_.data(), readFromFile(block_.data(), block_.size(), 1)};
        }
    }

private:
    // Reads at least `least` and at most `most` bytes; a file shorter than its size said ends
    // early.
    std::size_t readFromFile(char* into, std::size_t most, std::size_t least) {
        std::size_t done = 0;
        while (done < least) {
            // A large sequence comes in pieces, for the progress to move.
            const std::size_t piece = std::min(most - done, kLargestRead);
            const ssize_t count = ::read(descriptor_, into + done, piece);
            if (count < 0 && errno == EINTR) continue;
            if (count < 0) throw ReadFailed{errno};
            if (count == 0) throw DamageFound{ProjectDamage::EndsEarly};
            done += static_cast<std::size_t>(count);
            if (progress_) progress_->add(static_cast<std::uint64_t>(count));
        }
        return done;
    }

    static constexpr std::size_t kLargestRead = std::size_t{16} << 20;

    std::string_view buffered_;
    std::size_t remaining_;
    int descriptor_ = -1;
    std::vector<char> block_;
    WorkProgress* progress_ = nullptr;
};

// The project's blocks, each count and length checked.
class BlockReader {
public:
    explicit BlockReader(ByteSource& source) : source_(source) {}

    std::int32_t int32() {
        std::int32_t value = 0;
        source_.read(reinterpret_cast<char*>(&value), sizeof value);
        convertLittleEndian(&value, 1);
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

    template <typename T>
    std::vector<T> values(std::size_t n) {
        requireRoom(n, sizeof(T));
        std::vector<T> result(n);
        source_.read(reinterpret_cast<char*>(result.data()), n * sizeof(T));
        convertLittleEndian(result.data(), n);
        return result;
    }

    // The int32 values of `active` or `kind`, kept as flags.
    std::vector<PointFlag> flags(std::size_t n) {
        const std::vector<std::int32_t> stored = values<std::int32_t>(n);
        std::vector<PointFlag> result(n);
        std::transform(stored.begin(), stored.end(), result.begin(), toPointFlag);
        return result;
    }

    // Coordinates: a value that is not finite is damage.
    std::vector<double> coordinates(std::size_t n) {
        std::vector<double> result = values<double>(n);
        if (!std::all_of(result.begin(), result.end(), [](double v) { return std::isfinite(v); }))
            throw DamageFound{ProjectDamage::NotFinite};
        return result;
    }

    PointNumbers numbers(std::size_t n) {
        requireRoom(n, sizeof(std::int32_t));  // each number has its length at least
        PointNumbers result;
        result.reserve(n, source_.remaining() - n * sizeof(std::int32_t));
        std::string copy;
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t length = count();
            if (length > kLongestProjectNumber) throw DamageFound{ProjectDamage::NumberTooLong};
            if (const auto bytes = source_.takeBuffered(length)) {
                result.append(*bytes);
            } else {
                if (length > source_.remaining()) throw DamageFound{ProjectDamage::EndsEarly};
                copy.resize(length);
                source_.read(copy.data(), length);
                result.append(copy);
            }
        }
        return result;
    }

    ViewState view() {
        ViewState::Image image;
        source_.read(reinterpret_cast<char*>(image.data()), image.size());
        const ViewState view = ViewState::fromImage(image);
        const double values[] = {view.offsetX,  view.offsetY,    view.offsetZ, view.rollDeg,
                                 view.tiltDeg,  view.azimuthDeg, view.scale,   view.panDown,
                                 view.panRight, view.depthOffset};
        if (!std::all_of(std::begin(values), std::end(values),
                         [](double v) { return std::isfinite(v); }))
            throw DamageFound{ProjectDamage::NotFinite};
        return view;
    }

private:
    void requireRoom(std::size_t n, std::size_t bytesEach) {
        if (n > source_.remaining() / bytesEach) throw DamageFound{ProjectDamage::EndsEarly};
    }

    ByteSource& source_;
};

// The blocks after the points, when the bytes after them start with the tag.
void readExtension(ByteSource& source, ProjectContent& content) {
    if (source.remaining() < kProjectExtensionTag.size()) return;
    std::string bytes(kProjectExtensionTag.size(), '\0');
    source.read(bytes.data(), bytes.size());
    if (bytes != kProjectExtensionTag) return;
    bytes.resize(source.remaining());
    source.read(bytes.data(), bytes.size());
    ProjectExtension extension = readProjectExtension(bytes, content.store.count());
    content.observations = std::move(extension.observations);
    content.store.setCodes(std::move(extension.codes));
    content.observationsDamaged = extension.damaged;
}

ProjectContent readContent(ByteSource& source) {
    BlockReader reader(source);
    ProjectContent content;
    content.view = reader.view();
    const std::size_t n = reader.count();
    content.selected = reader.values<std::int32_t>(n);
    PointSequences sequences;
    sequences.kind = reader.flags(reader.countOf(n));
    sequences.active = reader.flags(reader.countOf(n));
    sequences.x = reader.coordinates(reader.countOf(n));
    sequences.y = reader.coordinates(reader.countOf(n));
    sequences.z = reader.coordinates(reader.countOf(n));
    sequences.colour = reader.values<std::int32_t>(reader.countOf(n));
    sequences.number = reader.numbers(reader.countOf(n));
    content.store.assign(std::move(sequences));
    readExtension(source, content);
    return content;
}

}  // namespace

std::string DamagedProjectFile::message() const { return "Файл проекта повреждён: " + path; }

void writeProject(std::ostream& out, const ViewState& view,
                  const std::vector<std::int32_t>& selected, const PointStore& store,
                  WorkProgress* progress, const ObservationList* observations) {
    // Eight sequences of a value per point: the selection, seven of the store.
    if (progress) progress->begin(8 * static_cast<std::uint64_t>(store.count()));
    BlockWriter writer(out, progress);
    const ViewState::Image image = view.toImage();
    writer.bytes({reinterpret_cast<const char*>(image.data()), image.size()});
    writer.sequence<std::int32_t>(selected);
    writer.sequence<std::int32_t>(store.kind());
    writer.sequence<std::int32_t>(store.active());
    writer.sequence<double>(store.x());
    writer.sequence<double>(store.y());
    writer.sequence<double>(store.z());
    writer.sequence<std::int32_t>(store.colour());
    writer.numbers(store.number());
    writer.bytes(projectExtensionBytes(observations != nullptr ? *observations : ObservationList(),
                                       store.code()));
    writer.flush();
}

std::optional<FileError> saveProjectFile(const std::string& path, const ViewState& view,
                                         const std::vector<std::int32_t>& selected,
                                         const PointStore& store, WorkProgress* progress,
                                         PipeWithoutReader pipeWithoutReader,
                                         const ObservationList* observations) {
    return writeFileSafely(
        path,
        [&](std::ostream& out) {
            writeProject(out, view, selected, store, progress, observations);
        },
        pipeWithoutReader);
}

std::variant<ProjectContent, ProjectDamage> readProject(std::string_view bytes) {
    ByteSource source(bytes);
    try {
        return readContent(source);
    } catch (const DamageFound& found) {
        return found.damage;
    }
}

std::variant<ProjectContent, FileError, DamagedProjectFile> openProjectFile(
    const std::string& path, WorkProgress* progress) {
    const auto failure = [&](int errorNumber) {
        return FileError{FileError::Operation::Read, path, errorNumber};
    };
    RegularFile file;
    if (auto error = file.open(path)) return *error;

    ByteSource source(file.descriptor(), file.size(), progress);
    try {
        return readContent(source);
    } catch (const DamageFound& found) {
        return DamagedProjectFile{path, found.damage};
    } catch (const ReadFailed& failed) {
        return failure(failed.errorNumber);
    }
}

std::vector<std::int32_t> selectionAfterOpening(const std::vector<std::int32_t>& fromFile) {
    std::vector<std::int32_t> selected(fromFile.size());
    std::transform(fromFile.begin(), fromFile.end(), selected.begin(),
                   [](std::int32_t flag) { return flag != 0 ? 1 : 0; });
    return selected;
}

std::optional<std::string> unsavableNumberMessage(const PointStore& store) {
    const auto& numbers = store.number();
    const auto tooLong = std::find_if(numbers.begin(), numbers.end(), [](std::string_view number) {
        return number.size() > kLongestProjectNumber;
    });
    if (tooLong == numbers.end()) return std::nullopt;
    return "Номер точки в строке " + std::to_string(tooLong - numbers.begin() + 1) +
           " длиннее 9999 байт: такой проект не открылся бы, он не сохранён.";
}

}  // namespace korvela
