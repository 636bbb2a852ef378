#include "export/export_preset.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace vantorelle {

const std::vector<ExportPreset>& ExportPresets() {
  // x264's useful scale runs from near-transparent (14) to small (35); VP9's
  // from 15 to 50; MJPEG's quantiser from 2 (best) to 20.
  static const std::vector<ExportPreset> presets = {
      {ExportPresetId::Mp4, "mp4", "MP4 — H.264 + AAC", "mp4", ExportContent::PicturesAndSound, false, 14, 20, 35},
      {ExportPresetId::Mp4Half, "mp4-half", "MP4 — H.264 + AAC, half size", "mp4", ExportContent::PicturesAndSound,
       true, 14, 20, 35},
      {ExportPresetId::ProRes, "prores", "MOV — ProRes 422 HQ + PCM", "mov", ExportContent::PicturesAndSound, false,
       0, 0, 0},
      {ExportPresetId::Avi, "avi", "AVI — MJPEG + PCM", "avi", ExportContent::PicturesAndSound, false, 2, 3, 20},
      {ExportPresetId::WebM, "webm", "WebM — VP9 + Opus", "webm", ExportContent::PicturesAndSound, false, 15, 31, 50},
      {ExportPresetId::Wav, "wav", "WAV — sound only", "wav", ExportContent::SoundOnly, false, 0, 0, 0},
      {ExportPresetId::Flac, "flac", "FLAC — sound only", "flac", ExportContent::SoundOnly, false, 0, 0, 0},
      {ExportPresetId::Png, "png", "PNG — the frame under the time mark", "png", ExportContent::OneFrame, false, 0,
       0, 0},
  };
  return presets;
}

const ExportPreset& ExportPresetOf(ExportPresetId id) {
  for (const ExportPreset& preset : ExportPresets()) {
    if (preset.id == id) return preset;
  }
  return ExportPresets().front();
}

std::optional<ExportPresetId> ExportPresetNamed(std::string_view name) {
  for (const ExportPreset& preset : ExportPresets()) {
    if (preset.name == name) return preset.id;
  }
  return std::nullopt;
}

std::string ExportPresetNames() {
  std::string names;
  for (const ExportPreset& preset : ExportPresets()) {
    if (!names.empty()) names += ", ";
    names += preset.name;
  }
  return names;
}

int CrfOfQuality(const ExportPreset& preset, int quality) {
  if (!preset.TakesQuality()) return 0;
  const double share = std::clamp(quality, 0, 100) / 100.0;
  return static_cast<int>(std::lround(preset.worstCrf + (preset.bestCrf - preset.worstCrf) * share));
}

int QualityOfCrf(const ExportPreset& preset, int crf) {
  if (!preset.TakesQuality()) return 0;
  const double share = static_cast<double>(crf - preset.worstCrf) / (preset.bestCrf - preset.worstCrf);
  return std::clamp(static_cast<int>(std::lround(share * 100.0)), 0, 100);
}

bool CrfInRange(const ExportPreset& preset, int crf) {
  return preset.TakesQuality() && crf >= std::min(preset.bestCrf, preset.worstCrf) &&
         crf <= std::max(preset.bestCrf, preset.worstCrf);
}

ExportFrameSize ExportFrameSizeOf(const ExportPreset& preset, int projectWidth, int projectHeight) {
  if (!preset.halfSize) return {projectWidth, projectHeight};
  // Encoders of 4:2:0 pictures need even sizes.
  const auto half = [](int size) { return std::max(2, size / 2 / 2 * 2); };
  return {half(projectWidth), half(projectHeight)};
}

std::string ProposedExportPath(const ExportPreset& preset, const std::string& projectPath,
                               const std::string& fallbackFolder) {
  namespace fs = std::filesystem;
  const std::string extension = "." + std::string(preset.extension);
  if (projectPath.empty()) return (fs::path(fallbackFolder) / ("Untitled" + extension)).string();
  fs::path path(projectPath);
  path.replace_extension(extension);
  return path.string();
}

}  // namespace vantorelle
