// Command identifiers shared by the menus, the toolbar, the command table
// and the shortcut table file.
#pragma once

namespace vantorelle::CommandId {

inline constexpr int NewProject = 57600;
inline constexpr int OpenProject = 57601;
inline constexpr int SaveProject = 57603;
inline constexpr int SaveProjectAs = 57604;
// The window runs it, as it runs Save: it owns the background export.
inline constexpr int Export = 57605;
inline constexpr int About = 57664;

inline constexpr int Delete = 32911;
inline constexpr int Copy = 32912;
inline constexpr int Cut = 32913;
inline constexpr int Paste = 32914;
inline constexpr int Insert = 32915;
inline constexpr int SelectAll = 32916;
inline constexpr int DeselectAll = 32917;
inline constexpr int InvertSelection = 32918;
inline constexpr int SplitClip = 32919;
inline constexpr int Play = 32920;
inline constexpr int Rewind = 32921;
inline constexpr int Stop = 32922;
inline constexpr int PreviousFrame = 32923;
inline constexpr int NextFrame = 32924;
inline constexpr int Settings = 32925;
inline constexpr int TitleTrackSettings = 32926;
inline constexpr int ScreenSizeSettings = 32927;
inline constexpr int ImportVelmoProject = 32928;
inline constexpr int AddSourceFile = 32929;
inline constexpr int Undo = 32930;
inline constexpr int Redo = 32931;
inline constexpr int ZoomIn = 32932;
inline constexpr int ZoomOut = 32933;
inline constexpr int ZoomToProject = 32934;
inline constexpr int ZoomToRange = 32935;
inline constexpr int TimeInMilliseconds = 32936;
inline constexpr int TimeInFrames = 32937;
inline constexpr int TimeInSmpte = 32938;
inline constexpr int CustomizeKeyboard = 32939;
inline constexpr int RelinkOfflineMedia = 32940;
// Dragged clip edges drawn to the edges, marks and range nearby, or not.
inline constexpr int Snapping = 32941;
// View › Monitor: the window shows its monitor dock again and raises it.
inline constexpr int Monitor = 32942;
// "Show <group>": 32878 + n for the group bit 2^n.
inline constexpr int ShowGroupBase = 32878;
inline constexpr int FirstMainCommand = 32893;
inline constexpr int LastMainCommand = 32949;

// The track area's context menu.
inline constexpr int AreaDeleteSelected = 32952;
inline constexpr int AreaCopySelected = 32953;
inline constexpr int AreaCutSelected = 32954;
inline constexpr int AreaAddSourceFile = 32955;
inline constexpr int AreaPaste = 32956;
inline constexpr int AreaInsert = 32957;
inline constexpr int AreaDeleteClip = 32958;
inline constexpr int AreaCutClip = 32959;
inline constexpr int AreaCopyClip = 32960;
inline constexpr int AreaRepeatClip = 32961;
inline constexpr int AreaSplitClip = 32962;
inline constexpr int AreaSelectSourceFile = 32963;
inline constexpr int AreaZoomToClip = 32964;
inline constexpr int AreaSetRangeToClip = 32965;
inline constexpr int AreaExpandRangeToClip = 32966;
inline constexpr int AreaPlayClip = 32967;
inline constexpr int AreaClipProperties = 32968;
inline constexpr int AreaTitleTrackSettings = 32969;

}  // namespace vantorelle::CommandId

namespace vantorelle {

namespace TrackHeaderCommand {
inline constexpr int Solo = 32857;
inline constexpr int Mute = 32858;
inline constexpr int EnableAllTracks = 32859;
inline constexpr int Name = 32860;
inline constexpr int MoveUp = 32861;
inline constexpr int MoveDown = 32862;
inline constexpr int TrackHeightLarge = 32863;
inline constexpr int TrackHeightMedium = 32864;
inline constexpr int TrackHeightSmall = 32865;
inline constexpr int AllTracksHeightLarge = 32866;
inline constexpr int AllTracksHeightMedium = 32867;
inline constexpr int AllTracksHeightSmall = 32868;
inline constexpr int Properties = 32869;
}  // namespace TrackHeaderCommand

}  // namespace vantorelle
