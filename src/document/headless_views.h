// Views for a document that runs without windows (the command-line tool):
// every request is taken and nothing is drawn.
#pragma once

#include "document/document_views.h"

namespace vantorelle {

class HeadlessDocumentViews : public IDocumentViews {
 public:
  void ReleaseMovieMap() override {}
  void ClearFramePictures() override {}
  void Repaint(std::uint32_t) override {}
  void TrackCountChanged(int) override {}
  void RedrawTrackHeaders() override {}
  void LayOutTracks(std::int32_t) override {}
  void PlaceMainWindowByDefault() override {}
  void FollowDocument() override {}
};

}  // namespace vantorelle
