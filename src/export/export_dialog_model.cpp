#include "export/export_dialog_model.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "document/settings_store.h"
#include "document/settings_values.h"
#include "document/vantorelle_doc.h"
#include "model/user_interface.h"

namespace vantorelle {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPresetName = "Preset";
constexpr const char* kSpanName = "Span";
constexpr const char* kFolderName = "Folder";

std::string QualityName(const ExportPreset& preset) { return "Quality " + std::string(preset.name); }

std::optional<std::string> ReadText(const ISettingsStore& store, const std::string& section, const std::string& name) {
  const auto value = store.Read(section, name);
  if (!value) return std::nullopt;
  const auto* bytes = std::get_if<SettingsBytes>(&*value);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

void WriteText(ISettingsStore& store, const std::string& section, const std::string& name, const std::string& text) {
  store.Write(section, name, SettingsBytes(text.begin(), text.end()));
}

// Two names of one file: the same file on disk, or the same path once
// "..", "." and links are resolved.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::equivalent(a, b, error)) return true;
  const fs::path ca = fs::weakly_canonical(fs::absolute(a, error), error);
  const fs::path cb = fs::weakly_canonical(fs::absolute(b, error), error);
  return !ca.empty() && ca == cb;
}

int PresetIndexOf(ExportPresetId id) {
  const auto& presets = ExportPresets();
  for (std::size_t i = 0; i < presets.size(); ++i) {
    if (presets[i].id == id) return static_cast<int>(i);
  }
  return 0;
}

}  // namespace

ExportDialogContext ExportDialogContextOf(const CVantorelleDoc& doc, std::string fallbackFolder) {
  ExportDialogContext context;
  context.projectPath = doc.ProjectPath();
  for (const auto& source : doc.sources) {
    if (source && !source->path.empty()) context.sourcePaths.push_back(source->path);
  }
  context.rangeSet = doc.times.RangePresent();
  context.fallbackFolder = std::move(fallbackFolder);
  return context;
}

ExportDialogModel::ExportDialogModel(ExportDialogContext context, ISettingsStore& store, IUserInterface& ui)
    : context_(std::move(context)), store_(store), ui_(ui) {
  if (const auto name = ReadText(store_, kSettingsSection, kPresetName)) {
    if (const auto id = ExportPresetNamed(*name)) presetIndex_ = PresetIndexOf(*id);
  }
  quality_ = RememberedQuality(Preset());
  const auto span = ReadSettingsNumber(store_, kSettingsSection, kSpanName);
  if (span && *span >= 0 && *span <= static_cast<int>(ExportSpanKind::WorkArea)) {
    SelectSpan(static_cast<ExportSpanKind>(*span));
  }
  output_ = ProposedExportPath(Preset(), context_.projectPath, context_.fallbackFolder);
  // The folder of the last export wins over the project's, while it exists.
  if (const auto folder = ReadText(store_, kSettingsSection, kFolderName)) {
    std::error_code error;
    if (!folder->empty() && fs::is_directory(*folder, error)) {
      output_ = (fs::path(*folder) / fs::path(output_).filename()).string();
    }
  }
}

std::vector<std::string> ExportDialogModel::PresetTitles() {
  std::vector<std::string> titles;
  for (const ExportPreset& preset : ExportPresets()) titles.emplace_back(preset.title);
  return titles;
}

const ExportPreset& ExportDialogModel::Preset() const { return ExportPresets().at(presetIndex_); }

void ExportDialogModel::SelectPreset(int index) {
  if (index < 0 || index >= static_cast<int>(ExportPresets().size())) return;
  presetIndex_ = index;
  quality_ = RememberedQuality(Preset());
  if (!output_.empty()) {
    fs::path path(output_);
    path.replace_extension("." + std::string(Preset().extension));
    output_ = path.string();
  }
}

int ExportDialogModel::RememberedQuality(const ExportPreset& preset) const {
  if (!preset.TakesQuality()) return 0;
  const auto stored = ReadSettingsNumber(store_, kSettingsSection, QualityName(preset));
  if (stored && *stored >= 0 && *stored <= 100) return *stored;
  return QualityOfCrf(preset, preset.defaultCrf);
}

