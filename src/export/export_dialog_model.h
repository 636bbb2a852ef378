// The Export dialog without its toolkit: the preset, what part of the project
// to export, the file to write and the quality. It proposes a file name from
// the project's, follows the preset's extension, refuses targets that would
// destroy the project, asks before replacing a file and remembers the
// choices in the settings store for the next export.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "export/export_job.h"
#include "export/export_preset.h"

namespace vantorelle {

class CVantorelleDoc;
class ISettingsStore;
class IUserInterface;

// What the dialog needs to know of the project.
struct ExportDialogContext {
  std::string projectPath;               // empty for a project never saved
  std::vector<std::string> sourcePaths;  // the files the project reads
  bool rangeSet = false;
  std::string fallbackFolder;  // where a project never saved exports to
};
ExportDialogContext ExportDialogContextOf(const CVantorelleDoc& doc, std::string fallbackFolder);

class ExportDialogModel {
 public:
  static constexpr const char* kCaption = "Export";
  static constexpr const char* kSettingsSection = "Export";

  ExportDialogModel(ExportDialogContext context, ISettingsStore& store, IUserInterface& ui);

  // The presets' titles, in the order of ExportPresets().
  static std::vector<std::string> PresetTitles();
  int PresetIndex() const { return presetIndex_; }
  const ExportPreset& Preset() const;
  // The output's extension follows the preset; the quality becomes the one
  // last used with it.
  void SelectPreset(int index);

  bool QualityEnabled() const { return Preset().TakesQuality(); }
  int Quality() const { return quality_; }  // 0 (smallest file) … 100 (best pictures)
  void SetQuality(int quality);
  // The constant-rate factor the export gets: 0 for presets without quality.
  int Crf() const;

  static std::vector<std::string> SpanTitles();  // in ExportSpanKind order
  ExportSpanKind Span() const { return span_; }
  // A still is the frame under the time mark: no span to choose.
  bool SpanApplies() const;
  bool SpanEnabled(ExportSpanKind span) const { return SpanDisabledReason(span).empty(); }
  // Why a span cannot be chosen; empty when it can.
  std::string SpanDisabledReason(ExportSpanKind span) const;
  // The range is ignored while none is set.
  void SelectSpan(ExportSpanKind span);

  const std::string& OutputPath() const { return output_; }
  void SetOutputPath(std::string path) { output_ = std::move(path); }
  // The save dialog through the user interface; true when a file was chosen.
  bool Browse();

  // Checks the target (refusing with a message why), asks before replacing an
  // existing file and remembers the choices. None when refused or declined.
  std::optional<ExportRequest> Accept();

 private:
  void Remember() const;
  std::string RefusalOf(const std::string& output) const;
  int RememberedQuality(const ExportPreset& preset) const;

  ExportDialogContext context_;
  ISettingsStore& store_;
  IUserInterface& ui_;
  int presetIndex_ = 0;
  int quality_ = 0;
  ExportSpanKind span_ = ExportSpanKind::WholeProject;
  std::string output_;
};

}  // namespace vantorelle
