#include "model/timeline_data.h"

#include "model/clip_edits.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace vantorelle {

CTimelineData CTimelineData::Copy() const {
  CTimelineData copy;
  copy.workArea = workArea;
  copy.marks = marks;
  copy.format = format;
  std::unordered_map<const CFilm*, CFilm*> copyOf;
  std::unordered_map<const CTrack*, CTrack*> trackCopyOf;
  for (const auto& track : tracks) {
    copy.tracks.push_back(track->Copy());
    CTrack& made = *copy.tracks.back();
    trackCopyOf[track.get()] = &made;
    for (std::size_t i = 0; i < track->clips.size(); ++i) copyOf[track->clips[i].get()] = made.clips[i].get();
  }
  for (const auto& track : tracks) {
    for (const auto& clip : track->clips) {
      CFilm* made = copyOf.at(clip.get());
      for (const CFilm* partner : clip->links) {
        // A partner outside the track list has no copy to link to.
        const auto found = copyOf.find(partner);
        if (found != copyOf.end()) made->links.push_back(found->second);
      }
    }
  }
  std::vector<const CFilm*> copied;
  for (const auto& clip : clipboard) copied.push_back(clip.get());
  copy.clipboard = CopyKeepingLinks(copied);
  for (auto& made : copy.clipboard) {
    // A home track outside the track list has no copy: the clip is left
    // without one rather than pointing into the original.
    const auto home = trackCopyOf.find(made->track);
    made->track = home != trackCopyOf.end() ? home->second : nullptr;
  }
  return copy;
}

std::vector<CTrack*> CTimelineData::TracksOfType(TrackType type) const {
  std::vector<CTrack*> found;
  for (const auto& track : tracks) {
    if (track->type == type) found.push_back(track.get());
  }
  return found;
}

std::vector<CTrack*> CTimelineData::ShownTracks() const {
  std::vector<CTrack*> found;
  for (const auto& track : tracks) {
    if (track->shown) found.push_back(track.get());
  }
  return found;
}

int CTimelineData::CountInGroup(TrackType group) const {
  return static_cast<int>(std::count_if(tracks.begin(), tracks.end(),
                                        [&](const auto& track) { return track->Group() == group; }));
}

int CTimelineData::ClipCount() const {
  int count = 0;
  for (const auto& track : tracks) count += static_cast<int>(track->clips.size());
  return count;
}

void CTimelineData::RecountSourceUsage(const std::vector<CSrc*>& sources) const {
  for (CSrc* source : sources) source->usageCount = 0;
  for (const auto& track : tracks) {
    for (const auto& clip : track->clips) {
      if (clip->source) ++clip->source->usageCount;
    }
  }
}

void CTimelineData::DeselectAll() {
  for (const auto& track : tracks) {
    for (const auto& clip : track->clips) clip->selection = 0;
  }
}

void CTimelineData::SelectClipsOf(const CSrc& source) {
  for (const auto& track : tracks) {
    for (const auto& clip : track->clips) {
      if (clip->source == &source) clip->selection = 1;
    }
  }
}

void CTimelineData::SetShownTracksHeight(std::int32_t height) {
  for (const auto& track : tracks) {
    if (track->shown) track->height = height;
  }
}

int CTimelineData::CountMoviePictureClips() const {
  int count = 0;
  for (const auto& track : tracks) {
    if (track->Group() != TrackGroup::Video) continue;
    for (const auto& clip : track->clips) {
      if ((clip->flags & SourceFlags::MovieFile) && (clip->flags & SourceFlags::VideoStream)) ++count;
    }
  }
  return count;
}

namespace {

// Tries the candidates in list order rotated to start after the given track,
// which is left out.
CTrack* FirstFreeAfter(const std::vector<CTrack*>& candidates, const CTrack* after, const CFilm& clip) {
  const auto own = std::find(candidates.begin(), candidates.end(), after);
  const std::size_t begin = own == candidates.end() ? 0 : static_cast<std::size_t>(own - candidates.begin()) + 1;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    CTrack* track = candidates[(begin + i) % candidates.size()];
    if (track == after) continue;
    if (!track->Overlaps(clip)) return track;
  }
  return nullptr;
}

}  // namespace

