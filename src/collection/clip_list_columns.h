// The columns of the Clip Collection list and the local command identifiers
// of its menus: view modes, "Arrange" items and the column show/hide items.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "model/src.h"

namespace vantorelle {

inline constexpr int kClipListColumnCount = 7;

namespace ClipListColumn {
inline constexpr int FileName = 0;
inline constexpr int FilePath = 1;
inline constexpr int Duration = 2;
inline constexpr int Usage = 3;
inline constexpr int FileSize = 4;
inline constexpr int Modified = 5;
inline constexpr int Type = 6;
}  // namespace ClipListColumn

using ClipListRowTexts = std::array<std::string, kClipListColumnCount>;

// Follows the name of a source whose file is offline.
inline constexpr const char* kOfflineMarker = " (offline)";

// The title of a column (0 … 6); empty outside.
std::string ClipListColumnTitle(int column);
// The cell text a source shows in a column; empty outside 0 … 6.
std::string ClipListCellText(const CSrc& source, int column);
ClipListRowTexts ClipListCellTexts(const CSrc& source);

enum class ClipListViewMode { LargeIcons, Details, SmallIcons, List };

namespace ClipListMenuCommand {
inline constexpr int LargeIcons = 32784;
inline constexpr int SmallIcons = 32785;
inline constexpr int List = 32786;
inline constexpr int Details = 32787;
inline constexpr int FirstArrange = 32790;     // + column: "by " + title
inline constexpr int FirstShowColumn = 32804;  // + column: show or hide it
}  // namespace ClipListMenuCommand

// The view mode a command sets, or none for other commands.
std::optional<ClipListViewMode> ViewModeOfCommand(int id);
int CommandOfViewMode(ClipListViewMode mode);
// The column of an "Arrange" item or a show/hide item, or none.
std::optional<int> ArrangeColumnOfCommand(int id);
std::optional<int> ShowColumnOfCommand(int id);

}  // namespace vantorelle
