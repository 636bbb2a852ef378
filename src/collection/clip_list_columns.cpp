#include "collection/clip_list_columns.h"

#include "document/document_texts.h"

namespace vantorelle {

namespace {

bool IsColumn(int column) { return column >= 0 && column < kClipListColumnCount; }

std::optional<int> ColumnFrom(int id, int first) {
  if (id < first || id >= first + kClipListColumnCount) return std::nullopt;
  return id - first;
}

}  // namespace

std::string ClipListColumnTitle(int column) {
  if (!IsColumn(column)) return {};
  return CollectionColumnTitles().at(static_cast<std::size_t>(column));
}

std::string ClipListCellText(const CSrc& source, int column) {
  switch (column) {
    // An offline source says so where a person looks first.
    case ClipListColumn::FileName: return source.offline ? source.name + kOfflineMarker : source.name;
    case ClipListColumn::FilePath: return source.path;
    case ClipListColumn::Duration: return SourceDurationText(source);
    case ClipListColumn::Usage: return SourceUsageText(source);
    case ClipListColumn::FileSize: return SourceSizeText(source.size);
    case ClipListColumn::Modified: return source.modified;
    case ClipListColumn::Type: return SourceTypeDescription(source.name);
    default: return {};
  }
}

ClipListRowTexts ClipListCellTexts(const CSrc& source) {
  ClipListRowTexts texts;
  for (int column = 0; column < kClipListColumnCount; ++column) {
    texts[static_cast<std::size_t>(column)] = ClipListCellText(source, column);
  }
  return texts;
}

std::optional<ClipListViewMode> ViewModeOfCommand(int id) {
  switch (id) {
    case ClipListMenuCommand::LargeIcons: return ClipListViewMode::LargeIcons;
    case ClipListMenuCommand::SmallIcons: return ClipListViewMode::SmallIcons;
    case ClipListMenuCommand::List: return ClipListViewMode::List;
    case ClipListMenuCommand::Details: return ClipListViewMode::Details;
    default: return std::nullopt;
  }
}

int CommandOfViewMode(ClipListViewMode mode) {
  switch (mode) {
    case ClipListViewMode::LargeIcons: return ClipListMenuCommand::LargeIcons;
    case ClipListViewMode::SmallIcons: return ClipListMenuCommand::SmallIcons;
    case ClipListViewMode::List: return ClipListMenuCommand::List;
    case ClipListViewMode::Details: break;
  }
  return ClipListMenuCommand::Details;
}

std::optional<int> ArrangeColumnOfCommand(int id) { return ColumnFrom(id, ClipListMenuCommand::FirstArrange); }

std::optional<int> ShowColumnOfCommand(int id) { return ColumnFrom(id, ClipListMenuCommand::FirstShowColumn); }

}  // namespace vantorelle
