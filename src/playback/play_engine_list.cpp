#include "playback/play_engine_list.h"

#include <algorithm>
#include <cmath>

#include "model/number_limits.h"

namespace vantorelle {

namespace {

double UsableFrameDelta(double frameDelta) { return frameDelta == 0.0 ? 40.0 : frameDelta; }

std::vector<CPlayTask>* ListOfGroup(CPlayList& list, TrackType group) {
  switch (group) {
    case TrackGroup::Video: return &list.videoList;
    case TrackGroup::Audio: return &list.audioList;
    case TrackGroup::Title: return &list.titleList;
    default: return nullptr;
  }
}

bool Overlaps(const CPlayTask& entry, std::int32_t a, std::int32_t b) {
  return entry.length > 0 && entry.start < b && entry.End() > a;
}

// The first stretch of [startFrame, endFrame) that the arranged list leaves
// open and some entry of the full list covers gets that entry, cut to it.
bool FillFirstGap(std::vector<CPlayTask>& arranged, const std::vector<CPlayTask>& all,
                  std::int32_t startFrame, std::int32_t endFrame) {
  std::int32_t open = startFrame;
  for (std::size_t i = 0; i <= arranged.size(); ++i) {
    const std::int32_t gapEnd = i < arranged.size() ? arranged[i].start : endFrame;
    if (gapEnd > open) {
      for (const CPlayTask& candidate : all) {
        if (!Overlaps(candidate, open, gapEnd)) continue;
        CPlayTask fill = candidate;
        fill.Trim(open, gapEnd);
        if (fill.length <= 0) continue;
        arranged.insert(arranged.begin() + static_cast<std::ptrdiff_t>(i), fill);
        return true;
      }
    }
    if (i < arranged.size()) open = std::max(open, arranged[i].End());
  }
  return false;
}

// The entries left of list where an entry covers [a, b).
std::vector<CPlayTask> Uncovered(const std::vector<CPlayTask>& list, std::int32_t a, std::int32_t b) {
  std::vector<CPlayTask> left;
  for (const CPlayTask& entry : list) {
    if (!Overlaps(entry, a, b)) {
      left.push_back(entry);
      continue;
    }
    if (entry.start < a) {
      CPlayTask before = entry;
      before.Trim(entry.start, a);
      if (before.length > 0) left.push_back(before);
    }
    if (entry.End() > b) {
      CPlayTask after = entry;
      after.Trim(b, entry.End());
      if (after.length > 0) left.push_back(after);
    }
  }
  return left;
}

// Transparent pictures, each cut to the play and to where no opaque entry of
// a track above covers it, one at a time (the topmost where they overlap).
std::vector<CPlayTask> ArrangeOverlays(const std::vector<CPlayTask>& entries, std::int32_t startFrame,
                                       std::int32_t endFrame) {
  std::vector<const CTrack*> trackOrder;
  for (const CPlayTask& entry : entries) {
    if (std::find(trackOrder.begin(), trackOrder.end(), entry.trackKey) == trackOrder.end()) {
      trackOrder.push_back(entry.trackKey);
    }
  }
  const auto rank = [&](const CPlayTask& entry) {
    return std::find(trackOrder.begin(), trackOrder.end(), entry.trackKey) - trackOrder.begin();
  };
  std::vector<CPlayTask> pieces;
  for (const CPlayTask& overlay : entries) {
    if (!overlay.transparent) continue;
    CPlayTask cut = overlay;
    cut.Trim(startFrame, endFrame);
    if (cut.length <= 0) continue;
    std::vector<CPlayTask> shown{cut};
    for (const CPlayTask& above : entries) {
      if (!above.transparent && rank(above) < rank(overlay)) shown = Uncovered(shown, above.start, above.End());
    }
    pieces.insert(pieces.end(), shown.begin(), shown.end());
  }
  std::vector<CPlayTask> arranged;
  while (FillFirstGap(arranged, pieces, startFrame, endFrame)) {
  }
  return arranged;
}

std::vector<CPlayTask> CutToPlay(const std::vector<CPlayTask>& entries, std::int32_t startFrame,
                                 std::int32_t endFrame) {
  std::vector<CPlayTask> kept;
  for (const CPlayTask& entry : entries) {
    if (entry.start > endFrame || entry.End() < startFrame) continue;
    CPlayTask copy = entry;
    copy.Trim(startFrame, endFrame);
    // An entry that rounding left without a single frame in the play would
    // reach the board as an empty fragment.
    if (copy.length > 0) kept.push_back(copy);
  }
  return kept;
}

std::optional<CPlayList> FinishList(CPlayList list, bool pillarcastCompatible) {
  if (list.Empty() || pillarcastCompatible) return std::nullopt;
  ArrangeVideoList(list);
  ArrangeAudioAndTitleLists(list);
  // Entries that rounding left without a frame inside the play are gone.
  if (list.Empty()) return std::nullopt;
  return list;
}

CPlayList EmptyList(TimeMs from, TimeMs to, double frameDelta, const CMovieMap& map) {
  CPlayList list;
  list.frameDelta = UsableFrameDelta(frameDelta);
  list.startFrame = PlayRound(from / list.frameDelta);
  list.endFrame = PlayRound(to / list.frameDelta);
  list.playFrom = from;
  list.playTo = to;
  list.movieMap = &map;
  return list;
}

// An offline movie picture plays as black over its span; offline sound is
// silence and an offline title image shows nothing, so they give no entry.
std::optional<CPlayTask> MakeBlankTask(const CFilm& clip, const CTrack& track, double frameDelta) {
  const bool moviePicture = (clip.flags & SourceFlags::MovieFile) && HasPicture(clip.flags);
  if (track.Group() != TrackGroup::Video || !moviePicture) return std::nullopt;
  const double d = UsableFrameDelta(frameDelta);
  CPlayTask task;
  task.blank = true;
  task.trackKey = &track;
  task.start = PlayRound(clip.start / d);
  task.length = PlayRound(clip.End() / d) - task.start;
  return task;
}

}  // namespace

std::int32_t PlayRound(double value) { return ClampedCast<std::int32_t>(value + 0.5); }

void CPlayTask::Trim(std::int32_t a, std::int32_t b) {
  const auto limitToSource = [this] {
    if (sourceLength != 0 && in + length > sourceLength) length = sourceLength - in;
  };
  if (a > start) {
    in += a - start;
    length -= a - start;
    start = a;
    limitToSource();
  }
  if (start + length > b) {
    length = b - start;
    limitToSource();
  }
}

std::vector<const CTrack*> IncludedTracks(const CTimelineData& timeline) {
  bool soloExists = false;
  for (const auto& track : timeline.tracks) {
    if (track->shown && track->playState == PlayState::Solo) soloExists = true;
  }
  std::vector<const CTrack*> included;
  for (const auto& track : timeline.tracks) {
    if (!track->clips.empty() && track->shown && track->IsPlayed(soloExists)) included.push_back(track.get());
  }
  return included;
}

PlayRange ComputePlayRange(const CTimelineData& timeline, const ProjectTimes& times) {
  const std::vector<const CTrack*> included = IncludedTracks(timeline);
  const TimeMs mark = times.timeMark;
  PlayRange range;
  if (times.RangePresent()) {
    range.to = times.rangeStop;
    range.from = mark >= times.rangeStart && mark <= times.rangeStop ? mark : times.rangeStart;
    return range;
  }
  bool endsAfterMark = false;
  bool markInsideClip = false;
  range.to = mark;
  for (const CTrack* track : included) {
    for (const auto& clip : track->clips) {
      if (clip->End() > mark) {
        endsAfterMark = true;
        range.to = std::max(range.to, clip->End());
      }
      if (clip->start < mark && mark < clip->End()) markInsideClip = true;
    }
  }
  if (!endsAfterMark) range.to = -1.0;
  if (markInsideClip) {
    range.from = mark;
    return range;
  }
  range.from = times.projectSize;
  for (const CTrack* track : included) {
    // A crawl title is already on its way in at its start, so a play that
    // begins at it starts from the mark rather than at the clip.
    const bool crawl = track->Kind() == TrackKind::TitleMovable;
    for (const auto& clip : track->clips) range.from = std::min(range.from, crawl ? mark : clip->start);
  }
  range.from = std::max(range.from, 0.0);
  return range;
}

std::optional<CPlayTask> MakePlayTask(const CFilm& clip, const CTrack& track, double frameDelta,
                                      const CMovieMap& map) {
  if (!clip.source || clip.source->offline) return std::nullopt;
  const TrackType group = track.Group();
  const bool stillPicture = (clip.flags & SourceFlags::VideoStream) && !(clip.flags & SourceFlags::MovieFile);
  const CMovieMapItem* item = map.Find(clip.source->path);
  if (!item) return std::nullopt;
  // The board plays pictures and sound from a movie, titles from a still
  // image, and on video tracks still images too, fitted like movies.
  const bool stillOnVideo = group == TrackGroup::Video && stillPicture;
  const bool usable = group == TrackGroup::Title || stillOnVideo ? item->stillImage != nullptr : item->movie != nullptr;
  if (!usable) return std::nullopt;

  const double d = UsableFrameDelta(frameDelta);
  CPlayTask task;
  task.movieItem = item;
  task.trackKey = &track;
  task.fileName = clip.source->path;
  task.in = PlayRound(clip.inPoint / d);
  const double roundingError = task.in * d - clip.inPoint;
  task.start = PlayRound((clip.start + roundingError) / d);
  task.length = PlayRound((clip.duration - roundingError) / d);
  task.sourceLength = ClampedCast<std::int32_t>(std::floor(clip.sourceLength / d));
  // A still lasts as long as its clip wherever the clip is cut.
  if (stillOnVideo) task.sourceLength = 0;
  if (task.sourceLength != 0 && task.in + task.length > task.sourceLength) {
    task.length = task.sourceLength - task.in;
  }
  if (group == TrackGroup::Video) {
    task.transparent = stillOnVideo ? item->stillImage->HasTransparency() : item->movie->HasTransparency();
  }
  task.level = track.volume * clip.volume;
  task.fadeIn = clip.useTrackFadeIn ? track.fadeIn : clip.fadeIn;
  task.fadeOut = clip.useTrackFadeOut ? track.fadeOut : clip.fadeOut;
  return task;
}

std::optional<CPlayList> BuildPlayList(const std::vector<const CTrack*>& tracks, TimeMs from, TimeMs to,
                                       double frameDelta, const CMovieMap& map, bool pillarcastCompatible) {
  CPlayList list = EmptyList(from, to, frameDelta, map);
  int number = 0;
  for (const CTrack* track : tracks) {
    std::vector<CPlayTask>* target = ListOfGroup(list, track->Group());
    if (!target) continue;
    for (const auto& clip : track->clips) {
      if (!(clip->start < to && clip->End() > from)) continue;
      std::optional<CPlayTask> task = clip->source && clip->source->offline
                                          ? MakeBlankTask(*clip, *track, list.frameDelta)
                                          : MakePlayTask(*clip, *track, list.frameDelta, map);
      if (!task) continue;
      task->entryText = std::to_string(number++);
      target->push_back(std::move(*task));
    }
  }
  return FinishList(std::move(list), pillarcastCompatible);
}

std::optional<CPlayList> BuildClipPlayList(const CFilm& clip, TimeMs from, TimeMs to, double frameDelta,
                                           const CMovieMap& map, bool pillarcastCompatible) {
  CPlayList list = EmptyList(from, to, frameDelta, map);
  if (!clip.track) return std::nullopt;
  std::vector<CPlayTask>* target = ListOfGroup(list, clip.track->Group());
  std::optional<CPlayTask> task = MakePlayTask(clip, *clip.track, list.frameDelta, map);
  if (!target || !task) return std::nullopt;
  if (clip.track->Group() == TrackGroup::Title) {
    task->in = 0;
    // The entry is the whole image: nothing of it lies beyond its end, so
    // the fade-out is the clip's own.
    task->sourceLength = task->length;
  }
  task->entryText = "0";
  target->push_back(std::move(*task));
  return FinishList(std::move(list), pillarcastCompatible);
}

void ArrangeVideoList(CPlayList& list) {
  // Transparent pictures leave the arrangement, so that the tracks below
  // fill under them, and are laid over it.
  list.overlayList = ArrangeOverlays(list.videoList, list.startFrame, list.endFrame);
  list.videoList.erase(std::remove_if(list.videoList.begin(), list.videoList.end(),
                                      [](const CPlayTask& entry) { return entry.transparent; }),
                       list.videoList.end());
  if (list.videoList.empty()) return;
  const CTrack* mainTrack = list.videoList.front().trackKey;
  std::vector<CPlayTask> arranged;
  std::int32_t position = list.startFrame;
  for (const CPlayTask& entry : list.videoList) {
    if (!(position < list.endFrame && entry.trackKey == mainTrack && entry.start <= list.endFrame)) break;
    if (entry.End() < list.startFrame) continue;
    CPlayTask copy = entry;
    copy.Trim(position, list.endFrame);
    // A clip lying wholly under the one before it has nothing left to show;
    // keeping it would move the position back.
    if (copy.length <= 0) continue;
    position = copy.End();
    arranged.push_back(std::move(copy));
  }
  while (FillFirstGap(arranged, list.videoList, list.startFrame, list.endFrame)) {
  }
  if (!arranged.empty() && arranged.front().start > list.startFrame) {
    CPlayTask first = arranged.front();
    first.start = list.startFrame;
    first.length = 1;
    arranged.insert(arranged.begin(), std::move(first));
  }
  list.videoList = std::move(arranged);
}

void ArrangeAudioAndTitleLists(CPlayList& list) {
  list.audioList = CutToPlay(list.audioList, list.startFrame, list.endFrame);
  list.titleList = CutToPlay(list.titleList, list.startFrame, list.endFrame);
  list.audioTrackKeys.clear();
  for (const CPlayTask& entry : list.audioList) {
    if (std::find(list.audioTrackKeys.begin(), list.audioTrackKeys.end(), entry.trackKey) ==
        list.audioTrackKeys.end()) {
      list.audioTrackKeys.push_back(entry.trackKey);
    }
  }
}

}  // namespace vantorelle
