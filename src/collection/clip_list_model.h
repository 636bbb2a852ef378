// The Clip Collection list without its toolkit: one row per source of the
// document, in the document's order until sorted, with the seven cell
// texts; the columns' widths and sort arrows, the view mode, the selection
// and focus, and the rows of a drag under way. It owns no sources: the
// document does, and the list is rebuilt after every change to them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "collection/clip_list_columns.h"
#include "model/src.h"

namespace vantorelle {

struct ClipListRow {
  CSrc* source = nullptr;  // not owned
  std::int32_t icon = -1;  // the source's file-type icon index
  ClipListRowTexts texts;
  bool selected = false;
};

enum class ColumnSortState : std::int32_t { None = 0, Ascending = 1, Descending = 2 };

// Pixel width of a text in the list's font, supplied by whoever draws it.
using TextWidthFunction = std::function<int(const std::string&)>;

class CClipList {
 public:
  // Every column shown, in Details mode, nothing sorted.
  explicit CClipList(TextWidthFunction textWidth);

  // Empties the list and makes one row per source, in the given order. Sort
  // states, selection, focus and the drop highlight go with the old rows.
  void Rebuild(const std::vector<CSrc*>& sources);

  const std::vector<ClipListRow>& Rows() const { return rows_; }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  bool Empty() const { return rows_.empty(); }
  // The row's source, or null outside the rows.
  CSrc* SourceAt(int row) const;
  int RowOf(const CSrc& source) const;  // -1 when absent

  // Selection and focus; rows outside the list are ignored.
  void SetSelected(int row, bool selected);
  void SelectOnly(int row);
  void ClearSelection();
  std::vector<int> SelectedRows() const;  // in list order
  // The first selected row's source, or null.
  CSrc* SelectedSource() const;
  void SetFocusedRow(int row);  // -1: none
  int FocusedRow() const { return focused_; }
  CSrc* FocusedSource() const { return SourceAt(focused_); }

  // Columns. Column 0 can never be hidden.
  bool IsColumnShown(int column) const;
  // Title width plus 50 pixels while shown, 0 while hidden (or outside 0 … 6).
  int ColumnWidth(int column) const;
  // Shows a hidden column, hides a shown one; false for column 0 and others
  // outside 1 … 6.
  bool ToggleColumn(int column);
  void SetColumnShown(int column, bool shown);

  // Sorting. At most one column carries a state; its header shows the arrow.
  ColumnSortState SortState(int column) const;
  std::optional<int> SortedColumn() const;
  // Reorders the rows by a sort code (1051 … 1064); ties keep their order.
  // States are left alone. False for other codes.
  bool SortByCode(int code);
  // A header click: with fewer than 2 rows nothing. A column sorted
  // ascending turns descending, otherwise it is sorted ascending; every
  // other column loses its state.
  bool HeaderClick(int column);
  // "Arrange" → "by " + title: ascending by the column, every other state
  // cleared. Refused (false) while the item is grayed.
  bool Arrange(int column);
  bool ArrangeMenuEnabled() const { return !Empty(); }
  bool ArrangeItemEnabled(int column) const { return ArrangeMenuEnabled() && IsColumnShown(column); }
  bool ArrangeItemChecked(int column) const { return SortState(column) != ColumnSortState::None; }

  ClipListViewMode ViewMode() const { return viewMode_; }
  void SetViewMode(ClipListViewMode mode) { viewMode_ = mode; }

  // The local menu commands: view modes, "Arrange" items and show/hide
  // items. False for any other command, or one refused.
  bool RunMenuCommand(int id);
  bool MenuCommandChecked(int id) const;

  // The rows of a drag of this list's sources while it is under way.
  void BeginRowDrag(std::vector<int> rows) { draggedRows_ = std::move(rows); }
  void EndRowDrag() { draggedRows_.clear(); }
  const std::vector<int>& DraggedRows() const { return draggedRows_; }
  bool RowDragUnderWay() const { return !draggedRows_.empty(); }
  // Whether a row lies between the first and the last dragged row.
  bool IsWithinDraggedRows(int row) const;

  void SetDropHighlight(int row) { dropHighlight_ = row; }  // -1: none
  int DropHighlight() const { return dropHighlight_; }

 private:
  bool ValidRow(int row) const { return row >= 0 && row < RowCount(); }
  void ClearSortStates();

  TextWidthFunction textWidth_;
  std::vector<ClipListRow> rows_;
  std::array<bool, kClipListColumnCount> shown_;
  std::array<ColumnSortState, kClipListColumnCount> sortStates_;
  ClipListViewMode viewMode_ = ClipListViewMode::Details;
  int focused_ = -1;
  int dropHighlight_ = -1;
  std::vector<int> draggedRows_;
};

}  // namespace vantorelle
