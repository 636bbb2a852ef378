#include "document/layout_settings.h"

#include <filesystem>

#include "document/archive.h"
#include "document/settings_values.h"

namespace vantorelle {

namespace {

constexpr const char* kFrameParams = "Frame Params";
constexpr const char* kTracksArray = "Tracks Array";
constexpr const char* kFavourites = "SrcCollection FwrDirs";

bool DirectoryExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

}  // namespace

bool LoadVideoStandard(const ISettingsStore& store) {
  const auto width = ReadSettingsNumber(store, kFrameParams, "Frame Width");
  const auto height = ReadSettingsNumber(store, kFrameParams, "Frame Height");
  const auto rate = ReadSettingsNumber(store, kFrameParams, "Frame Rate");
  const auto delta = ReadSettingsDouble(store, kFrameParams, "Frame Delta");
  const auto delay = ReadSettingsDouble(store, kFrameParams, "Start Delay");
  if (!width || !height || !rate || !delta || !delay) return false;
  // A stored standard that could not have come from a board would make every
  // frame computation meaningless; the one in force stays.
  if (*width <= 0 || *height <= 0 || *rate <= 0 || !(*delta > 0.0) || !(*delay >= 0.0)) return false;
  VideoStandard standard;
  standard.FrameWidth = *width;
  standard.FrameHeight = *height;
  standard.FrameRate = *rate;
  standard.FrameDelta = *delta;
  standard.StartDelay = *delay;
  SetVideoStandard(standard);
  return true;
}

void SaveVideoStandard(ISettingsStore& store) {
  const VideoStandard& standard = CurrentVideoStandard();
  WriteSettingsNumber(store, kFrameParams, "Frame Width", standard.FrameWidth);
  WriteSettingsNumber(store, kFrameParams, "Frame Height", standard.FrameHeight);
  WriteSettingsNumber(store, kFrameParams, "Frame Rate", standard.FrameRate);
  WriteSettingsDouble(store, kFrameParams, "Frame Delta", standard.FrameDelta);
  WriteSettingsDouble(store, kFrameParams, "Start Delay", standard.StartDelay);
}

SettingsBytes TrackRecordBytes(const CTrack& track) {
  ArchiveWriter writer;
  writer.U32(track.type);
  writer.I32(track.height);
  writer.I32(static_cast<std::int32_t>(track.playState));
  writer.Text(track.name);
  writer.I32(track.shown);
  writer.I32(track.regionLeft);
  writer.I32(track.regionTop);
  writer.I32(track.regionHeight);
  writer.I32(track.regionWidth);
  writer.F64(track.maxSpeed);
  writer.I32(track.direction);
  writer.I32(track.precision);
  writer.I32(0);   // reserved number
  writer.Text("");  // reserved text
  writer.F64(track.fadeIn);
  writer.F64(track.fadeOut);
  writer.F64(track.volume);
  return writer.Take();
}

bool ReadTrackRecord(const SettingsBytes& bytes, CTrack& track) {
  try {
    ArchiveReader reader(bytes);
    track.type = reader.U32();
    track.height = reader.I32();
    const std::int32_t playState = reader.I32();
    track.playState = playState >= 1 && playState <= 3 ? static_cast<PlayState>(playState) : PlayState::Normal;
    track.name = reader.Text();
    track.shown = reader.I32();
    track.regionLeft = reader.I32();
    track.regionTop = reader.I32();
    track.regionHeight = reader.I32();
    track.regionWidth = reader.I32();
    track.maxSpeed = reader.F64();
    track.direction = reader.I32();
    track.precision = reader.I32();
    reader.I32();
    reader.Text();
    track.fadeIn = reader.F64();
    track.fadeOut = reader.F64();
    track.volume = reader.F64();
    return true;
  } catch (const ArchiveError&) {
    return false;
  }
}

std::optional<std::vector<std::unique_ptr<CTrack>>> LoadTrackList(const ISettingsStore& store, bool firstRun) {
  if (firstRun || !store.SectionExists(kTracksArray)) return std::nullopt;
  const auto count = ReadSettingsNumber(store, kTracksArray, "Track Array Count");
  if (!count || *count < 0) return std::nullopt;
  std::vector<std::unique_ptr<CTrack>> tracks;
  for (std::int32_t i = 1; i <= *count; ++i) {
    auto track = std::make_unique<CTrack>(0, 0);
    const auto bytes = ReadSettingsBinary(store, kTracksArray, "Track_" + std::to_string(i));
    if (!bytes || !ReadTrackRecord(*bytes, *track)) return std::nullopt;
    tracks.push_back(std::move(track));
  }
  return tracks;
}

void SaveTrackList(ISettingsStore& store, const std::vector<std::unique_ptr<CTrack>>& tracks) {
  WriteSettingsNumber(store, kTracksArray, "Track Array Count", static_cast<std::int32_t>(tracks.size()));
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    store.Write(kTracksArray, "Track_" + std::to_string(i + 1), TrackRecordBytes(*tracks[i]));
  }
}

std::vector<CFvrDirObject> LoadFavouriteDirectories(const ISettingsStore& store) {
  std::vector<CFvrDirObject> directories;
  if (!store.SectionExists(kFavourites)) return directories;
  const std::int32_t number = ReadSettingsNumber(store, kFavourites, "Favourite Dir Number", 0);
  if (number <= 0) return directories;
  const auto names = ReadSettingsTextList(store, kFavourites, "FvrDir Names", kFavouriteListBufferSize);
  const auto paths = ReadSettingsTextList(store, kFavourites, "FvrDir Paths", kFavouriteListBufferSize);
  const auto filters = ReadSettingsNumberList(store, kFavourites, "FvrDir Filter Indexes", kFavouriteListBufferSize);
  if (!names || !paths || !filters) return directories;
  for (std::size_t i = 0; i < static_cast<std::size_t>(number); ++i) {
    // Short lists end the walk: the entries they lack cannot be rebuilt.
    if (i >= names->size() || i >= paths->size() || i >= filters->size()) break;
    const std::string& name = (*names)[i];
    const std::string& path = (*paths)[i];
    if (name.empty() || path.empty() || !DirectoryExists(path)) continue;
    directories.push_back(CFvrDirObject{path, name, static_cast<std::int32_t>((*filters)[i])});
  }
  return directories;
}

void SaveFavouriteDirectories(ISettingsStore& store, const std::vector<CFvrDirObject>& directories) {
  WriteSettingsNumber(store, kFavourites, "Favourite Dir Number", static_cast<std::int32_t>(directories.size()));
  if (directories.empty()) return;
  std::vector<std::string> names;
  std::vector<std::string> paths;
  std::vector<std::uint32_t> filters;
  for (const auto& directory : directories) {
    names.push_back(directory.name);
    paths.push_back(directory.path);
    filters.push_back(static_cast<std::uint32_t>(directory.filterIndex));
  }
  WriteSettingsTextList(store, kFavourites, "FvrDir Names", names);
  WriteSettingsTextList(store, kFavourites, "FvrDir Paths", paths);
  WriteSettingsNumberList(store, kFavourites, "FvrDir Filter Indexes", filters);
}

}  // namespace vantorelle
