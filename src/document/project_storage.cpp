#include "document/project_storage.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unordered_map>
#include <unordered_set>
#include <vector>
#include <memory>
#include <system_error>

#include "document/atomic_file.h"
#include "document/project_file_reading.h"
#include "document/project_value_limits.h"
#include "document/save_temporaries.h"
#include "document/vantorelle_doc.h"
#include "model/file_facts.h"
#include "model/regular_file.h"
#include "model/source_paths.h"
#include "playback/source_reading.h"

namespace vantorelle {
namespace {

constexpr const char* kSaveFailed = "Can't save the active project";
constexpr const char* kSaveCaption = "Save project";
constexpr const char* kOpenFailed = "Can't restore saved project";
constexpr const char* kOpenCaption = "Restore project";
constexpr const char* kDataError = "Data error.";
constexpr const char* kClipsCaption = "Open Project";

namespace fs = std::filesystem;

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

// ---- saving ---------------------------------------------------------------

ProjectSettingsBlock SettingsBlockOf(const CVantorelleDoc& doc) {
  ProjectSettingsBlock s;
  const DocumentPreferences& p = doc.preferences;
  s.snapshotsType = p.snapshotsType;
  s.slideShowDuration = doc.durations.slideShowDuration;
  s.stillImageDuration = doc.durations.stillImageDuration;
  s.liveDuration = doc.durations.liveDuration;
  s.workAreaStop = doc.timeline.workArea.stop;
  s.workAreaStart = doc.timeline.workArea.start;
  s.projectSize = doc.times.projectSize;
  s.timeMark = doc.times.timeMark;
  s.exclusiveSolo = p.exclusiveSolo;
  s.pickRedLine = p.pickRedLine;
  s.timeDisplayMode = p.timeDisplayMode;
  s.rangeStart = doc.times.rangeStart;
  s.rangeStop = doc.times.rangeStop;
  s.playbackStartType = p.playbackStartType;
  s.loadClipFilterIndex = p.loadClipFilterIndex;
  s.loadSourceFilterIndex = p.loadSourceFilterIndex;
  s.undoDepth = p.undoDepth;
  s.repeatClipValue = p.repeatClipValue;
  s.firstVisibleTrack = p.firstVisibleTrack;
  s.dirViewFilterIndex = p.dirViewFilterIndex;
  return s;
}

ProjectTrackRecord TrackRecordOf(const CTrack& track) {
  ProjectTrackRecord t;
  t.typeWord = track.type;
  t.height = track.height;
  t.playState = static_cast<std::int32_t>(track.playState);
  t.name = track.name;
  t.shown = track.shown;
  t.direction = track.direction;
  t.precision = track.precision;
  t.regionLeft = track.regionLeft;
  t.regionTop = track.regionTop;
  t.regionHeight = track.regionHeight;
  t.regionWidth = track.regionWidth;
  t.maxSpeed = track.maxSpeed;
  t.trackIndex = track.fileIndex;
  t.fadeIn = track.fadeIn;
  t.fadeOut = track.fadeOut;
  t.volume = track.volume;
  return t;
}

ProjectSourceRecord SourceRecordOf(const CSrc& source, const std::string& projectDirectory) {
  ProjectSourceRecord s;
  s.sourceIndex = source.index;
  s.fullPath = source.path;
  // An offline source was never found: its paths go back as they were read.
  s.storedPath = source.offline ? source.storedPath : MakeRelativePath(source.path, projectDirectory);
  s.fileName = source.name;
  s.modified = source.modified;
  s.flags = source.flags;
  s.duration = source.duration;
  s.fileSize = static_cast<std::int32_t>(source.size);
  s.frameHeight = source.frameHeight;
  s.frameWidth = source.frameWidth;
  return s;
}

ProjectClipRecord ClipRecordOf(const CFilm& clip) {
  ProjectClipRecord c;
  c.number = clip.number;
  c.sourceIndex = clip.source->index;
  c.trackIndex = clip.track->fileIndex;
  c.selection = clip.selection;
  c.name = clip.name;
  c.sourceLength = clip.sourceLength;
  c.start = clip.start;
  c.duration = clip.duration;
  c.inPoint = clip.inPoint;
  c.fadeIn = clip.fadeIn;
  c.fadeOut = clip.fadeOut;
  c.volume = clip.volume;
  c.flags = clip.flags;
  c.useTrackFadeIn = clip.useTrackFadeIn;
  c.useTrackFadeOut = clip.useTrackFadeOut;
  for (const CFilm* linked : clip.links) c.linkedNumbers.push_back(linked->number);
  // Links are a set; the order they were made in depends on how the clips
  // were read, so they are written in one order and a resave keeps its bytes.
  std::sort(c.linkedNumbers.begin(), c.linkedNumbers.end());
  return c;
}

// ---- opening --------------------------------------------------------------

void ApplySettingsBlock(CVantorelleDoc& doc, const ProjectSettingsBlock& stored) {
  const ProjectSettingsBlock s = LimitedSettings(stored);
  DocumentPreferences& p = doc.preferences;
  p.snapshotsType = s.snapshotsType;
  doc.durations.slideShowDuration = s.slideShowDuration;
  doc.durations.stillImageDuration = s.stillImageDuration;
  doc.durations.liveDuration = s.liveDuration;
  doc.timeline.workArea.stop = s.workAreaStop;
  doc.timeline.workArea.start = s.workAreaStart;
  doc.times.projectSize = s.projectSize;
  doc.times.timeMark = s.timeMark;
  p.exclusiveSolo = s.exclusiveSolo;
  p.pickRedLine = s.pickRedLine;
  doc.SetTimeDisplayMode(s.timeDisplayMode);
  doc.times.rangeStart = s.rangeStart;
  doc.times.rangeStop = s.rangeStop;
  p.playbackStartType = s.playbackStartType;
  p.loadClipFilterIndex = s.loadClipFilterIndex;
  p.loadSourceFilterIndex = s.loadSourceFilterIndex;
  // The history keeps its capacity until the settings dialog changes the depth.
  p.undoDepth = s.undoDepth;
  p.repeatClipValue = s.repeatClipValue;
  p.firstVisibleTrack = s.firstVisibleTrack;
  p.dirViewFilterIndex = s.dirViewFilterIndex;
}

std::unique_ptr<CTrack> TrackFromRecord(const ProjectTrackRecord& stored) {
  const ProjectTrackRecord t = LimitedTrack(stored);
  auto track = std::make_unique<CTrack>(t.typeWord, t.height);
  track->playState = static_cast<PlayState>(t.playState);
  track->name = t.name;
  track->shown = t.shown;
  track->direction = t.direction;
  track->precision = t.precision;
  track->regionLeft = t.regionLeft;
  track->regionTop = t.regionTop;
  track->regionHeight = t.regionHeight;
  track->regionWidth = t.regionWidth;
  track->maxSpeed = t.maxSpeed;
  track->fileIndex = t.trackIndex;
  track->fadeIn = t.fadeIn;
  track->fadeOut = t.fadeOut;
  track->volume = t.volume;
  return track;
}

std::unique_ptr<CSrc> SourceFromRecord(const ProjectSourceRecord& stored) {
  const ProjectSourceRecord s = LimitedSource(stored);
  auto source = std::make_unique<CSrc>(s.fullPath, s.fileName);
  source->index = s.sourceIndex;
  source->storedPath = s.storedPath;
  source->modified = s.modified;
  source->flags = s.flags;
  source->duration = s.duration;
  source->size = static_cast<std::uint32_t>(s.fileSize);
  source->frameHeight = s.frameHeight;
  source->frameWidth = s.frameWidth;
  source->usageCount = 0;
  return source;
}

std::unique_ptr<CFilm> ClipFromRecord(const ProjectClipRecord& stored) {
  const ProjectClipRecord c = LimitedClip(stored);
  auto clip = std::make_unique<CFilm>();
  clip->number = c.number;
  clip->selection = c.selection;
  clip->name = c.name;
  clip->sourceLength = c.sourceLength;
  clip->start = c.start;
  clip->duration = c.duration;
  clip->inPoint = c.inPoint;
  clip->fadeIn = c.fadeIn;
  clip->fadeOut = c.fadeOut;
  clip->volume = c.volume;
  clip->flags = c.flags;
  clip->useTrackFadeIn = c.useTrackFadeIn;
  clip->useTrackFadeOut = c.useTrackFadeOut;
  // A fade below nothing or longer than the clip is dropped, as a trim drops it.
  clip->fadeIn = std::max(clip->fadeIn, 0.0);
  clip->fadeOut = std::max(clip->fadeOut, 0.0);
  clip->LimitFades();
  return clip;
}

template <typename T>
T* Lookup(const std::unordered_map<std::int32_t, T*>& map, std::int32_t key) {
  const auto found = map.find(key);
  return found == map.end() ? nullptr : found->second;
}

std::string FolderOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

class ProjectOpening {
 public:
  ProjectOpening(CVantorelleDoc& doc, const ProjectOpenOptions& options)
      : doc_(doc), ui_(doc.Ui()), options_(options) {}

