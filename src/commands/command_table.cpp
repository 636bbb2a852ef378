#include "commands/command_table.h"

#include <optional>
#include <string_view>

#include "commands/pane_command_ids.h"
#include "timeline/command_ids.h"

namespace vantorelle {
namespace {

std::string WithoutEllipsis(std::string_view name) {
  constexpr std::string_view kEllipsis = "...";
  if (name.size() >= kEllipsis.size() && name.substr(name.size() - kEllipsis.size()) == kEllipsis) {
    name.remove_suffix(kEllipsis.size());
  }
  return std::string(name);
}

class TableBuilder {
 public:
  // A program-wide command; its tip names it like the menu does, less any
  // trailing "..." unless it has a short name of its own.
  void Global(std::string category, std::int32_t id, std::string name, std::string description,
              std::optional<std::string> shortName = std::nullopt) {
    std::string tip = shortName ? *shortName : WithoutEllipsis(name);
    rows_.push_back({std::move(name), std::move(category), std::move(description), std::move(tip), id,
                     CommandGroup::Global});
  }

  void Local(CommandGroup group, std::int32_t id, std::string name, std::string description) {
    rows_.push_back({std::move(name), LocalCategory(group), std::move(description), {}, id, group});
  }

  std::vector<CCommandInfo> Take() { return std::move(rows_); }

 private:
  static std::string LocalCategory(CommandGroup group) {
    switch (group) {
      case CommandGroup::TracksView: return "(Local) Tracks View";
      case CommandGroup::TrackHeaders: return "(Local) Tracks Status View";
      case CommandGroup::ClipCollection: return "(Local) Clip Collection";
      case CommandGroup::TimeRuler: return "(Local) Time Line";
      case CommandGroup::FavouriteDirectories: return "(Local) Favourite Directory List";
      case CommandGroup::Global: break;
    }
    return {};
  }

