// How the Clip Collection list orders its sources: one sort code per column
// and direction, ascending by column c being 1051 + 2c and descending 1052 + 2c.
#pragma once

#include <vector>

#include "model/src.h"

namespace vantorelle {

inline constexpr int kFirstSortCode = 1051;
inline constexpr int kLastSortCode = 1064;

inline bool IsSortCode(int code) { return code >= kFirstSortCode && code <= kLastSortCode; }
inline int AscendingSortCode(int column) { return kFirstSortCode + 2 * column; }
inline int DescendingSortCode(int column) { return kFirstSortCode + 1 + 2 * column; }
inline int ColumnOfSortCode(int code) { return (code - kFirstSortCode) / 2; }
inline bool IsDescendingSortCode(int code) { return (code - kFirstSortCode) % 2 == 1; }

// Below 0 when a goes before b, 0 for a tie, above 0 when b goes first.
// Names, paths and types compare byte by byte (case counts); the duration
// difference is truncated to whole milliseconds; the modification time by
// year, month and day, then by the time of day text. Codes outside
// 1051 … 1064 answer 0.
int CompareSources(int code, const CSrc& a, const CSrc& b);

// Sorts by the code; ties keep their order. Other codes change nothing.
void SortSources(std::vector<CSrc*>& sources, int code);

}  // namespace vantorelle
