#include "titles/title_track_apply.h"

#include <algorithm>
#include <memory>
#include <unordered_set>

#include "document/vantorelle_doc.h"
#include "titles/title_timing.h"

namespace vantorelle {

namespace {

void TakeSettings(CTrack& track, const TitleTrackRecord& record) {
  track.type = record.type;
  track.height = record.trackHeight;
  track.name = record.name;
  track.direction = record.direction;
  track.precision = record.precision;
  SetRegion(track, record.region);
  track.maxSpeed = record.maxSpeed;
  track.fadeIn = record.fadeIn;
  track.fadeOut = record.fadeOut;
}

}  // namespace

void ReplaceTitleTracks(CTimelineData& timeline, const std::vector<TitleTrackRecord>& records,
                        bool newTracksShown) {
  std::vector<std::unique_ptr<CTrack>> kept;
  std::vector<std::unique_ptr<CTrack>> titles;
  for (auto& track : timeline.tracks) {
    (track->Group() == TrackGroup::Title ? titles : kept).push_back(std::move(track));
  }

  std::unordered_set<const CTrack*> named;
  for (const TitleTrackRecord& record : records) {
    const auto from = std::find_if(titles.begin(), titles.end(), [&](const auto& track) {
      return track && track.get() == record.track && !named.count(track.get());
    });
    if (from != titles.end()) {
      named.insert(from->get());
      TakeSettings(**from, record);
      kept.push_back(std::move(*from));
    } else {
      auto track = std::make_unique<CTrack>(record.type, record.trackHeight);
      TakeSettings(*track, record);
      track->shown = newTracksShown ? 1 : 0;
      kept.push_back(std::move(track));
    }
  }
  for (auto& track : titles) {
    if (track && !track->clips.empty()) kept.push_back(std::move(track));
  }
  timeline.tracks = std::move(kept);
  titles.clear();  // the tracks deleted in the settings, without clips

  for (const auto& track : timeline.tracks) RetimeMovableTitleClips(*track);
}

void ApplyTitleTrackRecords(CVantorelleDoc& doc, const std::vector<TitleTrackRecord>& records,
                            bool newTracksShown) {
  const std::size_t countBefore = doc.timeline.tracks.size();
  // Clipboard copies keep their home track, which may be about to go.
  doc.timeline.clipboard.clear();
  ReplaceTitleTracks(doc.timeline, records, newTracksShown);
  doc.undoHistory.Clear();
  doc.SetModified(true);
  if (IDocumentViews* views = doc.Views()) {
    if (doc.timeline.tracks.size() != countBefore) {
      views->TrackCountChanged(static_cast<int>(doc.timeline.tracks.size()));
    }
    views->RedrawTrackHeaders();
    views->LayOutTracks(doc.preferences.firstVisibleTrack);
    views->Repaint(RedrawMask::All);
  }
}

}  // namespace vantorelle
