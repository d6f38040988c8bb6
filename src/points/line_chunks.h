#pragma once

// The pieces the readers of large text files share: the bytes in memory or in a file read a
// block at a time, the lines of a part of them, their split into runs of whole lines parsed by
// several threads at once, and the join of the columns each thread read into.

#include <algorithm>
#include <cstddef>
#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "common/file_error.h"
#include "common/regular_file.h"
#include "common/work_progress.h"
#include "points/point_store.h"

namespace korvela {

// A file is read this many bytes at a time (more for a longer line).
inline constexpr std::size_t kBlockBytes = 1 << 20;
// Parsing in parallel pays off from this many bytes a thread.
inline constexpr std::size_t kSmallestChunk = 256 * 1024;
// A run makes room for its points once it has read this many lines, as many again for
// each as those lines held.
inline constexpr std::size_t kSampleLines = 1024;

// A reading that cannot go on: the file cannot be read, or another program changed it.
struct ReadFailed {
    FileError error;
};

// A text file's bytes: in memory, or in a regular file that is read, never mapped: a mapped file
// that another program shortens meanwhile kills the process when a page past its new end is
// touched, whereas a read merely comes back short.
class SourceBytes {
public:
    explicit SourceBytes(std::string_view bytes) : bytes_(bytes), size_(bytes.size()) {}
    explicit SourceBytes(const RegularFile& file) : file_(&file), size_(file.size()) {}

    std::size_t size() const { return size_; }

    // Bytes from `at` on, up to `end`: all of them when they are in memory, else the next
    // `wanted` of them read into buffer, which is sized to them: a long line's buffer is given
    // back before the next read takes its own, and never copied into a larger one. Throws
    // ReadFailed.
    std::string_view read(std::size_t at, std::size_t end, std::size_t wanted,
                          std::vector<char>& buffer) const {
        if (file_ == nullptr) return bytes_.substr(at, end - at);
        const std::size_t count = std::min(wanted, end - at);
        if (buffer.size() != count) {
            std::vector<char>().swap(buffer);
            buffer.resize(count);
        }
        if (auto error = file_->readAt(at, {buffer.data(), count})) throw ReadFailed{*error};
        return {buffer.data(), count};
    }

private:
    std::string_view bytes_;
    const RegularFile* file_ = nullptr;
    std::size_t size_;
};

// Reads the file through read(SourceBytes) and checks that it did not change meanwhile: a
// failed read, a lack of memory or a file too large to hold comes back as the file's error.
template <typename Read>
std::optional<FileError> readFileChecked(const RegularFile& file, Read read) {
    try {
        read(SourceBytes(file));
        return file.checkUnchanged();
    } catch (const ReadFailed& failed) {
        return failed.error;
    } catch (const std::bad_alloc&) {
        return file.readError(ENOMEM);
    } catch (const std::length_error&) {
        return file.readError(EFBIG);
    }
}

// The lines of bytes [at, end): each without its line end (LF, and a CR right before it);
// a last line without a line end is a line as well. The lines of a file are read a block at a
// time into the cursor's own buffer, a line longer than a block whole into a buffer of its
// size; a line stays valid until the next one is taken. With a progress, the bytes passed are
// counted into it at each block (where a requested stop ends the reading) and at the end.
class LineCursor {
public:
    LineCursor(const SourceBytes& bytes, std::size_t at) : LineCursor(bytes, at, bytes.size()) {}
    LineCursor(const SourceBytes& bytes, std::size_t at, std::size_t end,
               WorkProgress* progress = nullptr)
        : bytes_(&bytes), end_(end), next_(at), blockStart_(at), progress_(progress),
          reported_(at) {}
    ~LineCursor() {
        if (progress_ != nullptr) progress_->addFinal(next_ - reported_);
    }
    LineCursor(const LineCursor&) = delete;  // its block may lie in its own buffer
    LineCursor& operator=(const LineCursor&) = delete;

    // Reads on from `at` instead.
    void restartAt(std::size_t at) {
        reportProgress();
        next_ = blockStart_ = reported_ = at;
        block_ = {};
    }

    bool atEnd() const { return next_ >= end_; }
    std::size_t position() const { return next_; }

