#include "points/workspace.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <utility>

#include "points/point_table_text.h"

namespace korvela {
namespace {

void normaliseFlags(std::vector<std::int32_t>& flags) {
    for (std::int32_t& flag : flags) flag = flag != 0 ? 1 : 0;
}

std::string nameOr(std::string name, const char* ownName) {
    return name.empty() ? std::string(ownName) : name;
}

void appendCopies(PointStore& store, const PointStore& points) {
    store.reserve(store.count() + points.count());
    for (std::size_t i = 0; i < points.count(); ++i) {
        store.append(std::string(points.number()[i]), points.x()[i], points.y()[i], points.z()[i],
                     points.colour()[i], points.kind()[i]);
    }
}

}  // namespace

std::string erasingStepName(std::size_t count) {
    const std::size_t lastTwo = count % 100;
    const std::size_t last = count % 10;
    const char* noun = "точек";
    if (last == 1 && lastTwo != 11) noun = "точку";
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) noun = "точки";  // not 12–14
    return "Удалить " + std::to_string(count) + " " + noun;
}

void Workspace::addObserver(WorkspaceObserver& observer) { observers_.push_back(&observer); }

void Workspace::removeObserver(WorkspaceObserver& observer) { std::erase(observers_, &observer); }

void Workspace::announce(const WorkspaceChange& change) {
    for (WorkspaceObserver* observer : observers_) observer->workspaceChanged(change);
}

void Workspace::announce(WorkspaceChange::Kind kind, std::optional<std::size_t> point) {
    WorkspaceChange change;
    change.kind = kind;
    change.point = point;
    announce(change);
}

StepSurroundings Workspace::surroundings() const {
    return StepSurroundings::of(selected_, status_, typedTexts_);
}

void Workspace::replace(PointStore points, std::vector<std::int32_t> selected, std::string status,
                        std::string stepName, std::optional<ViewState> viewFound) {
    if (changesNothing(points, selected, status, viewFound)) return;
    replacePoints(std::move(points), std::nullopt, std::move(selected), std::move(status),
                  std::move(stepName), std::move(viewFound));
}

bool Workspace::changesNothing(const PointStore& points, std::vector<std::int32_t> selected,
                               const std::string& status,
                               const std::optional<ViewState>& viewFound) const {
    if (selected.size() > points.count()) return false;  // refused by the replacement
    selected.resize(points.count(), 0);
    normaliseFlags(selected);
    const bool viewMoved = viewFound && view_ != nullptr && *viewFound != view_->state();
    return !viewMoved && status == status_ && selected == selected_ &&
           points.holdsSamePoints(store_);
}

void Workspace::replaceAll(PointStore points, ObservationList observations,
                           std::vector<std::int32_t> selected, std::string status,
                           std::string stepName, std::optional<ViewState> viewFound) {
    replacePoints(std::move(points), std::move(observations), std::move(selected),
                  std::move(status), std::move(stepName), std::move(viewFound));
}

void Workspace::replacePoints(PointStore points, std::optional<ObservationList> observations,
                              std::vector<std::int32_t> selected, std::string status,
                              std::string stepName, std::optional<ViewState> viewFound) {
    if (selected.size() > points.count()) {
        throw std::invalid_argument("more selection flags than points");
    }
    StepSurroundings found = surroundings();
    found.view = std::move(viewFound);
    selected.resize(points.count(), 0);
    normaliseFlags(selected);
    PointStore previous = std::exchange(store_, std::move(points));
    if (observations) std::swap(observations_, *observations);  // the list before, for undo
    selected_ = std::move(selected);
    status_ = std::move(status);
    typedTexts_.clear();
    history_.record(nameOr(std::move(stepName), "Заменить точки"), std::move(found),
                    replacingStep(std::move(previous), std::move(observations)));
    announce(WorkspaceChange::Kind::Replaced);
}

void Workspace::append(const PointStore& points, bool kindCellsBlank, std::string stepName,
                       std::optional<ViewState> viewFound) {
    WorkspaceChange change;
    change.kind = WorkspaceChange::Kind::Appended;
    change.firstAppended = store_.count();
    change.appendedKindCellsBlank = kindCellsBlank;
    std::optional<StepSurroundings> found;
    if (points.count() > 0) {
        found = surroundings();
        found->view = std::move(viewFound);
    }
    appendCopies(store_, points);
    selected_.resize(store_.count(), 0);
    typedTexts_.dropRowsFrom(change.firstAppended);
    if (kindCellsBlank) {
        for (std::size_t point = change.firstAppended; point < store_.count(); ++point)
            typedTexts_.put(point, kKindColumn, "");
    }
    if (found) {
        if (status_.empty()) status_ = kNoFileStatus;
        history_.record(nameOr(std::move(stepName), "Добавить точки"), std::move(*found),
                        appendingStep(change.firstAppended, store_, kindCellsBlank));
    }
    announce(change);
}