void ExportDialogModel::SetQuality(int quality) {
  if (!QualityEnabled()) return;
  quality_ = std::clamp(quality, 0, 100);
}

int ExportDialogModel::Crf() const { return QualityEnabled() ? CrfOfQuality(Preset(), quality_) : 0; }

std::vector<std::string> ExportDialogModel::SpanTitles() {
  return {"The whole project", "The range", "The work area"};
}

bool ExportDialogModel::SpanApplies() const { return Preset().content != ExportContent::OneFrame; }

std::string ExportDialogModel::SpanDisabledReason(ExportSpanKind span) const {
  if (!SpanApplies()) return "A still is the frame under the time mark.";
  if (span == ExportSpanKind::Range && !context_.rangeSet) return "No range is set.";
  return {};
}

void ExportDialogModel::SelectSpan(ExportSpanKind span) {
  // A still's preset leaves the span as it was chosen for the next film.
  if (span == ExportSpanKind::Range && !context_.rangeSet) return;
  span_ = span;
}

bool ExportDialogModel::Browse() {
  FileDialogRequest request;
  request.title = "Export to";
  const ExportPreset& preset = Preset();
  const std::string pattern = "*." + std::string(preset.extension);
  request.filters = {{std::string(preset.title) + " (" + pattern + ")", pattern}};
  const fs::path current(output_);
  request.initialDirectory = current.parent_path().string();
  request.initialName = current.filename().string();
  request.defaultExtension = std::string(preset.extension);
  const auto chosen = ui_.AskSaveFileName(request);
  if (!chosen || chosen->empty()) return false;
  fs::path path(*chosen);
  if (path.extension().empty()) path.replace_extension("." + std::string(preset.extension));
  output_ = path.string();
  return true;
}

std::string ExportDialogModel::RefusalOf(const std::string& output) const {
  if (output.empty()) return "Choose the file to export to.";
  std::error_code error;
  const fs::path path(output);
  if (fs::is_directory(path, error)) return output + " is a folder. Choose a file to export to.";
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  if (!fs::is_directory(folder, error)) return "The folder " + folder.string() + " does not exist.";
  if (!context_.projectPath.empty() && SameFile(output, context_.projectPath)) {
    return "The export cannot replace the project file " + context_.projectPath + ". Choose another file.";
  }
  for (const std::string& source : context_.sourcePaths) {
    if (SameFile(output, source)) {
      return "The export cannot replace " + source + ": the project reads it. Choose another file.";
    }
  }
  return {};
}

std::optional<ExportRequest> ExportDialogModel::Accept() {
  if (const std::string refusal = RefusalOf(output_); !refusal.empty()) {
    ui_.ShowMessage(refusal, kCaption, MessageIcon::Warning, MessageButtons::Ok);
    return std::nullopt;
  }
  std::error_code error;
  if (fs::exists(output_, error)) {
    const MessageAnswer answer = ui_.ShowMessage(output_ + " already exists.\nDo you want to replace it?", kCaption,
                                                 MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) return std::nullopt;
  }
  Remember();
  ExportRequest request;
  request.preset = Preset().id;
  request.crf = Crf();
  request.span = SpanApplies() ? span_ : ExportSpanKind::WholeProject;
  request.output = output_;
  return request;
}

void ExportDialogModel::Remember() const {
  WriteText(store_, kSettingsSection, kPresetName, std::string(Preset().name));
  if (QualityEnabled()) WriteSettingsNumber(store_, kSettingsSection, QualityName(Preset()), quality_);
  WriteSettingsNumber(store_, kSettingsSection, kSpanName, static_cast<std::int32_t>(span_));
  const fs::path folder = fs::path(output_).parent_path();
  if (!folder.empty()) WriteText(store_, kSettingsSection, kFolderName, folder.string());
}

}  // namespace vantorelle