  // Whether what was read differs from what a save would write back (a
  // source relocated by Browse, found elsewhere or read again).
  bool ChangedSources() const { return changedSources_; }

  void Apply(const ProjectFileContents& contents) {
    ApplySettingsBlock(doc_, contents.settings);
    for (const auto& record : contents.tracks) doc_.timeline.tracks.push_back(TrackFromRecord(record));
    doc_.windowLayout = contents.layout;
    ApplyFavourites(contents.favourites);
    doc_.treeNodes.clear();
    for (const auto& node : contents.treeNodes) doc_.treeNodes.push_back({node.path, node.expanded});
    ReadSources(contents.sources);
    ReadClips(contents.clips);
    changedSources_ = SourcesDifferFrom(contents.sources);
  }

 private:
  SourceReadContext ReadContext() const {
    return SourceReadContext{MediaReadContext{doc_.Board(), ui_, FrameSizeRule{}}, doc_.stillImages,
                             options_.fileInWork};
  }

  void ApplyFavourites(const std::vector<ProjectFavouriteRecord>& favourites) {
    doc_.favouriteDirectories.clear();
    for (const auto& favourite : favourites) {
      if (favourite.name.empty() || favourite.path.empty()) continue;
      std::error_code error;
      if (!fs::is_directory(favourite.path, error)) continue;
      doc_.favouriteDirectories.push_back({favourite.path, favourite.name, favourite.filterIndex});
    }
  }

