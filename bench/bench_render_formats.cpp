// "vantorelle-cli render --format mp4" of HD and 4K projects against the
// ffmpeg program doing the same work: decoding the same H.264 sources at the
// same cuts, laying the upper video track over the lower, mixing the four
// sound tracks and encoding the frames with the same H.264 and AAC settings
// (libx264 medium, crf 20, GOP 25, default threads; AAC 192 kbit/s). The
// two run by turns, three times each; the best run of each counts: "ratio" is
// the tool's wall time over ffmpeg's, "cpu_ratio" its processor time (user
// and system) over ffmpeg's, the steadier of the two on a shared machine.
//
// 1080p25: 12 s, two video tracks cut every 4 s from two 1920 × 1080 H.264
// sources of 8 Mbit/s with a key frame every 2 s, four sound tracks.
// 2160p25: 4 s, one video track cut at 2 s between two 3840 × 2160 sources.
//
// The tool is found by VANTORELLE_CLI, else beside this program's build
// folder (tools/vantorelle-cli/vantorelle-cli).
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "document/headless_views.h"
#include "document/project_storage.h"
#include "document/settings_store.h"
#include "document/vantorelle_doc.h"
#include "model/video_standard_query.h"
#include "playback/board_selection.h"
#include "playback/source_reading.h"
#include "support/scripted_user_interface.h"
#include "support/temp_dir.h"

