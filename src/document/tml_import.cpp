#include "document/tml_import.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "document/document_views.h"
#include "document/vantorelle_doc.h"
#include "model/file_facts.h"
#include "model/source_paths.h"
#include "model/time_base.h"
#include "model/track.h"

namespace vantorelle {
namespace {

constexpr const char* kAppCaption = "Vantorelle";
constexpr double kMinimumVolume = 0.01;

class WaitCursor {
 public:
  explicit WaitCursor(ITmlImportHost& host) : host_(host) { host_.SetWaitCursor(true); }
  ~WaitCursor() { host_.SetWaitCursor(false); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  ITmlImportHost& host_;
};

// A clip about to be destroyed must leave no partner pointing at it.
void Destroy(std::unique_ptr<CFilm>& clip) {
  if (!clip) return;
  clip->Unlink();
  clip.reset();
}

std::unique_ptr<CFilm> MakeClip(CSrc& source, const TmlItem& item, SourceFlagBits flags, TimeMs start,
                                TimeMs duration, TimeMs inPoint) {
  auto clip = std::make_unique<CFilm>(&source);
  clip->flags = flags;
  clip->name = item.name;
  clip->start = start;
  clip->duration = duration;
  clip->inPoint = inPoint;
  clip->selection = 0;
  return clip;
}

TimeMs RoundToFrame(TimeMs t, double frameDelta) { return std::floor(t / frameDelta + 0.5) * frameDelta; }

// The clips of one side into the clip clipboard, each on the track of its
// group that its slot's rank among the used slots names. Clips that fall
// outside their source, shrink below a frame or find no track are dropped.
int PlaceInClipboard(CVantorelleDoc& doc, TmlSlotSide& side, TrackType group) {
  const std::vector<int> used = side.UsedSlots();
  std::vector<CTrack*> tracks;
  for (const auto& track : doc.timeline.tracks) {
    if (track->Group() == group) tracks.push_back(track.get());
  }
  const double frame = CurrentVideoStandard().FrameDelta;
  int placed = 0;
  for (auto& [key, clip] : side.clips) {
    if (!clip) continue;
    const bool movie = (clip->flags & SourceFlags::MovieFile) != 0;
    if (movie) {
      if (clip->duration > clip->source->duration) clip->duration = clip->source->duration;
      if (clip->inPoint >= clip->sourceLength) continue;
    }
    clip->sourceLength = std::floor(clip->sourceLength / frame) * frame;
    clip->inPoint = RoundToFrame(clip->inPoint, frame);
    clip->start = RoundToFrame(clip->start, frame);
    clip->duration = RoundToFrame(clip->duration, frame);
    // A still image has no length of its own: the clip shows it for its duration.
    if (!movie) clip->sourceLength = clip->duration;
    if (clip->duration < frame) continue;
    const auto rank = std::find(used.begin(), used.end(), key - 1);
    if (rank == used.end()) continue;
    const auto index = static_cast<std::size_t>(rank - used.begin());
    if (index >= tracks.size()) continue;
    clip->track = tracks[index];
    doc.timeline.clipboard.push_back(std::move(clip));
    ++placed;
  }
  return placed;
}

void Retarget(TmlSlotSide& side, const CSrc* from, CSrc* to) {
  for (auto& [key, clip] : side.clips) {
    if (clip && clip->source == from) clip->source = to;
  }
}

// Newest first, so that of several imported sources of one file the last
// joins the project and the earlier ones find it there.
int HandOnSources(CVantorelleDoc& doc, ITmlImportHost& host, TmlImportContext& context) {
  int added = 0;
  for (std::size_t i = context.sources.size(); i-- > 0;) {
    std::unique_ptr<CSrc>& imported = context.sources[i];
    if (CSrc* existing = doc.FindSourceByPath(imported->path)) {
      Retarget(context.sound, imported.get(), existing);
      Retarget(context.picture, imported.get(), existing);
      imported.reset();
      continue;
    }
    if (!host.OfferToClipCollection(*imported)) {
      context.sound.DropClipsOf(imported.get());
      context.picture.DropClipsOf(imported.get());
      imported.reset();
      continue;
    }
    CSrc& source = *imported;
    doc.sources.push_back(std::move(imported));
    ++added;
    if (source.flags & SourceFlags::PictureStreams) host.AddToFramePictureCache(source);
  }
  context.sources.clear();
  return added;
}

std::string Format(const char* pattern, int a) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, a);
  return text;
}

std::string Format(const char* pattern, int a, int b) {
  char text[96];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

}  // namespace

std::vector<int> TmlSlotSide::UsedSlots() const {
  std::vector<int> slots;
  for (int slot = 0; slot < kTmlSlotCount; ++slot) {
    if (uses[static_cast<std::size_t>(slot)] > 0) slots.push_back(slot);
  }
  return slots;
}

void TmlSlotSide::Store(int slot, std::unique_ptr<CFilm> clip) {
  ++uses[static_cast<std::size_t>(slot)];
  std::unique_ptr<CFilm>& entry = clips[slot + 1];
  Destroy(entry);
  entry = std::move(clip);
}

void TmlSlotSide::DropAbove(int limitKey) {
  for (auto it = clips.upper_bound(limitKey); it != clips.end();) {
    Destroy(it->second);
    it = clips.erase(it);
  }
}

void TmlSlotSide::DropClipsOf(const CSrc* source) {
  for (auto it = clips.begin(); it != clips.end();) {
    if (it->second && it->second->source == source) {
      Destroy(it->second);
      it = clips.erase(it);
    } else {
      ++it;
    }
  }
}

void TmlImportContext::Clear() {
  for (TmlSlotSide* side : {&sound, &picture}) {
    for (auto& [key, clip] : side->clips) Destroy(clip);
    side->clips.clear();
    side->uses.fill(0);
  }
  sources.clear();
  probed_.clear();
}

std::unique_ptr<CSrc> TmlImportContext::SourceOf(const SourceReadContext& reading, const std::string& fullPath) {
  auto [entry, first] = probed_.try_emplace(fullPath);
  if (first) entry->second = MakeSourceFromFile(reading, fullPath);
  const CSrc* read = entry->second.get();
  if (!read) return nullptr;
  // Each item keeps a source of its own, as when every item read its file:
  // which one joins the project and which are merged into it stays the same.
  auto copy = std::make_unique<CSrc>(read->path, read->name);
  copy->modified = read->modified;
  copy->size = read->size;
  copy->flags = read->flags;
  copy->duration = read->duration;
  copy->icon = read->icon;
  copy->frameWidth = read->frameWidth;
  copy->frameHeight = read->frameHeight;
  copy->GuardWith(read->Guard());
  return copy;
}

// Sources keep full paths whatever path the import was given, so that the
// same file already collected is found and a save stores a real location.
static std::string FullSourcePath(const std::string& path) {
  if (IsAbsoluteStoredPath(path) && path.front() != '/') return path;  // a Windows path stays as written
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(path, error);
  return error ? path : full.lexically_normal().string();
}

void ConvertTmlItem(const TmlItem& item, const SourceReadContext& reading, IUserInterface& ui,
                    TmlImportContext& context) {
  if (!item.Usable()) return;
  if (!ReadFileFacts(item.filePath)) {
    ui.ShowMessage("Can't find file: '" + item.filePath + "'", kAppCaption, MessageIcon::None, MessageButtons::Ok);
    return;
  }
  auto made = context.SourceOf(reading, FullSourcePath(item.filePath));
  if (!made) return;
  CSrc& source = *made;
  context.sources.push_back(std::move(made));

  const TimeMs start = SnapToFrameNearest(item.start);
  const TimeMs duration = SnapToFrameNearest(static_cast<TimeMs>(item.stop) - item.start);
  const TimeMs inPoint = SnapToFrameNearest(item.inPoint);
  const double volume = static_cast<double>(item.level) / kTmlDefaultLevel;
  const SourceFlagBits movie = source.flags & SourceFlags::MovieFile;

  // A side the file does not carry makes no clip: a picture clip of a
  // sound file would show nothing and a sound clip of an image play nothing.
  CFilm* soundClip = nullptr;
  if (item.soundSlot >= 0 && movie && (source.flags & SourceFlags::AudioStream)) {
    auto clip = MakeClip(source, item, ClipFlags::MovieFile | ClipFlags::AudioStream, start, duration, inPoint);
    clip->fadeIn = item.fadeIn;
    clip->fadeOut = item.fadeOut;
    clip->volume = std::max(volume, kMinimumVolume);
    soundClip = clip.get();
    context.sound.Store(item.soundSlot, std::move(clip));
  }
  if (item.pictureSlot >= 0 && HasPicture(source.flags)) {
    // A still image is no movie file: its clip starts at its beginning.
    auto clip = MakeClip(source, item, ClipFlags::VideoStream | movie, start, duration, movie ? inPoint : 0.0);
    if (soundClip) CFilm::Link(*soundClip, *clip);
    context.picture.Store(item.pictureSlot, std::move(clip));
  }
}

void ConvertTmlItems(const TmlProject& project, const SourceReadContext& reading, IUserInterface& ui,
                     TmlImportContext& context) {
  for (const TmlItem& item : project.items) ConvertTmlItem(item, reading, ui, context);
}

std::string TmlSurplusSlotsQuestion(int usedSoundSlots, int usedPictureSlots, int audioTracks, int videoTracks) {
  const bool soundExceeds = usedSoundSlots > audioTracks;
  const bool pictureExceeds = usedPictureSlots > videoTracks;
  if (!soundExceeds && !pictureExceeds) return {};
  std::string first;
  std::string second;
  if (soundExceeds && pictureExceeds) {
    first = Format("There're %d audio and %d video", usedSoundSlots, usedPictureSlots);
    second = Format("%d audio and %d video ", audioTracks, videoTracks);
  } else if (soundExceeds) {
    first = Format("There're %d audio", usedSoundSlots);
    second = Format("%d audio ", audioTracks);
  } else {
    first = Format("There're %d video", usedPictureSlots);
    second = Format("%d video ", videoTracks);
  }
  return first + " tracks in the selected Velmo project.\n" + "But in the current project there're " + second +
         "tracks only.\n" + "Superfluous clips will be deleted!";
}

int TmlSlotLimitKey(const std::vector<int>& usedSlots, int trackCount) {
  if (usedSlots.empty()) return 0;
  if (trackCount <= 0 || static_cast<std::size_t>(trackCount) > usedSlots.size()) return usedSlots.back() + 1;
  return usedSlots[static_cast<std::size_t>(trackCount - 1)] + 1;
}

TmlImportResult ImportVelmoProject(CVantorelleDoc& doc, ITmlImportHost& host) {
  FileDialogRequest request;
  request.title = kTmlImportCaption;
  request.filters = {{"Velmo project(*.tml)", "*.tml"}};
  request.defaultExtension = "tml";
  const auto path = doc.Ui().AskOpenFileName(request);
  if (!path) return TmlImportResult{};
  return ImportVelmoProjectFile(doc, host, *path);
}

TmlImportResult ImportVelmoProjectFile(CVantorelleDoc& doc, ITmlImportHost& host, const std::string& path) {
  TmlImportResult result;
  TmlImportContext context;
  {
    WaitCursor wait(host);
    const TmlReadResult read = ReadTimelineProject(path);
    result.status = read.status;
    result.reason = read.reason;
    if (read.status != TmlStatus::Ok) {
      result.outcome = TmlImportOutcome::Unreadable;
      return result;
    }
    const SourceReadContext reading{MediaReadContext{doc.Board(), doc.Ui(), FrameSizeRule{}}, doc.stillImages,
                                    nullptr};
    ConvertTmlItems(read.project, reading, doc.Ui(), context);
  }
  if (context.sources.empty()) {
    result.outcome = TmlImportOutcome::NoSources;
    return result;
  }

  const int audioTracks = doc.timeline.CountInGroup(TrackGroup::Audio);
  const int videoTracks = doc.timeline.CountInGroup(TrackGroup::Video);
  const std::string question = TmlSurplusSlotsQuestion(context.sound.UsedCount(), context.picture.UsedCount(),
                                                       audioTracks, videoTracks);
  if (!question.empty()) {
    const MessageAnswer answer =
        doc.Ui().ShowMessage(question, kTmlImportCaption, MessageIcon::Warning, MessageButtons::OkCancel);
    if (answer != MessageAnswer::Ok) {
      context.Clear();
      result.outcome = TmlImportOutcome::Declined;
      return result;
    }
    context.sound.DropAbove(TmlSlotLimitKey(context.sound.UsedSlots(), audioTracks));
    context.picture.DropAbove(TmlSlotLimitKey(context.picture.UsedSlots(), videoTracks));
  }

  WaitCursor wait(host);
  doc.timeline.clipboard.clear();
  result.sourcesAdded = HandOnSources(doc, host, context);
  host.Repaint(RedrawMask::All);
  // Imported clips reach the clipboard unlinked: whichever partner is
  // dropped below must not leave the other pointing at it.
  for (TmlSlotSide* side : {&context.sound, &context.picture}) {
    for (auto& [key, clip] : side->clips) {
      if (clip) clip->Unlink();
    }
  }
  result.clipsPlaced = PlaceInClipboard(doc, context.sound, TrackGroup::Audio);
  result.clipsPlaced += PlaceInClipboard(doc, context.picture, TrackGroup::Video);
  context.Clear();
  result.outcome = TmlImportOutcome::Imported;
  return result;
}

}  // namespace vantorelle
