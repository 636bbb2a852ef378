// The "Project Properties" page of the "Settings" dialog: project size, work
// area, exclusive solo and the numbers of tracks, with the corrections made
// while the person types and what OK hands to the document.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "document/track_numbers.h"
#include "model/time_base.h"
#include "model/track.h"
#include "model/user_interface.h"

namespace vantorelle {

class CVantorelleDoc;

class CSettings_ProjectPage {
 public:
  static constexpr const char* kTitle = "Project Properties";
  static constexpr std::int32_t kMaximumTracks = 4;   // of every kind
  static constexpr TimeMs kSmallestProjectSize = 1000.0;
  static constexpr TimeMs kLargestProjectSize = 86'400'000.0;
  static constexpr TimeMs kSmallestWorkArea = 500.0;

  // Filled from the document's project size, work area, exclusive solo and tracks.
  explicit CSettings_ProjectPage(const CVantorelleDoc& doc);

  // The edit texts, all in the full time form.
  const std::string& ProjectSizeText() const { return projectSize_; }
  const std::string& StartText() const { return start_; }
  const std::string& StopText() const { return stop_; }
  // Always stop − start; not edited itself.
  const std::string& SizeText() const { return size_; }

  // Each takes the whole new text of its edit and clamps it in place:
  // the project size to [minimum project size, 24 h], the start to
  // [0, stop − 500 ms], the stop to [start + 500 ms, project size].
  void ChangeProjectSize(std::string text);
  void ChangeStart(std::string text);
  void ChangeStop(std::string text);

  bool ExclusiveSolo() const { return exclusiveSolo_; }
  void SetExclusiveSolo(bool on) { exclusiveSolo_ = on; }

  // The "Video:" and "Audio:" lists (1 … 4). A number that would delete a
  // track holding clips is refused with a warning box and the list keeps
  // its number; a number outside the list is ignored. True when taken.
  bool ChooseVideoTracks(std::int32_t wanted, IUserInterface& ui);
  bool ChooseAudioTracks(std::int32_t wanted, IUserInterface& ui);
  static std::array<std::int32_t, kMaximumTracks> TrackNumberChoices() { return {1, 2, 3, 4}; }

  // Video and audio as chosen; alpha video and B video as the document has them.
  const TrackNumbers& Numbers() const { return numbers_; }
  // The 0-based position among the tracks of the kind (by its bit) of the
  // last one holding clips; −1 when none does or for another kind.
  std::int32_t LastTrackWithClips(TrackType kind) const;
  // The larger of 1000 ms and the latest clip end on any track.
  TimeMs MinimumProjectSize() const { return minimumProjectSize_; }

  // The dialog's OK: a project size of 0 becomes 1000 ms; a stop beyond the
  // project size comes back to it, and a start that is not below the size
  // goes to 0. The texts are rewritten.
  void Normalise();

  // Stores the page in the document: the active page index, project size,
  // work area (the views follow it), exclusive solo with the play states,
  // and the track numbers, which empty the clip clipboard and undo history.
  void Apply(CVantorelleDoc& doc, std::int32_t activePage) const;

 private:
  bool ChooseTracks(TrackType kind, std::int32_t& number, std::int32_t wanted, IUserInterface& ui);
  void RewriteSize();

  std::string projectSize_;
  std::string start_;
  std::string stop_;
  std::string size_;
  bool exclusiveSolo_ = false;
  TrackNumbers numbers_;
  // Video, alpha video, B video, audio.
  std::array<std::int32_t, 4> lastWithClips_{-1, -1, -1, -1};
  TimeMs minimumProjectSize_ = kSmallestProjectSize;
};

}  // namespace vantorelle
