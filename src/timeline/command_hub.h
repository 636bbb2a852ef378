// The main window's command hub: every editing, view and playback command
// of the menus, the toolbar and the shortcuts is executed here, and here
// each answers whether it is enabled and checked.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "document/vantorelle_doc.h"
#include "timeline/clip_editor.h"
#include "timeline/command_ids.h"
#include "timeline/track_area_controller.h"
#include "timeline/video_format_chooser.h"
#include "timeline/view_services.h"
#include "timeline/work_area_navigator.h"

namespace vantorelle {

// The playback side the hub starts and stops.
class IPlaybackControl {
 public:
  virtual ~IPlaybackControl() = default;
  virtual bool BoardAvailable() const = 0;
  virtual bool SomethingToPlay() const = 0;
  virtual bool IsStopped() const = 0;
  virtual bool IsPlaying() const = 0;
  virtual void Play() = 0;
  virtual void Stop() = 0;
};

// The dialogs and pickers the hub opens; the shell provides them.
class ICommandDialogs {
 public:
  virtual ~ICommandDialogs() = default;
  virtual void OpenSettings() = 0;
  virtual void OpenTitleTrackSettings() = 0;
  virtual void OpenScreenSizeSettings() = 0;
  virtual void ImportVelmoProject() = 0;
  virtual void CustomizeKeyboard() = 0;
  virtual void AddSourceFile() = 0;
  // Asks for the file (or folder) of the offline sources.
  virtual void RelinkOfflineMedia() = 0;
};

struct CommandState {
  bool enabled = false;
  bool checked = false;
};

// A View-menu item that shows or hides one track group.
struct ShowGroupItem {
  int id = 0;
  std::string text;
  CommandState state;
};

class CommandHub {
 public:
  CommandHub(CVantorelleDoc& doc, ClipEditor& editor, WorkAreaNavigator& navigator, IViewHost& host,
             IPlaybackControl* playback = nullptr, ICommandDialogs* dialogs = nullptr);

  CommandState Update(int id) const;
  // Undo and Redo name the step they would take back or bring back ("Undo
  // Split clip"), plain "Undo" and "Redo" with none; the names of the other
  // commands never change, and they get none here.
  std::optional<std::string> CurrentName(int id) const;
  // Answers whether the command was run (disabled commands are not).
  bool Execute(int id);
  // One item per group that has tracks, in the order video, audio, title.
  std::vector<ShowGroupItem> ShowGroupItems() const;
  // The track area whose mouse drag a command ends before it changes the
  // timeline; none until attached.
  void AttachTrackArea(TrackAreaController* area) { area_ = area; }

 private:
  void SetTimeDisplayMode(std::int32_t mode);
  void ShowGroup(TrackType group, bool show);
  bool GroupFullyShown(TrackType group) const;
  int FullyShownGroupCount() const;
  TimeMs RewindTarget() const;

  CVantorelleDoc& doc_;
  ClipEditor& editor_;
  WorkAreaNavigator& navigator_;
  IViewHost& host_;
  IPlaybackControl* playback_;
  ICommandDialogs* dialogs_;
  TrackAreaController* area_ = nullptr;
};

// The "Screen size settings" dialog: the open project's format, chosen as
// for a new project (a preset or a custom size and rate). Applying switches
// the running format, board and all, and puts every clip on the new frame
// grid, as one undo step.
class ScreenSizeDialog {
 public:
  static constexpr const char* kTitle = "Screen size settings";

  ScreenSizeDialog();  // preselects the format in force
  VideoFormatChooser& Chooser() { return chooser_; }
  const VideoFormatChooser& Chooser() const { return chooser_; }
  // False, nothing changed, when the custom size cannot be run (*why says
  // why). The format in force chosen again changes nothing either.
  bool Apply(CVantorelleDoc& doc, std::string* why = nullptr) const;

 private:
  VideoFormatChooser chooser_;
};

}  // namespace vantorelle
