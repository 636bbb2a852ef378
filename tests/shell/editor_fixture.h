// The editor assembled as the program assembles it (settings in a fresh
// folder, the software PAL board with its wiring, the document with its
// shortcut table, the main window) but with a scripted user interface, so no
// message box or file dialog waits for a person. Helpers drive the track
// area with synthesized mouse and key events.
#pragma once

#include <QPoint>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "commands/shortcut_table.h"
#include "document/file_settings_store.h"
#include "document/vantorelle_app.h"
#include "document/vantorelle_doc.h"
#include "main_window.h"
#include "playback/board_selection.h"
#include "support/scripted_user_interface.h"
#include "support/temp_dir.h"
#include "timeline/track_area_picture.h"

namespace vantorelle::shell {
class ClipCollectionBar;
class TrackAreaWidget;
}  // namespace vantorelle::shell

namespace vantorelle::testing {

class EditorFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Ends the editor as the program ends and starts it again on the same
  // settings, with an empty project.
  void RestartEditor();

  shell::MainWindow& Window() { return *window_; }
  CVantorelleDoc& Doc() { return *doc_; }
  shell::TrackAreaWidget& Area() { return *area_; }
  shell::ClipCollectionBar& Collection() { return *collection_; }
  // The software board the editor runs with, and its wiring.
  BoardSelection& Board() { return board_; }

  // A 2 s PAL movie with sound in the test folder.
  std::string WriteMovie(const std::string& name);
  // Through the Clip Collection's own command, as the list adds a file.
  CSrc* Collect(const std::string& path);
  // What the track area paints now; the row of a track, and a clip's shape.
  TrackAreaPicture Picture() const;
  std::optional<RowPicture> RowOf(const CTrack& track) const;
  std::optional<ClipPicture> ShapeOf(const CFilm& clip) const;
  CTrack* FirstTrackOfKind(TrackType kind) const;
  // WriteMovie's movie collected and dragged onto the first video track at x,
  // as from the Clip Collection; false when any step is refused.
  bool DropMovieOnVideoTrack(int x);

  // Mouse events as the platform sends them: the buttons held travel with
  // every move, and the track area tracks the mouse without a button too.
  // The keys held (Alt, Ctrl, Shift) go with every event.
  void Press(QPoint at, Qt::KeyboardModifiers keys = Qt::NoModifier);
  void MoveTo(QPoint at, bool leftHeld, Qt::KeyboardModifiers keys = Qt::NoModifier);
  void Release(QPoint at, Qt::KeyboardModifiers keys = Qt::NoModifier);
  void DragWithLeftButton(QPoint from, QPoint to, Qt::KeyboardModifiers keys = Qt::NoModifier);

  // Puts the pointer over a point of the track area (shortcuts go to the pane
  // under it) and presses a key there.
  void PointAt(QPoint inArea);
  void PressKey(int key, Qt::KeyboardModifiers modifiers);

  // Runs a command that opens a modal dialog; the dialog is closed as soon as
  // it shows. Returns its window title, or nothing when none showed.
  std::optional<QString> RunClosingDialog(int commandId);

  // Lets the event loop run until the condition holds or the time is up.
  bool WaitFor(const std::function<bool()>& condition, int timeoutMs);

  TempDir dir_;
  ScriptedUserInterface ui_;

 private:
  void StartEditor();
  void StopEditor();

  std::unique_ptr<FileSettingsStore> settings_;
  CVantorelleApp app_;
  BoardSelection board_;
  CShortCutTable* shortcuts_ = nullptr;
  std::unique_ptr<CVantorelleDoc> doc_;
  std::unique_ptr<shell::MainWindow> window_;
  shell::TrackAreaWidget* area_ = nullptr;
  shell::ClipCollectionBar* collection_ = nullptr;
};

// Start and duration of every clip, track by track: what a saved project
// must give back.
struct ClipLayout {
  TrackType trackType = 0;
  std::string source;
  TimeMs start = 0.0;
  TimeMs duration = 0.0;
  bool operator==(const ClipLayout&) const = default;
};
std::vector<ClipLayout> LayoutOf(const CVantorelleDoc& doc);
void PrintTo(const ClipLayout& layout, std::ostream* out);

}  // namespace vantorelle::testing
