#include "document/settings_general_page.h"

#include <algorithm>

#include "document/vantorelle_doc.h"
#include "model/time_base.h"

namespace vantorelle {

namespace {

// A default duration below one frame would drop clips of no length.
TimeMs ParseDuration(const std::string& text) {
  return std::max(SnapToFrameFloor(ParseTimeText(text)), SnappingFrameLength());
}

}  // namespace

CSettings_GeneralPage::CSettings_GeneralPage(const CVantorelleDoc& doc)
    : undoDepth_(std::max(1, doc.preferences.undoDepth)),
      playbackStartType_(doc.preferences.playbackStartType),
      pickRedLine_(doc.preferences.pickRedLine != 0),
      pillarcastCompatible_(doc.preferences.pillarcastCompatible != 0),
      stillImage_(FormatTimeFull(doc.durations.stillImageDuration)),
      live_(FormatTimeFull(doc.durations.liveDuration)),
      slideShow_(FormatTimeFull(doc.durations.slideShowDuration)),
      dirViewFilterIndex_(doc.preferences.dirViewFilterIndex) {
  dirViewFilters_.reserve(doc.sourceDialogFilters.size());
  for (const auto& filter : doc.sourceDialogFilters) dirViewFilters_.push_back(filter.first);
}

void CSettings_GeneralPage::SetUndoDepth(std::int32_t depth) { undoDepth_ = std::max(1, depth); }

bool CSettings_GeneralPage::ChoosePlaybackStart(std::int32_t index) {
  if (index < 0 || index >= static_cast<std::int32_t>(PlaybackStartChoices().size())) return false;
  playbackStartType_ = index;
  return true;
}

bool CSettings_GeneralPage::ChooseDirViewFilter(std::int32_t position) {
  if (position < 0 || position >= static_cast<std::int32_t>(dirViewFilters_.size())) return false;
  dirViewFilterIndex_ = StoredFilterIndexOf(position);
  return true;
}

void CSettings_GeneralPage::Apply(CVantorelleDoc& doc, IDirectoryViewFilter* directoryView) const {
  if (undoDepth_ != doc.preferences.undoDepth) {
    doc.undoHistory.Clear();
    doc.preferences.undoDepth = undoDepth_;
    doc.undoHistory.SetDepth(undoDepth_);
  }
  doc.preferences.playbackStartType = playbackStartType_;
  doc.preferences.pillarcastCompatible = pillarcastCompatible_ ? 1 : 0;
  doc.preferences.pickRedLine = pickRedLine_ ? 1 : 0;
  doc.durations.stillImageDuration = ParseDuration(stillImage_);
  doc.durations.liveDuration = ParseDuration(live_);
  doc.durations.slideShowDuration = ParseDuration(slideShow_);
  doc.preferences.dirViewFilterIndex = dirViewFilterIndex_;
  if (directoryView) directoryView->ApplyFilterIndex(dirViewFilterIndex_);
  if (IDocumentViews* views = doc.Views()) views->Repaint(RedrawMask::All);
}

}  // namespace vantorelle