std::size_t Workspace::eraseSelected(std::string stepName) {
    WorkspaceChange change;
    change.kind = WorkspaceChange::Kind::Erased;
    change.erasedFlags = selected_;
    const auto selectedCount =
        static_cast<std::size_t>(std::count(selected_.begin(), selected_.end(), 1));
    if (selectedCount == 0) return 0;
    StepSurroundings found = surroundings();
    PointSequences erased = store_.takeFlagged(selected_);
    std::erase(selected_, 1);
    typedTexts_.eraseRows(change.erasedFlags);
    history_.record(stepName.empty() ? erasingStepName(selectedCount) : std::move(stepName),
                    std::move(found), erasingStep(change.erasedFlags, std::move(erased)));
    announce(change);
    return selectedCount;
}

void Workspace::setActiveOfSelected(std::int32_t active, std::string stepName) {
    setPointValues(PointValue::Active, active, true,
                   nameOr(std::move(stepName), active == 0 ? "Заморозить" : "Разморозить"));
}

void Workspace::setAllColours(std::int32_t colour, std::string stepName) {
    setPointValues(PointValue::Colour, colour, false, nameOr(std::move(stepName), "Изменить цвет"));
}

// The step keeps the old values of the points that change only.
void Workspace::setPointValues(PointValue which, std::int32_t value, bool onlySelected,
                               std::string stepName) {
    std::vector<std::size_t> points;
    std::vector<std::int32_t> previous;
    for (std::size_t point = 0; point < store_.count(); ++point) {
        const std::int32_t old = pointValue(store_, which, point);
        if ((onlySelected && selected_[point] != 1) || old == value) continue;
        points.push_back(point);
        previous.push_back(old);
    }
    if (points.empty()) return;
    history_.record(std::move(stepName), surroundings(),
                    valuesStep(which, points, std::move(previous)));
    for (const std::size_t point : points) setPointValue(store_, which, point, value);
    announce(WorkspaceChange::Kind::ValuesChanged);
}

bool Workspace::typeCell(std::size_t row, int column, std::string_view text, std::string stepName) {
    const std::size_t tableRows = std::max<std::size_t>(1, store_.count());
    if (row >= tableRows || column <= kCheckColumn || column >= kMostPointColumns) return false;
    const bool pointChanged = dataPresent() && row < store_.count() &&
                              applyTypedCellAsStep(row, column, text, std::move(stepName));
    const bool textChanged = keepTypedText(row, column, text);
    if (pointChanged || textChanged) {
        announce(pointChanged ? WorkspaceChange::Kind::ValuesChanged
                              : WorkspaceChange::Kind::TypedTextChanged,
                 row);
    }
    return pointChanged;
}

// The step finds the typed texts as they were before the keystroke.
bool Workspace::applyTypedCellAsStep(std::size_t point, int column, std::string_view text,
                                     std::string stepName) {
    const ChangeStep* latest = history_.latestStep();
    const bool continuesTyping = latest != nullptr && latest->typesInto(point, column);
    std::optional<StepSurroundings> found;
    std::unique_ptr<ChangeStep> step;
    if (!continuesTyping) {
        found = surroundings();
        step = typedCellStep(store_, point, column);
    }
    if (!applyTypedCell(store_, point, column, text)) return false;
    if (step) {
        history_.record(nameOr(std::move(stepName), "Изменить ячейку"), std::move(*found),
                        std::move(step));
    }
    return true;
}

// Only texts that differ from what the store now holds need keeping.
bool Workspace::keepTypedText(std::size_t row, int column, std::string_view text) {
    if (row < store_.count() && pointCellTextUtf8(store_, row, column) == text) {
        return typedTexts_.remove(row, column);
    }
    return typedTexts_.put(row, column, text);
}