  // Sources whose file cannot be found or read stay, offline, with their
  // clips: nothing of the project goes unless the person deletes it.
  void ReadSources(const std::vector<ProjectSourceRecord>& records) {
    const SourceReadContext context = ReadContext();
    std::vector<std::unique_ptr<CSrc>> accepted;
    std::vector<CSrc*> missing;
    for (const auto& record : records) {
      auto source = SourceFromRecord(record);
      source->GuardWith(options_.fileInWork);
      switch (CheckSourceAgainstDisk(context, *source, doc_.ProjectDirectory())) {
        case DiskCheck::Found: break;
        case DiskCheck::Missing: missing.push_back(source.get()); break;
        case DiskCheck::RereadFailed:
          source->path = record.fullPath;
          source->offline = true;
          break;
      }
      accepted.push_back(std::move(source));
    }
    // "Skip All" answers for this open only.
    bool skipAll = false;
    for (CSrc* source : missing) {
      source->offline = skipAll || !AskForMissing(context, *source, skipAll);
    }
    for (auto& source : accepted) {
      if (source) doc_.sources.push_back(std::move(source));
    }
  }

  // True when the source was found elsewhere; otherwise it is unchanged.
  // Two stored sources may be relocated onto one file: both keep their clips.
  bool AskForMissing(const SourceReadContext& context, CSrc& source, bool& skipAll) {
    MissingSourceRequest request;
    request.location = ResolveStoredPath(source.storedPath, doc_.ProjectDirectory());
    request.fileName = source.name;
    request.candidates = FindRememberedCandidates(rememberedDirectories_, source.name);
    const MissingSourceAnswer answer = ui_.AskMissingSource(request);
    switch (answer.kind) {
      case MissingSourceAnswer::Kind::FileChosen: break;
      case MissingSourceAnswer::Kind::SkipAll: skipAll = true; return false;
      default: return false;
    }
    if (!RereadSource(context, source, answer.chosenPath)) return false;
    const std::string directory = answer.chosenDirectory.empty() ? FolderOf(answer.chosenPath)
                                                                 : answer.chosenDirectory;
    if (std::find(rememberedDirectories_.begin(), rememberedDirectories_.end(), directory) ==
        rememberedDirectories_.end()) {
      rememberedDirectories_.push_back(directory);
    }
    source.icon = SourceIconFor(source.flags);
    return true;
  }