CTrack* CTimelineData::FindFreeTrack(const CFilm& clip) const {
  if (!clip.track) return nullptr;
  return FirstFreeAfter(TracksOfType(clip.track->type), clip.track, clip);
}

CTrack* CTimelineData::FindFreeTrack(const CFilm& clip, TrackType mask, const CTrack* after) const {
  std::vector<CTrack*> candidates;
  for (const auto& track : tracks) {
    if (track->type & mask) candidates.push_back(track.get());
  }
  return FirstFreeAfter(candidates, after, clip);
}

void CTimelineData::PressSoloButton(CTrack& track, bool exclusiveSolo) {
  if (track.playState == PlayState::Solo) {
    track.playState = PlayState::Normal;
  } else {
    SetSolo(track, exclusiveSolo);
  }
}

void CTimelineData::PressMuteButton(CTrack& track) {
  track.playState = track.playState == PlayState::Mute ? PlayState::Normal : PlayState::Mute;
}

void CTimelineData::SetSolo(CTrack& track, bool exclusiveSolo) {
  if (exclusiveSolo) {
    for (const auto& other : tracks) {
      if (other.get() != &track && other->playState == PlayState::Solo) other->playState = PlayState::Normal;
    }
  }
  track.playState = PlayState::Solo;
}

void CTimelineData::SetMute(CTrack& track) { track.playState = PlayState::Mute; }

bool CTimelineData::ResetPlayStates() {
  bool changed = false;
  for (const auto& track : tracks) {
    changed = changed || track->playState != PlayState::Normal;
    track->playState = PlayState::Normal;
  }
  return changed;
}

bool CTimelineData::SoloPresent(bool picturesOnly) const {
  return std::any_of(tracks.begin(), tracks.end(), [&](const auto& track) {
    return track->shown && track->playState == PlayState::Solo &&
           (!picturesOnly || track->Group() == TrackGroup::Video);
  });
}

std::vector<CFilm*> CTimelineData::ClipsMeeting(const PixelRect& band, const TimePixelMapping& view) const {
  std::vector<CFilm*> found;
  for (const auto& track : tracks) {
    if (!track->shown) continue;
    for (const auto& clip : track->clips) {
      PixelRect extent = clip->ExtentIn(view);
      extent.bottom += 1;
      if (extent.Meets(band)) found.push_back(clip.get());
    }
  }
  return found;
}

CTrack& CTimelineData::AddTrackInKindOrder(std::unique_ptr<CTrack> track) {
  const auto at = std::find_if(tracks.begin(), tracks.end(),
                               [&](const auto& other) { return other->Kind() > track->Kind(); });
  return **tracks.insert(at, std::move(track));
}

void CTimelineData::MakeDefaultTracks() {
  auto add = [&](TrackType type, std::int32_t height, const char* name) -> CTrack& {
    auto track = std::make_unique<CTrack>(type, height);
    track->name = name;
    tracks.push_back(std::move(track));
    return *tracks.back();
  };
  add(TrackTypes::Video, 24, "Video track number 1");
  add(TrackTypes::Video, 96, "Video track number 2");
  add(TrackTypes::Audio, 96, "Audio track number 1");
  add(TrackTypes::Audio, 48, "Audio track number 2");
  // The regions are laid out for a 720 × 576 frame; a larger or smaller
  // frame gets them in proportion, so titles cover the same part of it.
  const VideoStandard& standard = CurrentVideoStandard();
  const std::int32_t w = standard.FrameWidth, h = standard.FrameHeight;
  const bool classic = (h == 576 && (w == 720 || w == 768)) || (h == 480 && (w == 720 || w == 640));
  const auto across = [&](std::int32_t x) {
    return classic ? x : static_cast<std::int32_t>(std::lround(x * standard.FrameWidth / 720.0));
  };
  const auto down = [&](std::int32_t y) {
    return classic ? y : static_cast<std::int32_t>(std::lround(y * standard.FrameHeight / 576.0));
  };
  CTrack& slide = add(TrackTypes::TitleSlide, 96, "Title track(slide) number 1");
  slide.regionHeight = down(100);
  slide.regionWidth = across(200);
  CTrack& movable = add(TrackTypes::TitleMovable, 48, "Title track(movable) number 1");
  movable.regionTop = down(150);
  movable.regionHeight = down(100);
  movable.regionWidth = across(500);
  movable.precision = 2;
  movable.maxSpeed = 1.0;
}

