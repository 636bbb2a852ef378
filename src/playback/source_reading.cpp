#include "playback/source_reading.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include "model/file_facts.h"
#include "model/source_paths.h"

namespace vantorelle {
namespace {

constexpr const char* kLoadCaption = "Load Clip Collection";

// The source record keeps a 32-bit length; longer files show the largest one.
std::uint32_t StoredLength(std::uint64_t length) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(length > kMax ? kMax : length);
}

}  // namespace

std::unique_ptr<CSrc> MakeSourceFromFile(const SourceReadContext& context, const std::string& givenPath) {
  const auto facts = ReadFileFacts(givenPath);
  if (!facts) return nullptr;
  const std::string& path = facts->path;  // the full path, whatever the caller's working folder
  const auto kind = ClassifyFile(path, context.stillImages);
  if (!kind) return nullptr;

  auto source = std::make_unique<CSrc>(facts->path, facts->name);
  source->GuardWith(context.fileInWork);
  source->size = StoredLength(facts->length);
  source->modified = LastWriteText(facts->lastWrite);

  if (*kind == MediaKind::Movie) {
    source->flags |= SourceFlags::MovieFile;
    const auto measure = ReadMovieInfo(context.media, path, source->flags);
    if (!measure) return nullptr;
    source->flags = measure->flags;
    source->duration = measure->duration;
    source->frameWidth = measure->width;
    source->frameHeight = measure->height;
  } else {
    source->flags |= SourceFlags::VideoStream;
    source->duration = 0.0;
    const auto measure = ReadImageInfo(context.media, path);
    if (!measure) return nullptr;
    source->frameWidth = measure->width;
    source->frameHeight = measure->height;
  }
  source->icon = SourceIconFor(source->flags);
  return source;
}

DiskCheck CheckSourceAgainstDisk(const SourceReadContext& context, CSrc& source,
                                 const std::string& projectDirectory) {
  // A project copied elsewhere still finds media that stayed where they were.
  std::vector<std::string> locations = StoredPathLocations(source.storedPath, projectDirectory);
  // Only an absolute full path: a Windows one would be looked up below the
  // current folder.
  const bool absoluteFullPath = !source.path.empty() && source.path.front() == '/';
  if (absoluteFullPath && std::find(locations.begin(), locations.end(), source.path) == locations.end()) {
    locations.push_back(source.path);
  }
  std::string location;
  std::optional<FileFacts> facts;
  for (const std::string& candidate : locations) {
    facts = ReadFileFacts(candidate);
    if (facts) {
      location = candidate;
      break;
    }
  }
  if (!facts) return DiskCheck::Missing;
  source.path = location;
  if (!EqualsIgnoreCase(LastWriteText(facts->lastWrite), source.modified)) {
    context.media.ui.Warn("Source file " + location + " \n was modified.", kLoadCaption);
    return RereadSource(context, source, location) ? DiskCheck::Found : DiskCheck::RereadFailed;
  }
  source.icon = SourceIconFor(source.flags);
  return DiskCheck::Found;
}

bool RereadSource(const SourceReadContext& context, CSrc& source, const std::string& path) {
  // The fresh record is only a measurement; it must not wait on the worker
  // when it goes, since the worker may be reading the very same file.
  SourceReadContext unguarded = context;
  unguarded.fileInWork = nullptr;
  const auto fresh = MakeSourceFromFile(unguarded, path);
  if (!fresh) return false;
  if (fresh->flags != source.flags || fresh->frameHeight != source.frameHeight ||
      fresh->duration != source.duration || fresh->frameWidth != source.frameWidth) {
    context.media.ui.Warn("Source file " + path + " \n has different parameters.", kLoadCaption);
  }
  source.path = fresh->path;
  source.name = fresh->name;
  source.flags = fresh->flags;
  source.duration = fresh->duration;
  source.size = fresh->size;
  source.modified = fresh->modified;
  source.icon = fresh->icon;
  source.frameHeight = fresh->frameHeight;
  source.frameWidth = fresh->frameWidth;
  return true;
}

}  // namespace vantorelle
