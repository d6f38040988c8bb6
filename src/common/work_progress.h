#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>

namespace korvela {

// How far a long piece of file work has come, in units of its own (bytes read, points
// written). The worker threads count; the window reads the percentage while they work.
class WorkProgress {
public:
    // The work has `total` units, none done yet.
    void begin(std::uint64_t total) {
        done_.store(0, std::memory_order_relaxed);
        total_.store(total, std::memory_order_relaxed);
    }

    // From any thread.
    void add(std::uint64_t units) { done_.fetch_add(units, std::memory_order_relaxed); }

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
};

// Counts units of a loop and hands them to the progress in batches, so that a loop over
// millions of points costs an atomic addition only every few thousand. Without a progress
// it counts nothing.
class ProgressCounter {
public:
    explicit ProgressCounter(WorkProgress* progress) : progress_(progress) {}
    // Begins the progress's work of `total` units too.
    ProgressCounter(WorkProgress* progress, std::uint64_t total) : progress_(progress) {
        if (progress_ != nullptr) progress_->begin(total);
    }
    ~ProgressCounter() { report(); }
    ProgressCounter(const ProgressCounter&) = delete;
    ProgressCounter& operator=(const ProgressCounter&) = delete;

    void add(std::uint64_t units = 1) {
        pending_ += units;
        if (pending_ >= kBatch) report();
    }

    void report() {
        if (progress_ != nullptr && pending_ > 0) progress_->add(pending_);
        pending_ = 0;
    }

private:
    static constexpr std::uint64_t kBatch = 1 << 14;

    WorkProgress* progress_;
    std::uint64_t pending_ = 0;
};

}  // namespace korvela
