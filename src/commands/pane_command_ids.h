// Command identifiers of the commands that only the command table and the
// panes' own menus know: the frame's window commands and the local menus of
// the Clip Collection, the time ruler and the favourite directory list.
#pragma once

namespace vantorelle {

namespace FrameCommand {
inline constexpr int Exit = 0xE141;
inline constexpr int ShowProjectViewer = 0x006D;
inline constexpr int ShowClipCollectionBar = 0x05AE;
}  // namespace FrameCommand

namespace ClipCollectionCommand {
inline constexpr int AddSourceFile = 0x8057;
inline constexpr int Delete = 0x8015;
inline constexpr int SelectSourceFile = 0x8023;
inline constexpr int Properties = 0x8022;
}  // namespace ClipCollectionCommand

namespace TimeRulerCommand {
inline constexpr int SetCurrentTime = 0x8007;
inline constexpr int SetRange = 0x05B2;
}  // namespace TimeRulerCommand

namespace FavouriteDirectoryCommand {
inline constexpr int Delete = 0x0489;
inline constexpr int Duplicate = 0x048A;
inline constexpr int Properties = 0x048B;
}  // namespace FavouriteDirectoryCommand

}  // namespace vantorelle
