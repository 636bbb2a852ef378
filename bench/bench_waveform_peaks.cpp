// Measuring the waveform of long sounds: a 60-minute 48 kHz stereo WAV and a
// 60-minute AAC sound track (made with the ffmpeg program at the start, in a
// temporary folder). For each: the seconds the peaks take to compute, beside
// the seconds `ffmpeg -i F -f null -` takes to decode the same file in the
// same run (aim: at most 1.2 times as long), and the milliseconds the peaks
// take to load from the peak cache (aim: 50 ms at most). Both files are read
// once before timing, so every run reads them from memory.
//
// Usage: bench_waveform_peaks [minutes (60)] [repeats (3)]
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "playback/peak_cache.h"
#include "playback/peak_computing.h"
#include "support/temp_dir.h"

namespace {

using namespace vantorelle;
using Clock = std::chrono::steady_clock;

struct Timing {
  double wall = 1e30;  // seconds, the best of the repeats
  double cpu = 1e30;
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double ThreadCpu() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

double ChildrenCpu() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "%s\n", why.c_str());
  std::exit(1);
}

bool Run(const std::string& command) {
  const int status = std::system(command.c_str());
  return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void ReadThrough(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> buffer(1 << 20);
  while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
  }
}

Timing TimeFfmpegDecode(const std::string& path) {
  const double cpuBefore = ChildrenCpu();
  const auto began = Clock::now();
  if (!Run("ffmpeg -nostdin -v error -i '" + path + "' -f null -")) Fail("the ffmpeg program could not decode " + path);
  return {Seconds(Clock::now() - began), ChildrenCpu() - cpuBefore};
}

Timing TimePeaks(const std::string& path, WaveformPeaks& peaks) {
  const double cpuBefore = ThreadCpu();
  const auto began = Clock::now();
  auto made = ComputeWaveformPeaks(path, [](const WaveformPeaks&) { return true; });
  const Timing timing{Seconds(Clock::now() - began), ThreadCpu() - cpuBefore};
  if (!made) Fail("no peaks of " + path);
  peaks = std::move(*made);
  return timing;
}

void Keep(Timing& best, const Timing& run) {
  best.wall = std::min(best.wall, run.wall);
  best.cpu = std::min(best.cpu, run.cpu);
}

void Measure(const char* label, const std::string& path, int repeats, const std::string& cacheFolder) {
  ReadThrough(path);
  Timing ffmpeg, peaks;
  WaveformPeaks made;
  // Taken in turns, so a busy moment of the machine falls on both.
  for (int i = 0; i < repeats; ++i) {
    Keep(ffmpeg, TimeFfmpegDecode(path));
    Keep(peaks, TimePeaks(path, made));
  }
  const PeakCache cache(cacheFolder);
  const auto identity = IdentityOf(path);
  if (!identity || !cache.Save(path, *identity, made)) Fail("the peaks of " + path + " could not be kept");
  double load = 1e30;
  for (int i = 0; i < 5; ++i) {
    const auto began = Clock::now();
    const auto loaded = cache.Load(path, *identity);
    load = std::min(load, Seconds(Clock::now() - began));
    if (!loaded || loaded->BlockCount() != made.BlockCount()) Fail("the peaks of " + path + " did not load");
  }
  std::printf("%-10s ffmpeg decode %7.2f s (cpu %7.2f s)  peaks %7.2f s (cpu %7.2f s)  ratio %.2f (cpu %.2f)  "
              "cache load %6.1f ms  (%lld blocks, %.1f MB file)\n",
              label, ffmpeg.wall, ffmpeg.cpu, peaks.wall, peaks.cpu, peaks.wall / ffmpeg.wall, peaks.cpu / ffmpeg.cpu,
              load * 1000.0, static_cast<long long>(made.BlockCount()),
              std::filesystem::file_size(cache.FileFor(path, *identity)) / 1e6);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const int minutes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
  const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  vantorelle::testing::TempDir dir;
  const std::string wav = dir.File("long.wav");
  const std::string aac = dir.File("long.m4a");
  const std::string seconds = std::to_string(minutes * 60);
  std::printf("making %d-minute sounds in %s\n", minutes, dir.Path().c_str());
  std::fflush(stdout);
  // A tone with a beep every second, so the waveform has something to show.
  if (!Run("ffmpeg -nostdin -v error -f lavfi -i 'sine=frequency=220:beep_factor=4:sample_rate=48000:duration=" +
           seconds + "' -ac 2 -c:a pcm_s16le -y '" + wav + "'") ||
      !Run("ffmpeg -nostdin -v error -i '" + wav + "' -c:a aac -b:a 160k -y '" + aac + "'")) {
    std::fprintf(stderr, "the ffmpeg program could not make the sounds\n");
    return 1;
  }
  Measure("WAV", wav, repeats, dir.File("cache"));
  Measure("AAC", aac, repeats, dir.File("cache"));
  return 0;
}
