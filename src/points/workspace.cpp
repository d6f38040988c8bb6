#include "points/workspace.h"

#include <algorithm>
#include <stdexcept>

#include "points/point_table_text.h"

namespace korvela {
namespace {

void normaliseFlags(std::vector<std::int32_t>& flags) {
    for (std::int32_t& flag : flags) flag = flag != 0 ? 1 : 0;
}

}  // namespace

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

void Workspace::replace(PointStore points, std::vector<std::int32_t> selected, std::string status) {
    if (selected.size() > points.count()) {
        throw std::invalid_argument("more selection flags than points");
    }
    selected.resize(points.count(), 0);
    normaliseFlags(selected);
    store_ = std::move(points);
    selected_ = std::move(selected);
    status_ = std::move(status);
    announce(WorkspaceChange::Kind::Replaced);
}

void Workspace::append(const PointStore& points, bool kindCellsBlank) {
    WorkspaceChange change;
    change.kind = WorkspaceChange::Kind::Appended;
    change.firstAppended = store_.count();
    change.appendedKindCellsBlank = kindCellsBlank;
    store_.reserve(store_.count() + points.count());
    for (std::size_t i = 0; i < points.count(); ++i) {
        store_.append(std::string(points.number()[i]), points.x()[i], points.y()[i], points.z()[i],
                      points.colour()[i], points.kind()[i]);
    }
    selected_.resize(store_.count(), 0);
    if (points.count() > 0 && status_.empty()) status_ = kNoFileStatus;
    announce(change);
}

std::size_t Workspace::eraseSelected() {
    WorkspaceChange change;
    change.kind = WorkspaceChange::Kind::Erased;
    change.erasedFlags = selected_;
    const std::size_t erased = store_.eraseFlagged(selected_);
    std::erase(selected_, 1);
    announce(change);
    return erased;
}

void Workspace::setActiveOfSelected(std::int32_t active) {
    for (std::size_t point = 0; point < store_.count(); ++point) {
        if (selected_[point] == 1) store_.setActive(point, active);
    }
    announce(WorkspaceChange::Kind::ValuesChanged);
}

void Workspace::setAllColours(std::int32_t colour) {
    for (std::size_t point = 0; point < store_.count(); ++point) store_.setColour(point, colour);
    announce(WorkspaceChange::Kind::ValuesChanged);
}

bool Workspace::typeCell(std::size_t point, int column, std::string_view text) {
    if (!dataPresent() || point >= store_.count()) return false;
    if (!applyTypedCell(store_, point, column, text)) return false;
    announce(WorkspaceChange::Kind::ValuesChanged, point);
    return true;
}

void Workspace::setSelected(std::size_t point, bool selected) {
    selected_.at(point) = selected ? 1 : 0;
    announce(WorkspaceChange::Kind::SelectionChanged, point);
}

std::vector<std::size_t> Workspace::setAllSelected(bool selected) {
    std::vector<std::size_t> changed;
    const std::int32_t flag = selected ? 1 : 0;
    for (std::size_t point = 0; point < selected_.size(); ++point) {
        if ((selected_[point] == 1) == selected) continue;
        selected_[point] = flag;
        changed.push_back(point);
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

void Workspace::setStatus(std::string status) {
    status_ = std::move(status);
    announce(WorkspaceChange::Kind::StatusChanged);
}

void Workspace::markDataPresent() {
    if (status_.empty()) setStatus(kNoFileStatus);
}

}  // namespace korvela