  bool SourcesDifferFrom(const std::vector<ProjectSourceRecord>& records) const {
    if (doc_.sources.size() != records.size()) return true;
    for (std::size_t i = 0; i < records.size(); ++i) {
      const ProjectSourceRecord& read = records[i];
      const ProjectSourceRecord written = SourceRecordOf(*doc_.sources[i], doc_.ProjectDirectory());
      if (written.fullPath != read.fullPath || written.storedPath != read.storedPath ||
          written.fileName != read.fileName || written.modified != read.modified || written.flags != read.flags ||
          written.duration != read.duration || written.fileSize != read.fileSize ||
          written.frameHeight != read.frameHeight || written.frameWidth != read.frameWidth) {
        return true;
      }
    }
    return false;
  }

  // The tracks were made just before, empty. Each takes its clips in start
  // order, those of equal start in file order, as inserting them one by one
  // from the last would, but in one pass: a project of many clips opens in
  // time linear in them.
  void ReadClips(const std::vector<ProjectClipRecord>& records) {
    struct Placed {
      std::unique_ptr<CFilm> clip;
      const std::vector<std::int32_t>* linkedNumbers;
    };
    const auto& trackList = doc_.timeline.tracks;
    // First match in list order, as the records were written.
    std::unordered_map<std::int32_t, std::size_t> trackAt;
    for (std::size_t i = 0; i < trackList.size(); ++i) trackAt.emplace(trackList[i]->fileIndex, i);
    std::unordered_map<std::int32_t, CSrc*> sources;
    for (const auto& source : doc_.sources) sources.emplace(source->index, source.get());
    std::vector<std::vector<Placed>> placed(trackList.size());
    bool anyLinks = false;
    for (const auto& record : records) {
      const auto track = trackAt.find(record.trackIndex);
      CSrc* source = Lookup(sources, record.sourceIndex);
      if (track == trackAt.end() || !source) continue;
      if (!ClipTimesUsable(record)) continue;
      // Nor can a clip that ends before it starts.
      if (record.duration < 0.0) continue;
      auto clip = ClipFromRecord(record);
      clip->source = source;
      anyLinks = anyLinks || !record.linkedNumbers.empty();
      placed[track->second].push_back({std::move(clip), &record.linkedNumbers});
    }
    const auto byStart = [](const Placed& a, const Placed& b) { return a.clip->start < b.clip->start; };
    std::size_t clipCount = 0;
    for (std::size_t i = 0; i < trackList.size(); ++i) {
      std::vector<Placed>& onTrack = placed[i];
      // A file this program saved lists each track's clips in order already.
      if (!std::is_sorted(onTrack.begin(), onTrack.end(), byStart)) {
        std::stable_sort(onTrack.begin(), onTrack.end(), byStart);
      }
      CTrack& track = *trackList[i];
      track.clips.reserve(onTrack.size());
      for (Placed& p : onTrack) {
        p.clip->track = &track;
        track.clips.push_back(std::move(p.clip));
      }
      clipCount += onTrack.size();
    }
    if (!anyLinks) return;
    // The first clip in track order holding a number answers for it.
    std::unordered_map<std::int32_t, CFilm*> byNumber;
    byNumber.reserve(clipCount);
    for (const auto& track : trackList) {
      for (const auto& clip : track->clips) byNumber.emplace(clip->number, clip.get());
    }
    for (std::size_t i = 0; i < trackList.size(); ++i) {
      const CTrack& track = *trackList[i];
      for (std::size_t j = 0; j < placed[i].size(); ++j) {
        CFilm& clip = *track.clips[j];
        for (std::int32_t number : *placed[i][j].linkedNumbers) {
          CFilm* partner = Lookup(byNumber, number);
          // Links are mutual; a file that names only one side still links both.
          if (partner && partner != &clip) CFilm::Link(clip, *partner);
        }
      }
    }
  }