namespace {

using namespace vantorelle;
namespace support = vantorelle::testing;
namespace fs = std::filesystem;

// The same settings the tool's MP4 encoder uses (media_file_encoder.cpp).
const char* const kEncoderSettings =
    "-c:v libx264 -preset medium -crf 20 -g 25 -pix_fmt yuv420p -c:a aac -b:a 192k -ar 48000 -ac 2";

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

void Shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

std::string CliPath() {
  if (const char* given = std::getenv("VANTORELLE_CLI"); given && *given) return given;
  const fs::path self = fs::read_symlink("/proc/self/exe");
  return (self.parent_path().parent_path() / "tools" / "vantorelle-cli" / "vantorelle-cli").string();
}

struct Clip {
  int source;      // index into the project's movies
  double startS;   // on the timeline
  double inS;      // in the source
  double lengthS;
};

struct ProjectPlan {
  std::string name;         // as --video-standard takes it
  int width = 1920;
  int height = 1080;
  double seconds = 12.0;
  int sources = 2;
  std::vector<std::vector<Clip>> videoTracks;  // upper track first
  int soundTracks = 4;
};

ProjectPlan Hd() {
  ProjectPlan plan;
  plan.name = "1080p25";
  // Cuts every 4 s on both tracks, the lower one 2 s out of step.
  plan.videoTracks = {
      {{0, 0.0, 0.0, 4.0}, {1, 4.0, 4.0, 4.0}, {0, 8.0, 8.0, 4.0}},
      {{1, 0.0, 0.0, 2.0}, {0, 2.0, 2.0, 4.0}, {1, 6.0, 6.0, 4.0}, {0, 10.0, 10.0, 2.0}},
  };
  return plan;
}

ProjectPlan Uhd() {
  ProjectPlan plan;
  plan.name = "2160p25";
  plan.width = 3840;
  plan.height = 2160;
  plan.seconds = 4.0;
  plan.videoTracks = {{{0, 0.0, 0.0, 2.0}, {1, 2.0, 2.0, 2.0}}};
  plan.soundTracks = 1;
  return plan;
}

// The media and project file of a plan, made once per program run.
struct MadeProject {
  support::TempDir dir;
  std::vector<std::string> movies;
  std::vector<std::string> sounds;
  std::string project;
};

MadeProject& Made(const ProjectPlan& plan) {
  static std::map<std::string, std::unique_ptr<MadeProject>> made;
  auto& slot = made[plan.name];
  if (slot) return *slot;
  slot = std::make_unique<MadeProject>();
  MadeProject& media = *slot;
  const std::string size = std::to_string(plan.width) + "x" + std::to_string(plan.height);
  const std::string length = std::to_string(plan.seconds);
  for (int i = 0; i < plan.sources; ++i) {
    const std::string path = media.dir.File("movie" + std::to_string(i) + ".mp4");
    Shell("ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=" + size + ":rate=25 -t " + length +
          " -vf hue=h=" + std::to_string(i * 120) +
          " -c:v libx264 -preset veryfast -b:v 8M -maxrate 8M -bufsize 16M -g 50 -pix_fmt yuv420p " +
          Quoted(path));
    media.movies.push_back(path);
  }
  for (int i = 0; i < plan.soundTracks; ++i) {
    const std::string path = media.dir.File("sound" + std::to_string(i) + ".wav");
    Shell("ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=" + std::to_string(220 * (i + 1)) +
          ":sample_rate=48000 -t " + length + " -ac 2 " + Quoted(path));
    media.sounds.push_back(path);
  }

  BoardSelection board = SelectBoard({"--video-standard", plan.name}, nullptr);
  if (!board.error.empty()) throw std::runtime_error(board.error);
  SetBoardPresent(QueryBoardStandard(*board.factory));
  support::ScriptedUserInterface ui;
  MemorySettingsStore store;
  HeadlessDocumentViews views;
  CVantorelleDoc doc(DocumentServices{store, true, ui, *board.factory, nullptr});
  doc.AttachViews(&views);
  while (static_cast<int>(std::count_if(doc.timeline.tracks.begin(), doc.timeline.tracks.end(), [](const auto& t) {
           return t->Group() == TrackGroup::Audio;
         })) < plan.soundTracks) {
    doc.timeline.AddTrackInKindOrder(std::make_unique<CTrack>(TrackTypes::Audio, 48));
  }
  const SourceReadContext context{MediaReadContext{*board.factory, ui, FrameSizeRule{}}, doc.stillImages, nullptr};
  const auto source = [&](const std::string& path) -> CSrc& {
    auto read = MakeSourceFromFile(context, path);
    if (!read) throw std::runtime_error("source " + path);
    doc.sources.push_back(std::move(read));
    return *doc.sources.back();
  };
  std::vector<CSrc*> movies;
  for (const std::string& path : media.movies) movies.push_back(&source(path));
  std::vector<CSrc*> sounds;
  for (const std::string& path : media.sounds) sounds.push_back(&source(path));
  std::vector<CTrack*> video, audio;
  for (const auto& track : doc.timeline.tracks) {
    if (track->Group() == TrackGroup::Video) video.push_back(track.get());
    if (track->Group() == TrackGroup::Audio) audio.push_back(track.get());
  }
  const auto place = [](CTrack& track, CSrc& from, double startS, double inS, double lengthS) {
    auto clip = std::make_unique<CFilm>();
    clip->source = &from;
    clip->name = from.name;
    clip->start = startS * 1000.0;
    clip->inPoint = inS * 1000.0;
    clip->duration = lengthS * 1000.0;
    clip->sourceLength = from.duration;
    clip->flags = from.flags;
    ++from.usageCount;
    track.InsertInOrder(std::move(clip));
  };
  for (std::size_t t = 0; t < plan.videoTracks.size(); ++t) {
    for (const Clip& clip : plan.videoTracks[t]) {
      place(*video.at(t), *movies.at(clip.source), clip.startS, clip.inS, clip.lengthS);
    }
  }
  for (int i = 0; i < plan.soundTracks; ++i) place(*audio.at(i), *sounds.at(i), 0.0, 0.0, plan.seconds);
  doc.times.rangeStart = 0.0;
  doc.times.rangeStop = plan.seconds * 1000.0;
  media.project = media.dir.File("project.vrp");
  if (!SaveProjectFile(doc, media.project)) throw std::runtime_error("cannot save the project");
  return media;
}

// The ffmpeg command doing what the render does.
std::string FfmpegCommand(const ProjectPlan& plan, const MadeProject& media, const std::string& output) {
  std::string inputs;
  std::string graph;
  int input = 0;
  std::vector<std::string> tracks;
  for (std::size_t t = 0; t < plan.videoTracks.size(); ++t) {
    std::string pieces;
    for (const Clip& clip : plan.videoTracks[t]) {
      inputs += " -ss " + std::to_string(clip.inS) + " -t " + std::to_string(clip.lengthS) + " -i " +
                Quoted(media.movies.at(clip.source));
      pieces += "[" + std::to_string(input++) + ":v]";
    }
    const std::string name = "[track" + std::to_string(t) + "]";
    graph += pieces + "concat=n=" + std::to_string(plan.videoTracks[t].size()) + ":v=1:a=0" + name + ";";
    tracks.push_back(name);
  }
  // The lower tracks first, each upper one laid over them.
  std::string picture = tracks.back();
  for (std::size_t t = tracks.size() - 1; t-- > 0;) {
    const std::string over = "[over" + std::to_string(t) + "]";
    graph += picture + tracks[t] + "overlay" + over + ";";
    picture = over;
  }
  std::string sound;
  for (const std::string& path : media.sounds) {
    inputs += " -i " + Quoted(path);
    sound += "[" + std::to_string(input++) + ":a]";
  }
  graph += sound + "amix=inputs=" + std::to_string(media.sounds.size()) + ":normalize=0[mix]";
  return "ffmpeg -nostdin -loglevel error -y" + inputs + " -filter_complex " + Quoted(graph) + " -map " +
         Quoted(picture) + " -map '[mix]' " + kEncoderSettings + " " + Quoted(output);
}

// Wall time, and the processor time of the command's processes (user and
// system): on a machine others share, the second says more of the work done.
struct Timing {
  double seconds = 0.0;
  double cpuSeconds = 0.0;
};

double ChildrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& time) { return time.tv_sec + time.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

Timing Run(const std::string& command) {
  const double cpuBefore = ChildrenCpuSeconds();
  const auto began = std::chrono::steady_clock::now();
  Shell(command);
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count(),
          ChildrenCpuSeconds() - cpuBefore};
}

