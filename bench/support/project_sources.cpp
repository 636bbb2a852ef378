#include "project_sources.h"

#include <memory>
#include <stdexcept>

#include "model/file_facts.h"
#include "support/test_media_writer.h"

namespace vantorelle::bench {

std::string BenchSourcePath(const testing::TempDir& dir, int index) {
  return dir.File("media/sound" + std::to_string(index) + ".wav");
}

void WriteBenchSourceFiles(const testing::TempDir& dir, int count) {
  testing::WavParams params;
  params.sampleRate = 8000;
  params.channels = 1;
  params.bitsPerSample = 8;
  params.seconds = kBenchSourceDuration / 1000.0;
  for (int i = 0; i < count; ++i) {
    std::string error;
    if (!testing::WriteWav(BenchSourcePath(dir, i), params, &error)) throw std::runtime_error("WAV: " + error);
  }
}

void AddBenchSources(CVantorelleDoc& doc, const testing::TempDir& dir, int count) {
  for (int i = 0; i < count; ++i) {
    const std::string path = BenchSourcePath(dir, i);
    const auto facts = ReadFileFacts(path);
    if (!facts) throw std::runtime_error("cannot read " + path);
    auto source = std::make_unique<CSrc>(path, facts->name);
    source->modified = LastWriteText(facts->lastWrite);  // what lets the open skip the media
    source->size = static_cast<std::uint32_t>(facts->length);
    source->duration = kBenchSourceDuration;
    source->flags = SourceFlags::MovieFile | SourceFlags::VideoStream | SourceFlags::AudioStream;
    source->frameWidth = 720;
    source->frameHeight = 576;
    doc.sources.push_back(std::move(source));
  }
}

}  // namespace vantorelle::bench
