// The "General" page of the "Settings" dialog: undo depth, playback start,
// the time-mark and Pillarcast options, the default clip durations and the
// directory view's file filter.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "document/document_texts.h"

namespace vantorelle {

class CVantorelleDoc;

// The Clip Collection browser's directory view, which shows only the files
// of the chosen source filter.
class IDirectoryViewFilter {
 public:
  virtual ~IDirectoryViewFilter() = default;
  virtual void ApplyFilterIndex(std::int32_t filterIndex) = 0;
};

class CSettings_GeneralPage {
 public:
  static constexpr const char* kTitle = "General";

  explicit CSettings_GeneralPage(const CVantorelleDoc& doc);

  std::int32_t UndoDepth() const { return undoDepth_; }
  // A history holds at least one step: depths below 1 become 1.
  void SetUndoDepth(std::int32_t depth);

  // The "Playback start:" list, in list order: index 0, 1.
  static std::array<const char*, 2> PlaybackStartChoices() { return {"after keyboard event", "immediately"}; }
  std::int32_t PlaybackStartType() const { return playbackStartType_; }
  // Indices outside the list are ignored; true when taken.
  bool ChoosePlaybackStart(std::int32_t index);

  bool PickRedLine() const { return pickRedLine_; }
  void SetPickRedLine(bool on) { pickRedLine_ = on; }
  bool PillarcastCompatible() const { return pillarcastCompatible_; }
  void SetPillarcastCompatible(bool on) { pillarcastCompatible_ = on; }

  // The "Default duration" edits, full time form.
  const std::string& StillImageText() const { return stillImage_; }
  const std::string& LiveText() const { return live_; }
  const std::string& SlideShowText() const { return slideShow_; }
  void ChangeStillImage(std::string text) { stillImage_ = std::move(text); }
  void ChangeLive(std::string text) { live_ = std::move(text); }
  void ChangeSlideShow(std::string text) { slideShow_ = std::move(text); }

  // The descriptions of the source dialog filters, in their order, and the
  // position of the file viewer's filter among them.
  const std::vector<std::string>& DirViewFilters() const { return dirViewFilters_; }
  std::int32_t DirViewFilterIndex() const { return FilterPositionOf(dirViewFilterIndex_); }
  // Positions outside the list are ignored; true when taken.
  bool ChooseDirViewFilter(std::int32_t position);

  // A changed undo depth empties the history before it takes the new
  // capacity. Durations are stored on the frame grid, never below a frame.
  // The directory view (when there is one) applies the filter, and every
  // view is repainted.
  void Apply(CVantorelleDoc& doc, IDirectoryViewFilter* directoryView) const;

 private:
  std::int32_t undoDepth_;
  std::int32_t playbackStartType_;
  bool pickRedLine_;
  bool pillarcastCompatible_;
  std::string stillImage_;
  std::string live_;
  std::string slideShow_;
  std::vector<std::string> dirViewFilters_;
  std::int32_t dirViewFilterIndex_;  // as stored
};

}  // namespace vantorelle
