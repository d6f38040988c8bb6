#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <optional>

namespace korvela {

// Thrown out of a piece of work at its next count once a stop has been requested: a writer
// then leaves the old file as it was, a reader changes nothing.
class WorkStopped : public std::exception {
public:
    const char* what() const noexcept override { return "work stopped"; }
};

// How far a long piece of file work has come, in units of its own (bytes read, points
// written). The worker threads count; the window reads the percentage while they work, and
// may ask them to stop.
class WorkProgress {
public:
    // The work has `total` units, none done yet.
    void begin(std::uint64_t total) {
        done_.store(0, std::memory_order_relaxed);
        total_.store(total, std::memory_order_relaxed);
    }

    // Counts units done, from any thread; throws WorkStopped instead once a stop has been
    // requested.
    void add(std::uint64_t units) {
        if (stopRequested()) throw WorkStopped();
        addFinal(units);
    }

    // Counts without ever throwing: the last count, made where the work ends (a destructor).
    void addFinal(std::uint64_t units) noexcept {
        done_.fetch_add(units, std::memory_order_relaxed);
    }

    // From any thread: the work stops at its next count.
    void requestStop() { stopRequested_.store(true, std::memory_order_relaxed); }
    bool stopRequested() const { return stopRequested_.load(std::memory_order_relaxed); }

    std::uint64_t total() const { return total_.load(std::memory_order_relaxed); }
    std::uint64_t done() const { return done_.load(std::memory_order_relaxed); }

    // 0 to 100; nothing before the work has begun or when it has no units.
    std::optional<int> percent() const {
        const std::uint64_t total = this->total();
        if (total == 0) return std::nullopt;
        return static_cast<int>(std::min(done(), total) * 100 / total);
    }

private:
    std::atomic<std::uint64_t> total_{0};
    std::atomic<std::uint64_t> done_{0};
    std::atomic<bool> stopRequested_{false};
};

// Counts units of a loop and hands them to the progress in batches, so that a loop over
// millions of points costs an atomic addition (and a look at the stop request) only every
// few thousand. Without a progress it counts nothing and never stops.
class ProgressCounter {
public:
    explicit ProgressCounter(WorkProgress* progress) : progress_(progress) {}
    // Begins the progress's work of `total` units too.
    ProgressCounter(WorkProgress* progress, std::uint64_t total) : progress_(progress) {
        if (progress_ != nullptr) progress_->begin(total);
    }
    ~ProgressCounter() {
        if (progress_ != nullptr) progress_->addFinal(pending_);
    }
    ProgressCounter(const ProgressCounter&) = delete;
    ProgressCounter& operator=(const ProgressCounter&) = delete;

    // Throws WorkStopped when the batch it completes finds a stop requested.
    void add(std::uint64_t units = 1) {
        pending_ += units;
        if (pending_ < kBatch) return;
        const std::uint64_t batch = pending_;
        pending_ = 0;
        if (progress_ != nullptr) progress_->add(batch);
    }

private:
    static constexpr std::uint64_t kBatch = 1 << 14;

    WorkProgress* progress_;
    std::uint64_t pending_ = 0;
};

}  // namespace korvela