// The shortest of the runs: what the work takes when the machine lets it.
struct Best {
  Timing best{1e300, 1e300};
  void Add(const Timing& timing) {
    best.seconds = std::min(best.seconds, timing.seconds);
    best.cpuSeconds = std::min(best.cpuSeconds, timing.cpuSeconds);
  }
};

// ffmpeg and the tool by turns, so that both meet the same load; the time
// reported is the tool's.
void BM_RenderAgainstFfmpeg(benchmark::State& state, ProjectPlan plan) {
  const MadeProject& media = Made(plan);
  const std::string ffmpeg = FfmpegCommand(plan, media, media.dir.File("ffmpeg.mp4"));
  const std::string tool = Quoted(CliPath()) + " --video-standard " + plan.name + " render " +
                           Quoted(media.project) + " " + Quoted(media.dir.File("tool.mp4")) +
                           " --format mp4 --quiet > /dev/null";
  Best ffmpegBest;
  Best toolBest;
  for (auto _ : state) {
    ffmpegBest.Add(Run(ffmpeg));
    const Timing timing = Run(tool);
    toolBest.Add(timing);
    state.SetIterationTime(timing.seconds);
  }
  const double frames = plan.seconds * 25.0;
  state.counters["fps"] = frames / toolBest.best.seconds;
  state.counters["ffmpeg_fps"] = frames / ffmpegBest.best.seconds;
  state.counters["cpu_s"] = toolBest.best.cpuSeconds;
  state.counters["ffmpeg_cpu_s"] = ffmpegBest.best.cpuSeconds;
  state.counters["ratio"] = toolBest.best.seconds / ffmpegBest.best.seconds;
  state.counters["cpu_ratio"] = toolBest.best.cpuSeconds / ffmpegBest.best.cpuSeconds;
}

}  // namespace

BENCHMARK_CAPTURE(BM_RenderAgainstFfmpeg, hd_1080p25, Hd())
    ->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK_CAPTURE(BM_RenderAgainstFfmpeg, uhd_2160p25, Uhd())
    ->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

BENCHMARK_MAIN();
