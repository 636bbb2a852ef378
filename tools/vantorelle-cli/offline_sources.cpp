#include "offline_sources.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "json_output.h"
#include "model/file_facts.h"
#include "model/source_paths.h"

namespace vantorelle::cli {
namespace {

Json Describe(std::size_t index, const std::string& fileName, const std::string& fullPath,
              const std::string& storedPath) {
  Json out;
  out["sourceIndex"] = index;
  PutText(out, "fileName", fileName);
  PutText(out, "fullPath", fullPath);
  PutText(out, "storedPath", storedPath);
  return out;
}

void Report(const std::string& fullPath) {
  std::fprintf(stderr, "vantorelle-cli: offline source (file not found): %s\n", fullPath.c_str());
}

bool FoundOnDisk(const ProjectSourceRecord& record, const std::string& projectDirectory) {
  for (const std::string& location : StoredPathLocations(record.storedPath, projectDirectory)) {
    if (ReadFileFacts(location)) return true;
  }
  return ReadFileFacts(record.fullPath).has_value();
}

}  // namespace

void ReportOfflineSources(const CVantorelleDoc& doc) {
  for (const auto& source : doc.sources) {
    if (source->offline) Report(source->path);
  }
}

Json OfflineSourcesJson(const CVantorelleDoc& doc) {
  Json out = Json::array();
  for (std::size_t i = 0; i < doc.sources.size(); ++i) {
    const CSrc& source = *doc.sources[i];
    if (source.offline) out.push_back(Describe(i, source.name, source.path, source.storedPath));
  }
  return out;
}

Json OfflineRecordsJson(const ProjectFileContents& contents, const std::string& projectPath) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(projectPath, error);
  const std::string directory = error ? std::string() : absolute.lexically_normal().parent_path().string();
  Json out = Json::array();
  for (std::size_t i = 0; i < contents.sources.size(); ++i) {
    const ProjectSourceRecord& record = contents.sources[i];
    if (FoundOnDisk(record, directory)) continue;
    Report(record.fullPath);
    out.push_back(Describe(i, record.fileName, record.fullPath, record.storedPath));
  }
  return out;
}

}  // namespace vantorelle::cli