namespace {

std::vector<std::string> CheckTracks(const std::vector<const CTrack*>& tracks, const std::vector<const CSrc*>& sources,
                                     bool checkUsage);

std::vector<std::string> CheckTimeline(const CTimelineData& timeline, const std::vector<const CSrc*>& sources,
                                       bool checkUsage) {
  std::vector<const CTrack*> tracks;
  for (const auto& track : timeline.tracks) tracks.push_back(track.get());
  auto problems = CheckTracks(tracks, sources, checkUsage);
  const std::unordered_set<const CTrack*> known(tracks.begin(), tracks.end());
  for (std::size_t i = 0; i < timeline.clipboard.size(); ++i) {
    const CFilm& clip = *timeline.clipboard[i];
    if (!known.count(clip.track)) {
      problems.push_back("clipboard clip " + std::to_string(i) + ": home track not in the timeline");
    }
    for (const CFilm* partner : clip.links) {
      // Only the clipboard's own clips: a pasted pair must not reach back
      // into the tracks.
      const bool inClipboard = std::any_of(timeline.clipboard.begin(), timeline.clipboard.end(),
                                           [&](const auto& other) { return other.get() == partner; });
      if (!inClipboard) {
        problems.push_back("clipboard clip " + std::to_string(i) + ": linked outside the clipboard");
      } else if (!partner->IsLinkedTo(clip)) {
        problems.push_back("clipboard clip " + std::to_string(i) + ": one-way link");
      }
    }
  }
  return problems;
}

std::vector<std::string> CheckTracks(const std::vector<const CTrack*>& tracks, const std::vector<const CSrc*>& sources,
                                     bool checkUsage) {
  std::vector<std::string> problems;
  auto where = [](const CTrack& track, std::size_t index) {
    return "track \"" + track.name + "\" clip " + std::to_string(index);
  };
  // Links are followed only into this timeline's own clips: a pointer to
  // anything else may already be dangling.
  std::unordered_set<const CFilm*> clips;
  std::unordered_map<const CSrc*, int> uses;
  for (const CSrc* source : sources) uses[source] = 0;
  for (const CTrack* track : tracks) {
    for (const auto& clip : track->clips) {
      clips.insert(clip.get());
      if (clip->source) ++uses[clip->source];
    }
  }
  for (const CTrack* track : tracks) {
    for (std::size_t i = 0; i < track->clips.size(); ++i) {
      const CFilm& clip = *track->clips[i];
      if (clip.track != track) problems.push_back(where(*track, i) + ": owned by another track");
      if (i > 0 && track->clips[i - 1]->start > clip.start) problems.push_back(where(*track, i) + ": out of start order");
      if (clip.duration < 0.0) problems.push_back(where(*track, i) + ": negative duration");
      if (clip.fadeIn < 0.0 || clip.fadeIn > clip.duration || clip.fadeOut < 0.0 || clip.fadeOut > clip.duration) {
        problems.push_back(where(*track, i) + ": fade outside the clip");
      }
      for (const CFilm* partner : clip.links) {
        if (!clips.count(partner)) {
          problems.push_back(where(*track, i) + ": linked to a clip outside the timeline");
        } else if (!partner->IsLinkedTo(clip)) {
          problems.push_back(where(*track, i) + ": one-way link");
        }
      }
    }
  }
  for (const auto& [source, count] : uses) {
    if (checkUsage && source->usageCount != count) {
      problems.push_back("source \"" + source->name + "\": usage count " + std::to_string(source->usageCount) +
                         " for " + std::to_string(count) + " clips");
    }
  }
  return problems;
}

}  // namespace

std::vector<std::string> CheckTimelineConsistency(const CTimelineData& timeline,
                                                  const std::vector<const CSrc*>& sources) {
  return CheckTimeline(timeline, sources, true);
}

std::vector<std::string> CheckSnapshotConsistency(const CTimelineData& snapshot) {
  return CheckTimeline(snapshot, {}, false);
}

std::vector<std::string> CheckTracksConsistency(const std::vector<const CTrack*>& tracks,
                                                const std::vector<const CSrc*>& sources) {
  return CheckTracks(tracks, sources, true);
}

}  // namespace vantorelle