    std::string_view next() {
        std::size_t start = next_ - blockStart_;
        const char* found = findLineEnd(start);
        if (found == nullptr && blockStart_ + block_.size() < end_) {
            // The line runs on past the block: read on from its start.
            reportProgress();
            block_ = bytes_->read(next_, end_, kBlockBytes, buffer_);
            blockStart_ = next_;
            start = 0;
            found = findLineEnd(start);
            if (found == nullptr && next_ + block_.size() < end_) {
                // A line longer than a block: its end is found first, then one buffer of its
                // size holds it.
                const std::size_t lineEnd = lineEndFrom(next_ + block_.size());
                block_ = bytes_->read(next_, end_, lineEnd + 1 - next_, buffer_);
                found = findLineEnd(start);
            }
        }
        const std::size_t end = found == nullptr ? block_.size() : found - block_.data();
        next_ = blockStart_ + (found == nullptr ? end : end + 1);
        std::string_view line = block_.substr(start, end - start);
        if (line.ends_with('\r')) line.remove_suffix(1);
        return line;
    }

private:
    void reportProgress() {
        if (progress_ != nullptr) progress_->add(next_ - reported_);
        reported_ = next_;
    }

    // The position of the first LF from `at`, or the end; the bytes are scanned a block at a
    // time.
    std::size_t lineEndFrom(std::size_t at) {
        while (at < end_) {
            const std::string_view block = bytes_->read(at, end_, kBlockBytes, buffer_);
            if (const void* found = std::memchr(block.data(), '\n', block.size())) {
                return at +
                       static_cast<std::size_t>(static_cast<const char*>(found) - block.data());
            }
            at += block.size();
        }
        return end_;
    }

    const char* findLineEnd(std::size_t start) const {
        if (start >= block_.size()) return nullptr;
        return static_cast<const char*>(
            std::memchr(block_.data() + start, '\n', block_.size() - start));
    }

    const SourceBytes* bytes_;
    std::size_t end_;
    std::size_t next_;
    std::size_t blockStart_;
    std::string_view block_;  // the bytes from blockStart_ on
    std::vector<char> buffer_;
    WorkProgress* progress_;
    std::size_t reported_;  // the bytes before it are counted
};

// Part of the bytes: [begin, end).
struct ByteRange {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// Splits [from, bytes.size()) into at most `parts` runs of whole lines, none smaller than
// kSmallestChunk unless it is the only one.
std::vector<ByteRange> splitAtLines(const SourceBytes& bytes, std::size_t from, std::size_t parts);

// Runs work on every item, on threads of their own when there are several. An exception of
// a thread (no memory, a failed read, a stop) is thrown again here once all have ended.
template <typename Item, typename Work>
void forEachInParallel(std::vector<Item>& items, Work work) {
    if (items.size() == 1) {
        work(items[0]);
        return;
    }
    std::vector<std::exception_ptr> failures(items.size());
    std::vector<std::jthread> threads;  // joined however this ends
    for (std::size_t i = 0; i < items.size(); ++i) {
        threads.emplace_back([&, i] {
            try {
                work(items[i]);
            } catch (...) {
                failures[i] = std::current_exception();
            }
        });
    }
    threads.clear();
    for (const std::exception_ptr& failure : failures) {
        if (failure) std::rethrow_exception(failure);
    }
}

// What the first lines of a run held, to make room for the rest at once: the rest is taken
// to hold as much a byte as they did, and a little more.
class RoomEstimate {
public:
    RoomEstimate(ByteRange run, std::size_t sampleEnd)
        : factor_(static_cast<double>(run.end - run.begin) /
                  static_cast<double>(std::max<std::size_t>(sampleEnd - run.begin, 1)) *
                  kRoomMargin) {}

    std::size_t of(std::size_t sampled) const {
        return static_cast<std::size_t>(static_cast<double>(sampled) * factor_) + 1;
    }

private:
    static constexpr double kRoomMargin = 1.02;
    double factor_;
};

// A point as a reader found it: its texts view the line read, or the reader's own copies.
struct ReadPoint {
    std::string_view number;
    double x = 0;
    double y = 0;
    double z = 0;
    PointFlag kind = kKindPoint;
    std::string_view code;
};

// A run's points in file order, in columns of their own: a single run's columns become the
// store's without a copy.
struct RunPoints {
    std::vector<double> x;
    std::vector<double> y;
    std::vector<double> z;
    std::vector<PointFlag> kind;
    PointNumbers numbers;
    PointCodes codes;

    std::size_t size() const { return x.size(); }

    void add(const ReadPoint& point) {
        x.push_back(point.x);
        y.push_back(point.y);
        z.push_back(point.z);
        kind.push_back(point.kind);
        numbers.append(point.number);
        codes.append(point.code);
    }

    // Room for the points of the whole run, judged by those read so far.
    void reserve(const RoomEstimate& room);
    // Gives back room that an estimate made too large: more than a sixteenth of what is used.
    void releaseLargeSpareRoom();
    void clear() { *this = RunPoints(); }
};

// The points of the runs in order, as the store takes them: active and aqua. Each run's
// columns are given back once copied.
PointSequences joinPoints(const std::vector<RunPoints*>& runs);

}  // namespace korvela
