// The clip properties dialogs without their drawing: the video, audio,
// single-image and title variants, their field texts, the neighbour limit on
// the start field, and what OK changes.
#pragma once

#include <string>

#include "model/film.h"
#include "model/project_times.h"

namespace vantorelle {

// The choices of the selection and link-state fields, by index.
inline constexpr const char* kSelectionChoices[] = {"None", "Selected"};
inline constexpr const char* kLinkChoices[] = {"Unlinked", "Linked"};

enum class ClipDialogKind { Video, Audio, SingleImage, SlideTitle, MovableTitle };

ClipDialogKind ClipDialogKindOf(const CFilm& clip);
const char* ClipDialogCaption(ClipDialogKind kind);

class ClipPropertiesDialog {
 public:
  explicit ClipPropertiesDialog(CFilm& clip);

  ClipDialogKind Kind() const { return kind_; }
  const char* Caption() const { return ClipDialogCaption(kind_); }
  bool HasFades() const { return kind_ == ClipDialogKind::Audio || kind_ == ClipDialogKind::SlideTitle; }
  bool HasVolume() const { return kind_ == ClipDialogKind::Audio; }

  // The interval the start field is held to: from the end of the clip
  // before to the start of the clip after, on the frame grid. While the
  // clip stays linked its partners move with it, so the interval is also
  // held to the room each partner has on its own track.
  TimeMs NeighbourLow() const { return linked ? linkedLow_ : low_; }
  TimeMs NeighbourHigh() const { return linked ? linkedHigh_ : high_; }
  void ChangeStart(std::string text);

  // Shown and edited as full time texts; stop, out and source length are shown only.
  std::string start, size, in, fadeIn, fadeOut;
  std::string Stop() const;
  std::string Out() const;
  std::string SourceLength() const;
  std::string name;
  int selection = 0;  // 0 "None", 1 "Selected"
  int linked = 0;     // 0 "Unlinked", 1 "Linked"
  bool useTrackFadeIn = false;
  bool useTrackFadeOut = false;
  int volumePercent = 100;

  // OK: the clip takes the fields; linked clips follow it.
  void Apply(ProjectTimes& times, const TimePixelMapping& view);

 private:
  CFilm& clip_;
  ClipDialogKind kind_;
  TimeMs low_ = 0.0;
  TimeMs high_ = 0.0;
  TimeMs linkedLow_ = 0.0;
  TimeMs linkedHigh_ = 0.0;
  bool timesFit_ = true;  // the linked group has room for its times
};

}  // namespace vantorelle
