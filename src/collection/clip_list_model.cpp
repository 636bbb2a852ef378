#include "collection/clip_list_model.h"

#include <algorithm>

#include "collection/clip_list_sorting.h"

namespace vantorelle {

namespace {

bool IsColumn(int column) { return column >= 0 && column < kClipListColumnCount; }

std::size_t Index(int value) { return static_cast<std::size_t>(value); }

}  // namespace

CClipList::CClipList(TextWidthFunction textWidth) : textWidth_(std::move(textWidth)) {
  shown_.fill(true);
  sortStates_.fill(ColumnSortState::None);
}

void CClipList::Rebuild(const std::vector<CSrc*>& sources) {
  rows_.clear();
  rows_.reserve(sources.size());
  for (CSrc* source : sources) {
    if (!source) continue;
    rows_.push_back(ClipListRow{source, source->icon, ClipListCellTexts(*source), false});
  }
  ClearSortStates();
  focused_ = -1;
  dropHighlight_ = -1;
  draggedRows_.clear();
}

CSrc* CClipList::SourceAt(int row) const { return ValidRow(row) ? rows_[Index(row)].source : nullptr; }

int CClipList::RowOf(const CSrc& source) const {
  for (int row = 0; row < RowCount(); ++row) {
    if (rows_[Index(row)].source == &source) return row;
  }
  return -1;
}

void CClipList::SetSelected(int row, bool selected) {
  if (ValidRow(row)) rows_[Index(row)].selected = selected;
}

void CClipList::SelectOnly(int row) {
  ClearSelection();
  SetSelected(row, true);
  if (ValidRow(row)) focused_ = row;
}

void CClipList::ClearSelection() {
  for (auto& row : rows_) row.selected = false;
}

std::vector<int> CClipList::SelectedRows() const {
  std::vector<int> selected;
  for (int row = 0; row < RowCount(); ++row) {
    if (rows_[Index(row)].selected) selected.push_back(row);
  }
  return selected;
}

CSrc* CClipList::SelectedSource() const {
  for (const auto& row : rows_) {
    if (row.selected) return row.source;
  }
  return nullptr;
}

void CClipList::SetFocusedRow(int row) { focused_ = ValidRow(row) ? row : -1; }

bool CClipList::IsColumnShown(int column) const { return IsColumn(column) && shown_[Index(column)]; }

int CClipList::ColumnWidth(int column) const {
  if (!IsColumnShown(column)) return 0;
  const int titleWidth = textWidth_ ? textWidth_(ClipListColumnTitle(column)) : 0;
  return titleWidth + 50;
}

bool CClipList::ToggleColumn(int column) {
  if (!IsColumn(column) || column == ClipListColumn::FileName) return false;
  shown_[Index(column)] = !shown_[Index(column)];
  return true;
}

void CClipList::SetColumnShown(int column, bool shown) {
  if (!IsColumn(column) || column == ClipListColumn::FileName) return;
  shown_[Index(column)] = shown;
}

ColumnSortState CClipList::SortState(int column) const {
  return IsColumn(column) ? sortStates_[Index(column)] : ColumnSortState::None;
}

std::optional<int> CClipList::SortedColumn() const {
  for (int column = 0; column < kClipListColumnCount; ++column) {
    if (sortStates_[Index(column)] != ColumnSortState::None) return column;
  }
  return std::nullopt;
}

bool CClipList::SortByCode(int code) {
  if (!IsSortCode(code)) return false;
  // Selection, focus and highlight follow their sources.
  CSrc* focused = FocusedSource();
  CSrc* highlighted = SourceAt(dropHighlight_);
  std::stable_sort(rows_.begin(), rows_.end(), [code](const ClipListRow& a, const ClipListRow& b) {
    return CompareSources(code, *a.source, *b.source) < 0;
  });
  focused_ = focused ? RowOf(*focused) : -1;
  dropHighlight_ = highlighted ? RowOf(*highlighted) : -1;
  return true;
}

bool CClipList::HeaderClick(int column) {
  if (!IsColumn(column) || RowCount() < 2) return false;
  const ColumnSortState previous = sortStates_[Index(column)];
  ClearSortStates();
  if (previous == ColumnSortState::Ascending) {
    SortByCode(DescendingSortCode(column));
    sortStates_[Index(column)] = ColumnSortState::Descending;
  } else {
    SortByCode(AscendingSortCode(column));
    sortStates_[Index(column)] = ColumnSortState::Ascending;
  }
  return true;
}

bool CClipList::Arrange(int column) {
  if (!IsColumn(column) || !ArrangeItemEnabled(column)) return false;
  ClearSortStates();
  SortByCode(AscendingSortCode(column));
  sortStates_[Index(column)] = ColumnSortState::Ascending;
  return true;
}

bool CClipList::RunMenuCommand(int id) {
  if (const auto mode = ViewModeOfCommand(id)) {
    SetViewMode(*mode);
    return true;
  }
  if (const auto column = ArrangeColumnOfCommand(id)) return Arrange(*column);
  if (const auto column = ShowColumnOfCommand(id)) return ToggleColumn(*column);
  return false;
}

bool CClipList::MenuCommandChecked(int id) const {
  if (const auto mode = ViewModeOfCommand(id)) return *mode == viewMode_;
  if (const auto column = ArrangeColumnOfCommand(id)) return ArrangeItemChecked(*column);
  if (const auto column = ShowColumnOfCommand(id)) return IsColumnShown(*column);
  return false;
}

bool CClipList::IsWithinDraggedRows(int row) const {
  if (draggedRows_.empty()) return false;
  const auto [first, last] = std::minmax_element(draggedRows_.begin(), draggedRows_.end());
  return row >= *first && row <= *last;
}

void CClipList::ClearSortStates() { sortStates_.fill(ColumnSortState::None); }

}  // namespace vantorelle
