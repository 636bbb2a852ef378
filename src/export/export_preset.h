// The ways a film leaves the editor: each preset names its container, its
// codecs, what it holds (pictures, sound or one still) and, for the lossy
// ones, the quality scale a person chooses on. The command line takes the
// presets by their short names; the editor shows their titles.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantorelle {

enum class ExportPresetId { Mp4, Mp4Half, ProRes, Avi, WebM, Wav, Flac, Png };

// What an export writes.
enum class ExportContent {
  PicturesAndSound,
  SoundOnly,
  OneFrame,  // the picture under the time mark
};

struct ExportPreset {
  ExportPresetId id;
  std::string_view name;       // for --preset and the settings store: "mp4", "prores", …
  std::string_view title;      // as the editor lists it: "MP4 — H.264 + AAC"
  std::string_view extension;  // without the dot: "mp4"
  ExportContent content;
  bool halfSize;  // pictures at half the project's width and height (even numbers)
  // Lossy presets take a constant-rate factor: bestCrf gives the best
  // pictures, worstCrf the smallest file. Lossless and fixed-quality presets
  // have none (all three 0).
  int bestCrf;
  int defaultCrf;
  int worstCrf;

  bool TakesQuality() const { return bestCrf != worstCrf; }
};

// Every preset, in the order the editor lists them.
const std::vector<ExportPreset>& ExportPresets();
const ExportPreset& ExportPresetOf(ExportPresetId id);
// The preset of a short name, or of the aliases "avi" and "mp4" that the
// render command took as --format; none for anything else.
std::optional<ExportPresetId> ExportPresetNamed(std::string_view name);
// "mp4, mp4-half, prores, avi, webm, wav, flac, png", for messages.
std::string ExportPresetNames();

// A quality slider of 0 (smallest file) … 100 (best pictures) and the
// preset's constant-rate factor, both ways; a preset without quality gives 0.
int CrfOfQuality(const ExportPreset& preset, int quality);
int QualityOfCrf(const ExportPreset& preset, int crf);
// True when crf lies on the preset's scale (between bestCrf and worstCrf).
bool CrfInRange(const ExportPreset& preset, int crf);

// The size of the pictures an export writes from a project frame.
struct ExportFrameSize {
  int width;
  int height;
};
ExportFrameSize ExportFrameSizeOf(const ExportPreset& preset, int projectWidth, int projectHeight);

// A file name for an export of the project: the project's name (without its
// extension) or "Untitled" for a new project, with the preset's extension, in
// the project's folder (or the given fallback folder for a new project).
std::string ProposedExportPath(const ExportPreset& preset, const std::string& projectPath,
                               const std::string& fallbackFolder);

}  // namespace vantorelle
