#include "document/offline_relink.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "model/file_facts.h"
#include "model/source_paths.h"

namespace vantorelle {
namespace {

namespace fs = std::filesystem;

std::vector<CSrc*> OfflineSources(const CVantorelleDoc& doc) {
  std::vector<CSrc*> offline;
  for (const auto& source : doc.sources) {
    if (source->offline) offline.push_back(source.get());
  }
  return offline;
}

bool Relink(const SourceReadContext& context, CSrc& source, const std::string& file) {
  if (!ReadFileFacts(file) || !RereadSource(context, source, file)) return false;
  source.offline = false;
  return true;
}

std::string Below(const std::string& folder, const std::string& name) {
  return (fs::path(folder) / name).lexically_normal().string();
}

}  // namespace

int CountOfflineSources(const CVantorelleDoc& doc) { return static_cast<int>(OfflineSources(doc).size()); }

SourceReadContext RelinkReadContext(const CVantorelleDoc& doc, const FileInWork* fileInWork) {
  return SourceReadContext{MediaReadContext{doc.Board(), doc.Ui(), FrameSizeRule{}}, doc.stillImages, fileInWork};
}

RelinkOutcome RelinkOfflineSources(CVantorelleDoc& doc, const SourceReadContext& context, const std::string& path) {
  std::error_code error;
  const bool folder = fs::is_directory(path, error);
  std::vector<CSrc*> offline = OfflineSources(doc);
  RelinkOutcome outcome;
  std::string searched = path;
  if (!folder) {
    const std::string name = FileNameOf(path);
    std::vector<CSrc*> named;
    for (CSrc* source : offline) {
      if (source->name == name) named.push_back(source);
    }
    if (named.empty() && offline.size() == 1) named = offline;
    for (CSrc* source : named) {
      if (Relink(context, *source, path)) ++outcome.relinked;
    }
    searched = fs::path(path).parent_path().string();
  }
  for (CSrc* source : offline) {
    if (!source->offline) continue;
    const std::string candidate = Below(searched, source->name);
    if (!searched.empty() && Relink(context, *source, candidate)) ++outcome.relinked;
  }
  outcome.stillOffline = CountOfflineSources(doc);
  if (outcome.relinked > 0) doc.SetModified(true);
  return outcome;
}

}  // namespace vantorelle