  CVantorelleDoc& doc_;
  IUserInterface& ui_;
  const ProjectOpenOptions& options_;
  std::vector<std::string> rememberedDirectories_;
  bool changedSources_ = false;
};

void FailOpen(CVantorelleDoc& doc) {
  doc.ClearContents(2);
  doc.ResetToEmptyProject();
  // The empty project must not pass for the damaged file: a later Save asks
  // for a name instead of overwriting it.
  doc.SetProjectPath({});
  doc.SetModified(false);
  doc.Ui().ShowMessage(kOpenFailed, kOpenCaption, MessageIcon::Error, MessageButtons::Ok);
}

}  // namespace

std::string MakeRelativePath(const std::string& fullPath, const std::string& projectDirectory) {
  std::string directory = projectDirectory;
  while (directory.size() > 1 && (directory.back() == '/' || directory.back() == '\\')) directory.pop_back();
  if (directory.empty() || fullPath.size() <= directory.size() + 1) return fullPath;
  // Case matters: /x/Show and /x/show are two folders.
  if (std::string_view(fullPath).substr(0, directory.size()) != directory) return fullPath;
  // "/media/clips2/a.avi" is not below "/media/clips".
  const char next = fullPath[directory.size()];
  if (next != '/' && next != '\\' && directory != "/") return fullPath;
  return fullPath.substr(directory == "/" ? 1 : directory.size() + 1);
}

std::vector<std::string> FindRememberedCandidates(const std::vector<std::string>& directories,
                                                  const std::string& fileName) {
  std::vector<std::string> candidates;
  for (const std::string& directory : directories) {
    std::string candidate = directory;
    if (!candidate.empty() && candidate.back() != '/' && candidate.back() != '\\') candidate += '/';
    candidate += fileName;
    if (ReadFileFacts(candidate)) candidates.push_back(candidate);
  }
  return candidates;
}

bool CollectProjectContents(CVantorelleDoc& doc, ProjectFileContents& contents) {
  contents = ProjectFileContents{};
  contents.settings = SettingsBlockOf(doc);
  // A project in one of the classic formats is written as every project
  // was before others could be chosen: byte for byte, without the block.
  if (const VideoFormat format = doc.Format(); !IsClassicFormat(format)) contents.format = format;
  for (std::size_t i = 0; i < doc.timeline.tracks.size(); ++i) {
    CTrack& track = *doc.timeline.tracks[i];
    track.fileIndex = static_cast<std::int32_t>(i);
    contents.tracks.push_back(TrackRecordOf(track));
  }
  contents.layout = doc.windowLayout;
  for (const auto& favourite : doc.favouriteDirectories) {
    contents.favourites.push_back({favourite.name, favourite.path, favourite.filterIndex});
  }
  for (const auto& node : doc.treeNodes) contents.treeNodes.push_back({node.path, node.expanded});
  for (std::size_t i = 0; i < doc.sources.size(); ++i) {
    CSrc& source = *doc.sources[i];
    source.index = static_cast<std::int32_t>(i);
    contents.sources.push_back(SourceRecordOf(source, doc.ProjectDirectory()));
  }
  std::int32_t number = 0;
  for (const auto& track : doc.timeline.tracks) {
    for (const auto& clip : track->clips) clip->number = ++number;
  }
  std::unordered_set<const CSrc*> held;
  for (const auto& source : doc.sources) held.insert(source.get());
  const auto holdsSource = [&](const CSrc* source) { return held.count(source) != 0; };
  for (const auto& track : doc.timeline.tracks) {
    for (const auto& clip : track->clips) {
      if (!clip->source || !holdsSource(clip->source) || clip->track != track.get()) return false;
      contents.clips.push_back(ClipRecordOf(*clip));
    }
  }
  return true;
}

bool SaveProjectFile(CVantorelleDoc& doc, const std::string& path, const AtomicWriteFaults& faults) {
  // Relative source paths are made against the new folder; the document
  // takes the new name only once the file is really there.
  const std::string previousPath = doc.ProjectPath();
  doc.SetProjectPath(AbsolutePath(path));
  ProjectFileContents contents;
  AtomicWriteResult written;
  if (CollectProjectContents(doc, contents)) {
    written = WriteFileAtomically(doc.ProjectPath(), WriteProjectFile(contents), faults);
  }
  if (!written) {
    doc.SetProjectPath(previousPath);
    doc.Ui().ShowMessage(WithReason(kSaveFailed, written.reason), kSaveCaption, MessageIcon::Error,
                         MessageButtons::Ok);
    return false;
  }
  // Saves cut short by a crash leave their temporaries (beside the file a
  // link points to); the next good one tidies up.
  std::string linkProblem;
  RemoveStaleSaveTemporaries(FollowLinks(doc.ProjectPath(), linkProblem).value_or(doc.ProjectPath()));
  doc.SetModified(false);
  return true;
}

ProjectOpenOutcome OpenProjectFile(CVantorelleDoc& doc, const std::string& path, const ProjectOpenOptions& options) {
  const std::string absolute = AbsolutePath(path);
  // Read as the parse goes: a folder, pipe or device is refused at the
  // open, and a huge file is never loaded whole.
  ProjectFileOnDisk file = ReadProjectFileAt(absolute);
  if (file.status == ProjectFileOnDisk::Status::Unreadable) {
    doc.Ui().ShowMessage(WithReason(kOpenFailed, file.reason), kOpenCaption, MessageIcon::Error,
                         MessageButtons::Ok);
    return ProjectOpenOutcome::Unreadable;
  }
  doc.SetProjectPath(absolute);
  if (file.status == ProjectFileOnDisk::Status::Empty) {
    doc.SetModified(false);
    return ProjectOpenOutcome::EmptyFile;
  }
  const ProjectFileReadResult& read = file.read;
  IDocumentViews* views = doc.Views();
  if (!read.ok || !views) {
    if (read.error.section == ProjectFileSection::Clips) {
      doc.Ui().ShowMessage(kDataError, kClipsCaption, MessageIcon::Warning, MessageButtons::Ok);
    }
    FailOpen(doc);
    return ProjectOpenOutcome::Failed;
  }
  doc.ClearContents(2);
  // Before any time is read: the project runs in the format it was made in.
  doc.SwitchFormat(read.contents.format.value_or(doc.PlainFormat()));
  ProjectOpening opening(doc, options);
  opening.Apply(read.contents);
  views->LayOutTracks(doc.preferences.firstVisibleTrack);
  views->TrackCountChanged(static_cast<int>(doc.timeline.tracks.size()));
  doc.SetFormatLeftAtDefault(false);
  doc.timeline.RecountSourceUsage(doc.SourcePointers());
  // Sources relocated or read again would be saved differently than read.
  doc.SetModified(opening.ChangedSources());
  views->FollowDocument();
  views->Repaint(RedrawMask::All);
  return ProjectOpenOutcome::Opened;
}

}  // namespace vantorelle