  std::vector<CCommandInfo> rows_;
};

void AddFileCommands(TableBuilder& t) {
  t.Global("File", CommandId::NewProject, "New project", "Create a new project", "New");
  t.Global("File", CommandId::OpenProject, "Open project...", "Open an existing project", "Open");
  t.Global("File", CommandId::SaveProject, "Save project", "Save the active project", "Save");
  t.Global("File", CommandId::SaveProjectAs, "Save project As...", "Save the active project \nwith a new name",
           "Save As");
  t.Global("File", CommandId::Export, "Export...", "Export the project to a film, \na sound file or a picture",
           "Export");
  t.Global("File", CommandId::AddSourceFile, "Add source file...", "Add a source file \nto the Clip Collection",
           "Add");
  t.Global("File", CommandId::ImportVelmoProject, "Import Velmo project...", "Import Velmo project(*.tml file)",
           "Import project");
  t.Global("File", CommandId::RelinkOfflineMedia, "Relink offline media...",
           "Find the files of the offline sources \nat a file or in its folder", "Relink");
  t.Global("File", FrameCommand::Exit, "Exit", "Quit the application");
}

void AddEditCommands(TableBuilder& t) {
  t.Global("Edit", CommandId::Undo, "Undo", "Undo the last action");
  t.Global("Edit", CommandId::Redo, "Redo", "Redo the previously undone action");
  t.Global("Edit", CommandId::Delete, "Delete", "Delete the selected clips");
  t.Global("Edit", CommandId::Cut, "Cut", "Cut the selected clips \nto the clipboard");
  t.Global("Edit", CommandId::Copy, "Copy", "Copy the selected clips \nto the clipboard");
  t.Global("Edit", CommandId::Paste, "Paste", "Paste the clipboard clips \nat the current time");
  t.Global("Edit", CommandId::SplitClip, "Split clip", "Split the clips \nat the current time");
  t.Global("Edit", CommandId::Insert, "Insert", "Insert the clipboard clips \nat the current time");
  t.Global("Edit", CommandId::SelectAll, "Select all", "Select all clips");
  t.Global("Edit", CommandId::DeselectAll, "Deselect all", "Deselect all clips");
  t.Global("Edit", CommandId::InvertSelection, "Invert selection", "Invert the clip selection");
}

void AddViewCommands(TableBuilder& t) {
  t.Global("View", FrameCommand::ShowProjectViewer, "Show Project Viewer", "Show or hide the Project Viewer",
           "Show/hide Project Viewer");
  t.Global("View", FrameCommand::ShowClipCollectionBar, "Show Clip Collection Bar",
           "Show or hide the Clip Collection bar", "Show/hide Clip Collection bar");
  t.Global("View", CommandId::Monitor, "Monitor", "Show the monitor: the picture under \nthe time mark and its transport bar");
  t.Global("View", CommandId::TimeInMilliseconds, "Time in miliseconds", "Show times in milliseconds");
  t.Global("View", CommandId::TimeInFrames, "Time in frames", "Show times in frames");
  t.Global("View", CommandId::TimeInSmpte, "Time in SMPTE", "Show times as SMPTE time code");
  t.Global("View", CommandId::ZoomIn, "Zoom in", "Zoom the track area in");
  t.Global("View", CommandId::ZoomOut, "Zoom out", "Zoom the track area out");
  t.Global("View", CommandId::ZoomToProject, "Zoom to project", "Show the whole project \nin the track area");
  t.Global("View", CommandId::ZoomToRange, "Zoom to range", "Show the range \nin the track area");
  t.Global("View", CommandId::Snapping, "Snap to Edges",
           "Draw dragged clips to the clip edges, \nthe time mark and the range nearby", "Snap");
}

void AddCommandCommands(TableBuilder& t) {
  t.Global("Command", CommandId::Play, "Play", "Playback active audio, video, \ntitle track");
  t.Global("Command", CommandId::Stop, "Stop", "Stop playback");
  t.Global("Command", CommandId::Rewind, "Rewind", "Move cursor to playback \nstart position");
  t.Global("Command", CommandId::NextFrame, "Next frame", "Move cursor to the next frame");
  t.Global("Command", CommandId::PreviousFrame, "Previous frame", "Move cursor to the previous frame");
  t.Global("Command", CommandId::TitleTrackSettings, "Title track settings...", "Edit the title track settings");
  t.Global("Command", CommandId::Settings, "Settings...", "Edit the project settings \nand preferences");
  t.Global("Command", CommandId::ScreenSizeSettings, "Screen size settings...",
           "Initial set of the frame \nwidth/height", "Set screen size");
  t.Global("Tools", CommandId::CustomizeKeyboard, "Customize keyboard...", "Edit the keyboard shortcuts",
           "Set shortcuts");
  t.Global("Help", CommandId::About, "About Vantorelle...", "Show program information \nand version", "About");
}

void AddLocalCommands(TableBuilder& t) {
  using G = CommandGroup;
  t.Local(G::TrackHeaders, TrackHeaderCommand::Name, "Name...", "Rename the track");
  t.Local(G::TrackHeaders, TrackHeaderCommand::MoveUp, "Move up", "Move the track up");
  t.Local(G::TrackHeaders, TrackHeaderCommand::MoveDown, "Move down", "Move the track down");
  t.Local(G::TrackHeaders, TrackHeaderCommand::Solo, "Solo", "Play this track only");
  t.Local(G::TrackHeaders, TrackHeaderCommand::Mute, "Mute", "Mute the track");
  t.Local(G::TrackHeaders, TrackHeaderCommand::EnableAllTracks, "Enable all tracks", "Switch on all tracks");
  t.Local(G::TrackHeaders, TrackHeaderCommand::Properties, "Properties...", "Show the track properties");

  t.Local(G::TracksView, CommandId::AreaDeleteClip, "Delete clip", "Delete current clip");
  t.Local(G::TracksView, CommandId::AreaCutClip, "Cut clip", "Cut current clip \nto the clipboard");
  t.Local(G::TracksView, CommandId::AreaCopyClip, "Copy clip", "Copy current clip \nto the clipboard");
  t.Local(G::TracksView, CommandId::AreaRepeatClip, "Repeat clip...", "Repeat current clip");
  t.Local(G::TracksView, CommandId::AreaSplitClip, "Split clip", "Split current clip \nat the current time");
  t.Local(G::TracksView, CommandId::AreaSelectSourceFile, "Select source file in project",
          "Select the source file of current clip \nin the Clip Collection");
  t.Local(G::TracksView, CommandId::AreaZoomToClip, "Zoom to clip", "Show current clip \nin the track area");
  t.Local(G::TracksView, CommandId::AreaSetRangeToClip, "Set range to clip", "Set the range to current clip");
  t.Local(G::TracksView, CommandId::AreaExpandRangeToClip, "Expand range to clip",
          "Expand the range to current clip");
  t.Local(G::TracksView, CommandId::AreaPlayClip, "Play", "Playback current clip");
  t.Local(G::TracksView, CommandId::AreaClipProperties, "Properties...", "Show current clip properties");
  t.Local(G::TracksView, CommandId::AreaPaste, "Paste", "Paste the clipboard clips \nat the mouse position");
  t.Local(G::TracksView, CommandId::AreaInsert, "Insert", "Insert the clipboard clips \nat the mouse position");

  t.Local(G::ClipCollection, ClipCollectionCommand::AddSourceFile, "Add source file...",
          "Add a source file \nto the Clip Collection");
  t.Local(G::ClipCollection, ClipCollectionCommand::Delete, "Delete", "Delete current source file");
  t.Local(G::ClipCollection, ClipCollectionCommand::SelectSourceFile, "Select source file in project",
          "Select the clips of current source file \nin the track area");
  t.Local(G::ClipCollection, ClipCollectionCommand::Properties, "Properties...",
          "Show current source fle properties");

  t.Local(G::TimeRuler, TimeRulerCommand::SetCurrentTime, "Set current time...", "Set the current time mark");
  t.Local(G::TimeRuler, TimeRulerCommand::SetRange, "Set range...", "Set range's left/right value");

  t.Local(G::FavouriteDirectories, FavouriteDirectoryCommand::Delete, "Delete", "Delete current favourite directory");
  t.Local(G::FavouriteDirectories, FavouriteDirectoryCommand::Duplicate, "Duplicate",
          "Duplicate current favourite directory");
  t.Local(G::FavouriteDirectories, FavouriteDirectoryCommand::Properties, "Properties...",
          "Show current favourite directory properties");
}

}  // namespace

std::vector<CCommandInfo> BuildCommandTable() {
  TableBuilder table;
  AddFileCommands(table);
  AddEditCommands(table);
  AddViewCommands(table);
  AddCommandCommands(table);
  AddLocalCommands(table);
  return table.Take();
}

}  // namespace vantorelle
