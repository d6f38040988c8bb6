#include "points/change_history.h"

#include <algorithm>
#include <utility>
#include <variant>

#include "points/point_table_text.h"

namespace korvela {
namespace {

using Kind = WorkspaceChange::Kind;

// The bytes of a point besides the text of its number.
constexpr std::size_t kFixedPointBytes =
    3 * sizeof(double) + 2 * sizeof(PointFlag) + sizeof(std::int32_t) + sizeof(std::uint32_t);

std::size_t heapBytes(const std::string& text) {
    return text.capacity() > std::string().capacity() ? text.capacity() + 1 : 0;
}

WorkspaceChange changeOf(Kind kind) {
    WorkspaceChange change;
    change.kind = kind;
    return change;
}

class ReplacingStep : public ChangeStep {
public:
    ReplacingStep(PointStore other, std::optional<ObservationList> otherObservations)
        : other_(std::move(other)), otherObservations_(std::move(otherObservations)),
          bytes_(heldBytes()) {}
    WorkspaceChange undo(PointStore& store, ObservationList& observations) override {
        return exchange(store, observations);
    }
    WorkspaceChange redo(PointStore& store, ObservationList& observations) override {
        return exchange(store, observations);
    }
    std::size_t bytes() const override { return bytes_; }

private:
    std::size_t heldBytes() const {
        return other_.allocatedBytes() +
               (otherObservations_ ? observationBytes(*otherObservations_) : 0);
    }
    WorkspaceChange exchange(PointStore& store, ObservationList& observations) {
        std::swap(store, other_);
        if (otherObservations_) std::swap(observations, *otherObservations_);
        bytes_ = heldBytes();
        return changeOf(Kind::Replaced);
    }
    PointStore other_;
    std::optional<ObservationList> otherObservations_;  // none: the observations stayed
    std::size_t bytes_;
};

class ExclusionStep : public ChangeStep {
public:
    explicit ExclusionStep(std::vector<std::uint32_t> flipped) : flipped_(std::move(flipped)) {}
    WorkspaceChange undo(PointStore&, ObservationList& observations) override {
        return flip(observations);
    }
    WorkspaceChange redo(PointStore&, ObservationList& observations) override {
        return flip(observations);
    }
    std::size_t bytes() const override { return flipped_.size() * sizeof(flipped_[0]); }

private:
    WorkspaceChange flip(ObservationList& observations) const {
        for (const std::uint32_t sight : flipped_) {
            bool& excluded = observations.sights[sight].excluded;
            excluded = !excluded;
        }
        return changeOf(Kind::ObservationsChanged);
    }
    std::vector<std::uint32_t> flipped_;
};

// The changed points' other coordinates are swapped in; the appended points stay in the
// store until undo moves them here.
class CoordinatesStep : public ChangeStep {
public:
    CoordinatesStep(std::vector<PointCoordinates> other, std::size_t firstAppended)
        : other_(std::move(other)), firstAppended_(firstAppended) {}
    WorkspaceChange undo(PointStore& store, ObservationList&) override {
        appended_ = store.takeFrom(firstAppended_);
        return exchange(store);
    }
    WorkspaceChange redo(PointStore& store, ObservationList&) override {
        store.appendAll(std::move(appended_));
        appended_ = PointSequences();
        return exchange(store);
    }
    std::size_t bytes() const override {
        return other_.size() * sizeof(PointCoordinates) + pointBytes(appended_.number);
    }

private:
    WorkspaceChange exchange(PointStore& store) {
        for (PointCoordinates& other : other_) {
            const PointCoordinates current{other.point, store.x()[other.point],
                                           store.y()[other.point], store.z()[other.point]};
            store.setX(other.point, other.x);
            store.setY(other.point, other.y);
            store.setZ(other.point, other.z);
            other = current;
        }
        return changeOf(Kind::Replaced);
    }
    std::vector<PointCoordinates> other_;
    std::size_t firstAppended_;
    PointSequences appended_;
};

// The appended points stay in the store until undo moves them here.
class AppendingStep : public ChangeStep {
public:
    AppendingStep(std::size_t first, std::size_t bytes, bool kindCellsBlank)
        : first_(first), bytes_(bytes), kindCellsBlank_(kindCellsBlank) {}
    WorkspaceChange undo(PointStore& store, ObservationList&) override {
        WorkspaceChange change = changeOf(Kind::Erased);
        change.erasedFlags.assign(store.count(), 0);
        std::fill(change.erasedFlags.begin() + static_cast<std::ptrdiff_t>(first_),
                  change.erasedFlags.end(), 1);
        appended_ = store.takeFrom(first_);
        return change;
    }
    WorkspaceChange redo(PointStore& store, ObservationList&) override {
        store.appendAll(std::move(appended_));
        appended_ = PointSequences();
        WorkspaceChange change = changeOf(Kind::Appended);
        change.firstAppended = first_;
        change.appendedKindCellsBlank = kindCellsBlank_;
        return change;
    }
    std::size_t bytes() const override { return bytes_; }

private:
    std::size_t first_;
    std::size_t bytes_;
    bool kindCellsBlank_;
    PointSequences appended_;
};

// The erased points are kept as runs: deleting a block of points keeps two numbers.
class ErasingStep : public ChangeStep {
public:
    ErasingStep(const std::vector<std::int32_t>& flags, PointSequences erased)
        : runs_(runsOfFlagged(flags)), countBefore_(flags.size()), erased_(std::move(erased)),
          bytes_(runs_.size() * sizeof(runs_[0]) + pointBytes(erased_.number)) {}
    WorkspaceChange undo(PointStore& store, ObservationList&) override {
        WorkspaceChange change = changeOf(Kind::Inserted);
        change.insertedFlags = flagsOf(runs_, countBefore_);
        store.insertFlagged(change.insertedFlags, std::move(erased_));
        erased_ = PointSequences();
        return change;
    }
    WorkspaceChange redo(PointStore& store, ObservationList&) override {
        WorkspaceChange change = changeOf(Kind::Erased);
        change.erasedFlags = flagsOf(runs_, countBefore_);
        erased_ = store.takeFlagged(change.erasedFlags);
        return change;
    }
    std::size_t bytes() const override { return bytes_; }

private:
    PointRuns runs_;
    std::size_t countBefore_;
    PointSequences erased_;
    std::size_t bytes_;
};

class ValuesStep : public ChangeStep {
public:
    ValuesStep(PointValue value, std::vector<std::size_t> points, std::vector<std::int32_t> other)
        : value_(value), points_(std::move(points)), other_(std::move(other)) {}
    WorkspaceChange undo(PointStore& store, ObservationList&) override { return exchange(store); }
    WorkspaceChange redo(PointStore& store, ObservationList&) override { return exchange(store); }
    std::size_t bytes() const override {
        return points_.size() * sizeof(std::size_t) + other_.size() * sizeof(std::int32_t);
    }

private:
    WorkspaceChange exchange(PointStore& store) {
        for (std::size_t i = 0; i < points_.size(); ++i) {
            const std::int32_t current = pointValue(store, value_, points_[i]);
            setPointValue(store, value_, points_[i], other_[i]);
            other_[i] = current;
        }
        return changeOf(Kind::ValuesChanged);
    }
    PointValue value_;
    std::vector<std::size_t> points_;
    std::vector<std::int32_t> other_;
};

class TypedCellStep : public ChangeStep {
public:
    TypedCellStep(const PointStore& store, std::size_t point, int column)
        : point_(point), column_(column), other_(valueIn(store)) {}
    WorkspaceChange undo(PointStore& store, ObservationList&) override { return exchange(store); }
    WorkspaceChange redo(PointStore& store, ObservationList&) override { return exchange(store); }
    std::size_t bytes() const override {
        const auto* number = std::get_if<std::string>(&other_);
        return sizeof(*this) + (number != nullptr ? heapBytes(*number) : 0);
    }
    bool typesInto(std::size_t point, int column) const override {
        return point == point_ && column == column_;
    }

private:
    using Value = std::variant<std::string, double>;
    Value valueIn(const PointStore& store) const {
        switch (column_) {
            case kNumberColumn:
                return std::string(store.number()[point_]);
            case kCodeColumn:
                return std::string(store.code()[point_]);
            case kXColumn:
                return store.x()[point_];
            case kYColumn:
                return store.y()[point_];
            default:
                return store.z()[point_];
        }
    }
    WorkspaceChange exchange(PointStore& store) {
        Value current = valueIn(store);
        if (column_ == kNumberColumn) {
            store.setNumber(point_, std::get<std::string>(std::move(other_)));
        } else if (column_ == kCodeColumn) {
            store.setCode(point_, std::get<std::string>(other_));
        } else {
            const double value = std::get<double>(other_);
            if (column_ == kXColumn) store.setX(point_, value);
            if (column_ == kYColumn) store.setY(point_, value);
            if (column_ == kHeightColumn) store.setZ(point_, value);
        }
        other_ = std::move(current);
        WorkspaceChange change = changeOf(Kind::ValuesChanged);
        change.point = point_;
        return change;
    }
    std::size_t point_;
    int column_;
    Value other_;
};

}  // namespace

std::size_t pointBytes(const PointNumbers& numbers, std::size_t first) {
    std::size_t bytes = (numbers.size() - first) * kFixedPointBytes;
    for (std::size_t i = first; i < numbers.size(); ++i) bytes += numbers[i].size();
    return bytes;
}

std::unique_ptr<ChangeStep> replacingStep(PointStore previous,
                                          std::optional<ObservationList> previousObservations) {
    return std::make_unique<ReplacingStep>(std::move(previous), std::move(previousObservations));
}

std::size_t observationBytes(const ObservationList& observations) {
    return observations.names.allocatedBytes() +
           observations.setUps.capacity() * sizeof(StationSetUp) +
           observations.sights.capacity() * sizeof(Sight) +
           observations.derived.capacity() * sizeof(DerivedPoint);
}

std::unique_ptr<ChangeStep> exclusionStep(std::vector<std::uint32_t> flipped) {
    return std::make_unique<ExclusionStep>(std::move(flipped));
}

std::unique_ptr<ChangeStep> coordinatesStep(std::vector<PointCoordinates> changed,
                                            std::size_t firstAppended) {
    return std::make_unique<CoordinatesStep>(std::move(changed), firstAppended);
}

std::unique_ptr<ChangeStep> appendingStep(std::size_t first, const PointStore& store,
                                          bool kindCellsBlank) {
    return std::make_unique<AppendingStep>(first, pointBytes(store.number(), first),
                                           kindCellsBlank);
}

std::unique_ptr<ChangeStep> erasingStep(const std::vector<std::int32_t>& flags,
                                        PointSequences erased) {
    return std::make_unique<ErasingStep>(flags, std::move(erased));
}

std::unique_ptr<ChangeStep> valuesStep(PointValue value, std::vector<std::size_t> points,
                                       std::vector<std::int32_t> previous) {
    return std::make_unique<ValuesStep>(value, std::move(points), std::move(previous));
}

std::unique_ptr<ChangeStep> typedCellStep(const PointStore& store, std::size_t point, int column) {
    return std::make_unique<TypedCellStep>(store, point, column);
}

std::int32_t pointValue(const PointStore& store, PointValue value, std::size_t point) {
    return value == PointValue::Active ? store.active()[point] : store.colour()[point];
}

void setPointValue(PointStore& store, PointValue value, std::size_t point, std::int32_t to) {
    if (value == PointValue::Active) {
        store.setActive(point, to);
    } else {
        store.setColour(point, to);
    }
}

PointRuns runsOfFlagged(const std::vector<std::int32_t>& flags) {
    PointRuns runs;
    for (std::size_t point = 0; point < flags.size(); ++point) {
        if (flags[point] != 1) continue;
        if (!runs.empty() && runs.back().second == point) {
            runs.back().second = point + 1;
        } else {
            runs.emplace_back(point, point + 1);
        }
    }
    return runs;
}

std::vector<std::int32_t> flagsOf(const PointRuns& runs, std::size_t count) {
    std::vector<std::int32_t> flags(count, 0);
    for (const auto& [first, end] : runs) {
        std::fill(flags.begin() + static_cast<std::ptrdiff_t>(first),
                  flags.begin() + static_cast<std::ptrdiff_t>(end), 1);
    }
    return flags;
}

StepSurroundings StepSurroundings::of(const std::vector<std::int32_t>& selected, std::string status,
                                      TypedTexts typedTexts) {
    return {runsOfFlagged(selected), std::move(status), std::move(typedTexts), std::nullopt};
}

std::vector<std::int32_t> StepSurroundings::selectionFlags(std::size_t count) const {
    return flagsOf(selectedRuns, count);
}

std::size_t StepSurroundings::bytes() const {
    std::size_t total = selectedRuns.size() * sizeof(selectedRuns[0]) + status.size();
    for (const TypedText& typed : typedTexts.all())
        total += sizeof(TypedText) + heapBytes(typed.text);
    return total;
}

void ChangeHistory::record(std::string name, StepSurroundings found,
                           std::unique_ptr<ChangeStep> step) {
    while (canRedo()) {
        bytes_ -= entries_.back().bytes;
        entries_.pop_back();
    }
    Entry entry{std::move(name), std::move(found), std::move(step), 0};
    entry.bytes = entry.found.bytes() + entry.step->bytes();
    bytes_ += entry.bytes;
    entries_.push_back(std::move(entry));
    next_ = entries_.size();
    latestOpen_ = true;
    dropOldestBeyondLimits();
}

std::string ChangeHistory::undoName() const { return canUndo() ? entries_[next_ - 1].name : ""; }

std::string ChangeHistory::redoName() const { return canRedo() ? entries_[next_].name : ""; }

ChangeHistory::Entry* ChangeHistory::stepBack() {
    if (!canUndo()) return nullptr;
    latestOpen_ = false;
    return &entries_[--next_];
}

ChangeHistory::Entry* ChangeHistory::stepForward() {
    if (!canRedo()) return nullptr;
    latestOpen_ = false;
    return &entries_[next_++];
}

void ChangeHistory::entryChanged(Entry& entry) {
    bytes_ -= entry.bytes;
    entry.bytes = entry.found.bytes() + entry.step->bytes();
    bytes_ += entry.bytes;
    dropOldestBeyondLimits();
}

ChangeStep* ChangeHistory::latestStep() {
    return latestOpen_ && canUndo() && !canRedo() ? entries_.back().step.get() : nullptr;
}

// Only steps that can be undone are dropped: the redo steps depend on each other in order.
void ChangeHistory::dropOldestBeyondLimits() {
    while (next_ > 0 && (entries_.size() > limits_.steps || bytes_ > limits_.bytes)) {
        bytes_ -= entries_.front().bytes;
        entries_.pop_front();
        --next_;
    }
}

}  // namespace korvela
