#include "collection/clip_list_sorting.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "collection/clip_list_columns.h"

namespace vantorelle {

namespace {

int Sign(std::int64_t difference) { return (difference > 0) - (difference < 0); }

int CompareBytes(std::string_view a, std::string_view b) { return Sign(a.compare(b)); }

// "dd/mm/yyyy hh:mm:ss": the last eight characters are the time of day.
std::string_view TimeOfDay(std::string_view modified) {
  return modified.size() > 8 ? modified.substr(modified.size() - 8) : modified;
}

int CompareModified(const CSrc& a, const CSrc& b) {
  const SourceDate da = SourceDateParts(a.modified);
  const SourceDate db = SourceDateParts(b.modified);
  if (da.year != db.year) return Sign(da.year - db.year);
  if (da.month != db.month) return Sign(da.month - db.month);
  if (da.day != db.day) return Sign(da.day - db.day);
  return CompareBytes(TimeOfDay(a.modified), TimeOfDay(b.modified));
}

// Ascending comparison of one column. Sizes and counts are compared as
// 64-bit differences: sizes near 4 GB would wrap as 32-bit ones.
int CompareColumn(int column, const CSrc& a, const CSrc& b) {
  switch (column) {
    case ClipListColumn::FileName: return CompareBytes(a.name, b.name);
    case ClipListColumn::FilePath: return CompareBytes(a.path, b.path);
    case ClipListColumn::Duration: return Sign(static_cast<std::int64_t>(a.duration - b.duration));
    case ClipListColumn::Usage:
      return Sign(static_cast<std::int64_t>(a.usageCount) - static_cast<std::int64_t>(b.usageCount));
    case ClipListColumn::FileSize:
      return Sign(static_cast<std::int64_t>(a.size) - static_cast<std::int64_t>(b.size));
    case ClipListColumn::Modified: return CompareModified(a, b);
    case ClipListColumn::Type: return CompareBytes(SourceTypeDescription(a.name), SourceTypeDescription(b.name));
    default: return 0;
  }
}

}  // namespace

int CompareSources(int code, const CSrc& a, const CSrc& b) {
  if (!IsSortCode(code)) return 0;
  const int result = CompareColumn(ColumnOfSortCode(code), a, b);
  return IsDescendingSortCode(code) ? -result : result;
}

void SortSources(std::vector<CSrc*>& sources, int code) {
  if (!IsSortCode(code)) return;
  std::stable_sort(sources.begin(), sources.end(),
                   [code](const CSrc* a, const CSrc* b) { return CompareSources(code, *a, *b) < 0; });
}

}  // namespace vantorelle
