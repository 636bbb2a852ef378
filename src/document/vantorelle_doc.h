// The one open project: its tracks and clips, its Clip Collection of source
// files, marks, range, work area and size, the undo history and the editing
// preferences that travel with it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/document_settings.h"
#include "document/document_views.h"
#include "document/layout_settings.h"
#include "document/project_file_format.h"
#include "document/settings_store.h"
#include "document/shortcut_table_hook.h"
#include "document/track_numbers.h"
#include "model/src.h"
#include "model/timeline_data.h"
#include "model/user_interface.h"
#include "model/video_format.h"
#include "playback/klp_interfaces.h"
#include "playback/still_image_extensions.h"
#include "timeline/undo_history.h"
#include "timeline/zoom_data.h"

namespace vantorelle {

// What a document is made with. The store, user interface and board outlive it.
struct DocumentServices {
  ISettingsStore& store;
  bool firstRun = false;
  IUserInterface& ui;
  IKlpComponentFactory& board;
  std::unique_ptr<IDocumentShortcutTable> shortcuts;  // may be none
};

class CVantorelleDoc {
 public:
  // Loads the "Document" settings, favourite directories and track layout
  // (or their defaults) and asks the board for its still image types.
  explicit CVantorelleDoc(DocumentServices services);
  // Saves the "Document" settings, track layout, favourite directories and
  // shortcut table for the next run.
  ~CVantorelleDoc();
  CVantorelleDoc(const CVantorelleDoc&) = delete;
  CVantorelleDoc& operator=(const CVantorelleDoc&) = delete;

  // The main window; until it exists clearing the contents does nothing.
  void AttachViews(IDocumentViews* views) { views_ = views; }
  IDocumentViews* Views() const { return views_; }

  // The framework's new-document step (after it asked to save a modified
  // project): clears the modified flag and the contents, keeping tracks
  // and preferences.
  void NewProject();
  // Mode 1 keeps the tracks; mode 2 also deletes them and the zoom ladder.
  void ClearContents(int mode);
  // The state of a freshly created project, after an open failed.
  void ResetToEmptyProject();
  // Numbers below 1 leave a kind as it is. Refused with a warning, nothing
  // changed, when a track to be removed holds clips. Empties the clipboard
  // and the undo history either way it goes through.
  bool SetTrackNumbers(const TrackNumbers& wanted, bool exclusiveSolo);

  CSrc* FindSourceByPath(const std::string& path) const;
  std::vector<CSrc*> SourcePointers() const;

  bool IsModified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }

  // The path of the project file last read or written, and its folder.
  void SetProjectPath(const std::string& path);
  const std::string& ProjectPath() const { return projectPath_; }
  const std::string& ProjectDirectory() const { return projectDirectory_; }

  // The project's format: the running video standard's size and rate.
  VideoFormat Format() const;
  // Makes format the running one: the video standard, the ruler steps and
  // whatever follows the format (the board, the preview) through the hook.
  // Only between projects, or with the clips made to fit (Screen size).
  void SwitchFormat(const VideoFormat& format);
  // The format for a project file that holds none: the one the program ran
  // in before any project switched it (from the command line, the settings
  // or the board).
  VideoFormat PlainFormat() const;
  // Called after every switch, with the new format.
  void SetFormatHook(std::function<void(const VideoFormat&)> hook) { formatHook_ = std::move(hook); }
  // A new project in format (after the framework asked to save): as
  // NewProject, then the switch.
  void NewProject(const VideoFormat& format);
  // Whether the project is a new, empty one whose format nobody chose: its
  // first clip may offer its own. Set by the editor; opening a project or
  // changing its format clears it.
  bool FormatLeftAtDefault() const { return formatLeftAtDefault_; }
  void SetFormatLeftAtDefault(bool left) { formatLeftAtDefault_ = left; }

  void SetTimeDisplayMode(std::int32_t mode);
  void RebuildRulerSteps();

  // Undo around an edit: Record before the change (the project becomes
  // modified); Undo and Redo recount every source's usage afterwards, and
  // switch back to the format the restored clips were made in.
  void RecordUndo(std::int32_t kind);
  void Undo();
  void Redo();

  IUserInterface& Ui() const { return ui_; }
  IKlpComponentFactory& Board() const { return board_; }

  DocumentSettings Settings() const;
  void ApplySettings(const DocumentSettings& settings);

  DocumentPreferences preferences;
  ProjectTimes times;
  DefaultClipDurations durations;
  ClipColours colours = ClipColours::Defaults();
  std::int32_t currentZoomIndex = 0;
  double rulerStep = 0.0;
  CTimelineData timeline;
  CUndoHistory undoHistory;
  std::vector<std::unique_ptr<CSrc>> sources;
  std::vector<CFvrDirObject> favouriteDirectories;
  std::vector<CTreeNodeInfo> treeNodes;
  std::vector<CZoomData> zoomLadder;
  std::vector<double> rulerSteps;
  StillImageExtensions stillImages;
  FileTypeList movieFiles;  // the movie and sound types the board offers
  std::vector<std::pair<std::string, std::string>> sourceDialogFilters;
  // The window and bar placement the last project file held; written back
  // as read where the shell keeps no such windows.
  WindowLayout windowLayout;

 private:
  void MakeDefaultTracks();
  void DeleteSourcesAndClips();

  ISettingsStore& store_;
  bool firstRun_;
  IUserInterface& ui_;
  IKlpComponentFactory& board_;
  std::unique_ptr<IDocumentShortcutTable> shortcuts_;
  IDocumentViews* views_ = nullptr;
  std::string projectPath_;
  std::string projectDirectory_;
  bool modified_ = false;
  std::optional<VideoFormat> plainFormat_;  // set at the first switch
  std::function<void(const VideoFormat&)> formatHook_;
  bool formatLeftAtDefault_ = false;
};

}  // namespace vantorelle
