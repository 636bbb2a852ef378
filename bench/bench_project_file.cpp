// Saving and opening a large project: 10 000 clips on 8 tracks (four video,
// four audio, every video clip linked to the audio clip beside it) that use
// 1 000 sources. Measures the whole save (encoding, write, fsync, rename)
// and the whole open (read, decode, source checks against the disk, clip
// placing and linking), each beside its pure byte encoding, so the part the
// disk and the document take is visible.
//
// The sources are tiny WAV files: opening takes a source whose last-write
// text matches the file's without reading its media, so the files only have
// to exist with a known time. Their records describe movies with sound, as
// the clips on video tracks need.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "document/headless_views.h"
#include "document/project_file_format.h"
#include "document/project_storage.h"
#include "project_sources.h"
#include "support/document_fixture.h"
#include "support/temp_dir.h"

namespace {

using namespace vantorelle;
namespace support = vantorelle::testing;

constexpr int kTracks = 8;
constexpr int kClips = 10000;
constexpr int kSources = 1000;
constexpr TimeMs kSourceDuration = bench::kBenchSourceDuration;
constexpr TimeMs kClipDuration = 1960.0;  // a gap between clips, so none touch

// A document with headless views, as the command-line tool runs one.
struct BenchDocument : support::TestDocument {
  BenchDocument() { doc.AttachViews(&views); }
  HeadlessDocumentViews views;
};


void MakeTracks(CTimelineData& timeline) {
  timeline.tracks.clear();
  for (int t = 0; t < kTracks; ++t) {
    const bool video = t < kTracks / 2;
    auto track = std::make_unique<CTrack>(video ? TrackTypes::Video : TrackTypes::Audio, 48);
    track->name = std::string(video ? "Video" : "Audio") + " track number " + std::to_string(t % (kTracks / 2) + 1);
    timeline.AddTrackInKindOrder(std::move(track));
  }
}

CFilm& Place(CTrack& track, CSrc& source, TimeMs start, SourceFlagBits stream) {
  auto clip = std::make_unique<CFilm>(&source);
  clip->name = source.name;
  clip->start = start;
  clip->duration = kClipDuration;
  clip->flags = SourceFlags::MovieFile | stream;
  return track.InsertInOrder(std::move(clip));
}

// Pairs as a dropped movie makes them: picture on video track t, its sound
// on audio track t, linked.
void PlaceClips(CVantorelleDoc& doc) {
  const int perTrack = kClips / kTracks;
  const int pairsOfTracks = kTracks / 2;
  for (int t = 0; t < pairsOfTracks; ++t) {
    CTrack& video = *doc.timeline.tracks[t];
    CTrack& audio = *doc.timeline.tracks[t + pairsOfTracks];
    for (int i = 0; i < perTrack; ++i) {
      CSrc& source = *doc.sources[(t * perTrack + i) % kSources];
      const TimeMs start = i * kSourceDuration;
      CFilm::Link(Place(video, source, start, SourceFlags::VideoStream),
                  Place(audio, source, start, SourceFlags::AudioStream));
    }
  }
  doc.timeline.RecountSourceUsage(doc.SourcePointers());
}

std::unique_ptr<BenchDocument> MakeLargeProject(const support::TempDir& dir) {
  auto project = std::make_unique<BenchDocument>();
  bench::AddBenchSources(project->doc, dir, kSources);
  MakeTracks(project->doc.timeline);
  PlaceClips(project->doc);
  return project;
}

std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Made once for the whole run and removed with its folder at exit: writing
// 1 000 media files per benchmark would dwarf what is measured.
struct SharedMedia {
  SharedMedia() {
    bench::WriteBenchSourceFiles(dir, kSources);
    auto project = MakeLargeProject(dir);
    projectPath = dir.File("large.vrp");
    if (!SaveProjectFile(project->doc, projectPath)) throw std::runtime_error("cannot save the project");
    projectBytes = FileBytes(projectPath);
  }
  support::TempDir dir;
  std::string projectPath;
  std::vector<std::uint8_t> projectBytes;
};

const SharedMedia& Media() {
  static const SharedMedia media;
  return media;
}

// Named as the saved file, so the source paths are stored relative to its
// folder exactly as a save stores them.
std::unique_ptr<BenchDocument> MakeNamedProject() {
  auto project = MakeLargeProject(Media().dir);
  project->doc.SetProjectPath(Media().projectPath);
  return project;
}

void ReportFileSize(benchmark::State& state, std::size_t bytes) {
  state.counters["file_bytes"] = static_cast<double>(bytes);
  state.counters["bytes_per_clip"] = static_cast<double>(bytes) / kClips;
}

// An open that re-read media, dropped sources or asked the person anything
// would time something else than intended.
bool OpenedEverything(const BenchDocument& project) {
  return project.doc.sources.size() == kSources && project.doc.timeline.ClipCount() == kClips &&
         project.ui.messages.empty() && project.ui.missingSourceRequests.empty();
}

void BM_SaveProject(benchmark::State& state) {
  const SharedMedia& media = Media();
  auto project = MakeLargeProject(media.dir);
  const std::string path = media.dir.File("saved.vrp");
  for (auto _ : state) {
    if (!SaveProjectFile(project->doc, path)) {
      state.SkipWithError("save failed");
      return;
    }
  }
  ReportFileSize(state, FileBytes(path).size());
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);

// The save without the disk: numbering and collecting, then the bytes.
void BM_EncodeProject(benchmark::State& state) {
  auto project = MakeNamedProject();
  std::size_t bytes = 0;
  for (auto _ : state) {
    ProjectFileContents contents;
    if (!CollectProjectContents(project->doc, contents)) {
      state.SkipWithError("collect failed");
      return;
    }
    const auto encoded = WriteProjectFile(contents);
    bytes = encoded.size();
    benchmark::DoNotOptimize(encoded.data());
  }
  ReportFileSize(state, bytes);
}
BENCHMARK(BM_EncodeProject)->Unit(benchmark::kMillisecond);

// Only the byte encoding of contents already collected.
void BM_WriteProjectBytes(benchmark::State& state) {
  auto project = MakeNamedProject();
  ProjectFileContents contents;
  CollectProjectContents(project->doc, contents);
  std::size_t bytes = 0;
  for (auto _ : state) {
    const auto encoded = WriteProjectFile(contents);
    bytes = encoded.size();
    benchmark::DoNotOptimize(encoded.data());
  }
  ReportFileSize(state, bytes);
}
BENCHMARK(BM_WriteProjectBytes)->Unit(benchmark::kMillisecond);

// Into a fresh document each time, made and destroyed outside the timing.
void BM_OpenProject(benchmark::State& state) {
  const SharedMedia& media = Media();
  for (auto _ : state) {
    state.PauseTiming();
    auto project = std::make_unique<BenchDocument>();
    state.ResumeTiming();
    const ProjectOpenOutcome outcome = OpenProjectFile(project->doc, media.projectPath);
    state.PauseTiming();
    if (outcome != ProjectOpenOutcome::Opened || !OpenedEverything(*project)) {
      state.SkipWithError("the project did not open whole");
      return;
    }
    project.reset();
    state.ResumeTiming();
  }
  ReportFileSize(state, media.projectBytes.size());
}
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond);

// The open without the disk and the document: bytes to records.
void BM_DecodeProject(benchmark::State& state) {
  const SharedMedia& media = Media();
  for (auto _ : state) {
    const auto read = ReadProjectFile(media.projectBytes);
    if (!read.ok || read.contents.clips.size() != kClips) {
      state.SkipWithError("decode failed");
      return;
    }
    benchmark::DoNotOptimize(read.contents.clips.data());
  }
  ReportFileSize(state, media.projectBytes.size());
}
BENCHMARK(BM_DecodeProject)->Unit(benchmark::kMillisecond);

// What BM_OpenProject leaves out: making the empty document it opens into,
// and destroying it again.
void BM_NewDocument(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(std::make_unique<BenchDocument>().get());
}
BENCHMARK(BM_NewDocument)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