void Workspace::setSightsExcluded(const std::vector<std::uint32_t>& sights, bool excluded,
                                  std::string stepName) {
    for (const std::uint32_t sight : sights) {
        if (sight >= observations_.sights.size()) throw std::out_of_range("no such sight");
    }
    std::vector<std::uint32_t> flipped;
    for (const std::uint32_t sight : sights) {
        bool& flag = observations_.sights[sight].excluded;
        if (flag == excluded) continue;
        flag = excluded;
        flipped.push_back(sight);
    }
    if (flipped.empty()) return;
    history_.record(nameOr(std::move(stepName), excluded ? "Исключить измерения"
                                                         : "Включить измерения"),
                    surroundings(), exclusionStep(std::move(flipped)));
    announce(WorkspaceChange::Kind::ObservationsChanged);
}

void Workspace::setCoordinates(const std::vector<PointCoordinates>& changed,
                               const PointStore& appended, std::string stepName) {
    for (const PointCoordinates& point : changed) {
        if (point.point >= store_.count()) throw std::out_of_range("no such point");
    }
    const auto holdsAlready = [this](const PointCoordinates& point) {
        return store_.x()[point.point] == point.x && store_.y()[point.point] == point.y &&
               store_.z()[point.point] == point.z;
    };
    if (appended.count() == 0 && std::all_of(changed.begin(), changed.end(), holdsAlready)) return;
    StepSurroundings found = surroundings();
    std::vector<PointCoordinates> previous;
    previous.reserve(changed.size());
    for (const PointCoordinates& point : changed) {
        if (holdsAlready(point)) continue;
        previous.push_back({point.point, store_.x()[point.point], store_.y()[point.point],
                            store_.z()[point.point]});
        store_.setX(point.point, point.x);
        store_.setY(point.point, point.y);
        store_.setZ(point.point, point.z);
    }
    const std::size_t firstAppended = store_.count();
    appendCopies(store_, appended);
    selected_.resize(store_.count(), 0);
    typedTexts_.clear();
    if (status_.empty() && store_.count() > 0) status_ = kNoFileStatus;
    history_.record(nameOr(std::move(stepName), "Записать координаты"), std::move(found),
                    coordinatesStep(std::move(previous), firstAppended));
    announce(WorkspaceChange::Kind::Replaced);
}

bool Workspace::undo() { return takeStep(history_.stepBack(), &ChangeStep::undo); }

bool Workspace::redo() { return takeStep(history_.stepForward(), &ChangeStep::redo); }

// The step changes the store; the selection, status line and typed texts it kept come back,
// and it keeps those it found instead (for the way back).
bool Workspace::takeStep(ChangeHistory::Entry* entry,
                         WorkspaceChange (ChangeStep::*direction)(PointStore&,
                                                                  ObservationList&)) {
    if (entry == nullptr) return false;
    StepSurroundings found = surroundings();
    WorkspaceChange change = (entry->step.get()->*direction)(store_, observations_);
    selected_ = entry->found.selectionFlags(store_.count());
    status_ = std::move(entry->found.status);
    change.typedTextsChanged = entry->found.typedTexts != typedTexts_;
    typedTexts_ = std::move(entry->found.typedTexts);
    if (entry->found.view && view_ != nullptr) {
        found.view = view_->state();
        view_->place(*entry->found.view);
        change.viewRestored = true;
    }
    entry->found = std::move(found);
    history_.entryChanged(*entry);
    announce(change);
    return true;
}

void Workspace::setSelected(std::size_t point, bool selected) {
    selected_.at(point) = selected ? 1 : 0;
    announce(WorkspaceChange::Kind::SelectionChanged, point);
}

PointRuns Workspace::setAllSelected(bool selected) {
    PointRuns changed;
    const std::int32_t flag = selected ? 1 : 0;
    for (std::size_t point = 0; point < selected_.size(); ++point) {
        if ((selected_[point] == 1) == selected) continue;
        selected_[point] = flag;
        if (!changed.empty() && changed.back().second == point) {
            ++changed.back().second;
        } else {
            changed.emplace_back(point, point + 1);
        }
    }
    if (!changed.empty()) announce(WorkspaceChange::Kind::SelectionChanged);
    return changed;
}

void Workspace::changeSelection(const std::function<void(std::vector<std::int32_t>&)>& change) {
    change(selected_);
    selected_.resize(store_.count(), 0);
    normaliseFlags(selected_);
    announce(WorkspaceChange::Kind::SelectionChanged);
}

}  // namespace korvela
