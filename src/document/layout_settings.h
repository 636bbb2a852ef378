// Settings store sections that outlive any one project: the video standard
// ("Frame Params"), the track layout new projects start with ("Tracks
// Array") and the favourite directories ("SrcCollection FwrDirs").
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/settings_store.h"
#include "model/track.h"

namespace vantorelle {

// A favourite directory of the Clip Collection browser.
struct CFvrDirObject {
  std::string path;
  std::string name;
  std::int32_t filterIndex = 0;
  bool operator==(const CFvrDirObject&) const = default;
};

// A folder of the browser's directory tree and whether it is expanded.
struct CTreeNodeInfo {
  std::string path;
  std::int32_t expanded = 0;
  bool operator==(const CTreeNodeInfo&) const = default;
};

// Applies the five values together, only when all five are there; answers
// whether it did.
bool LoadVideoStandard(const ISettingsStore& store);
void SaveVideoStandard(ISettingsStore& store);

// The settings store's own track record (not the project file's).
SettingsBytes TrackRecordBytes(const CTrack& track);
// Fills a track from a record; false when the record is short or malformed.
bool ReadTrackRecord(const SettingsBytes& bytes, CTrack& track);

// No list on a first run, without the section or its count, or when any
// record cannot be read; an empty list for a stored count of 0.
std::optional<std::vector<std::unique_ptr<CTrack>>> LoadTrackList(const ISettingsStore& store, bool firstRun);
void SaveTrackList(ISettingsStore& store, const std::vector<std::unique_ptr<CTrack>>& tracks);

// Entries without a name or path, and folders that no longer exist, are left out.
std::vector<CFvrDirObject> LoadFavouriteDirectories(const ISettingsStore& store);
void SaveFavouriteDirectories(ISettingsStore& store, const std::vector<CFvrDirObject>& directories);

}  // namespace vantorelle
