#include "fuzz_media.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

extern "C" {
#include <libavutil/log.h>
}

#include "model/user_interface.h"
#include "playback/source_reading.h"
#include "support/test_media_writer.h"

namespace vantorelle::fuzzing {
namespace {

namespace fs = std::filesystem;

// Any fixed moment will do: projects store it and find it again unchanged.
constexpr std::time_t kMediaLastWrite = 1'700'000'000;

bool PinLastWrite(const fs::path& path) {
  const timespec times[2] = {{kMediaLastWrite, 0}, {kMediaLastWrite, 0}};
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

}  // namespace

void QuietMediaLibraries() { av_log_set_level(AV_LOG_QUIET); }

bool Verbose() {
  static const bool verbose = std::getenv("VANTORELLE_FUZZ_VERBOSE") != nullptr;
  return verbose;
}

VideoStandard FuzzVideoStandard() { return VideoStandard::FromBoard(32, 24, 25.0); }

SoftwareBoardFormat FuzzBoardFormat() {
  const VideoStandard standard = FuzzVideoStandard();
  return SoftwareBoardFormat{standard.FrameWidth, standard.FrameHeight, standard.FrameRate / 1000.0};
}

std::vector<std::string> WriteFuzzMedia(const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  testing::MovieParams movie;
  movie.width = 32;
  movie.height = 24;
  movie.frameCount = 6;
  movie.withAudio = true;
  movie.audioSampleRate = 8000;
  testing::MovieParams silent = movie;
  silent.frameCount = 3;
  silent.withAudio = false;
  silent.pattern = testing::FramePattern::Solid;
  silent.colour = {20, 200, 60};
  testing::MovieParams soundOnly = movie;
  soundOnly.withVideo = false;
  testing::WavParams wav;
  wav.sampleRate = 8000;
  wav.seconds = 0.3;

  std::string why;
  const bool written = testing::WriteAvi((folder / "take-a.avi").string(), movie, &why) &&
                       testing::WriteAvi((folder / "take-b.avi").string(), silent, &why) &&
                       testing::WriteAvi((folder / "voice.avi").string(), soundOnly, &why) &&
                       testing::WriteWav((folder / "tone.wav").string(), wav, &why) &&
                       testing::WriteImage((folder / "still.png").string(), testing::ImageFormat::Png, 32, 24,
                                           {40, 40, 200}, &why);
  if (!written) {
    std::fprintf(stderr, "fuzz media: %s\n", why.c_str());
    return {};
  }
  const std::vector<std::string> names{"take-a.avi", "take-b.avi", "voice.avi", "tone.wav", "still.png"};
  for (const std::string& name : names) {
    if (!PinLastWrite(folder / name)) {
      std::fprintf(stderr, "fuzz media: cannot set the time of %s\n", name.c_str());
      return {};
    }
  }
  return names;
}

std::vector<std::unique_ptr<CSrc>> ReadFuzzSources(const fs::path& folder, const std::vector<std::string>& names,
                                                   IKlpComponentFactory& factory, IUserInterface& ui,
                                                   const StillImageExtensions& stillImages) {
  const SourceReadContext context{MediaReadContext{factory, ui, FrameSizeRule{}}, stillImages, nullptr};
  std::vector<std::unique_ptr<CSrc>> sources;
  for (const std::string& name : names) {
    auto source = MakeSourceFromFile(context, (folder / name).string());
    if (!source) {
      std::fprintf(stderr, "fuzz media: %s cannot be read as a source\n", name.c_str());
      return {};
    }
    sources.push_back(std::move(source));
  }
  return sources;
}

std::unique_ptr<CSrc> CloneSource(const CSrc& original) {
  auto copy = std::make_unique<CSrc>(original.path, original.name);
  copy->modified = original.modified;
  copy->size = original.size;
  copy->flags = original.flags;
  copy->duration = original.duration;
  copy->icon = original.icon;
  copy->frameWidth = original.frameWidth;
  copy->frameHeight = original.frameHeight;
  copy->storedPath = original.storedPath;
  return copy;
}

fs::path MakeScratchFolder(const std::string& stem) {
  // Saves sync their files: on a memory file system that costs nothing.
  std::error_code error;
  const fs::path memory("/dev/shm");
  const fs::path parent = fs::is_directory(memory, error) && access(memory.c_str(), W_OK) == 0
                              ? memory
                              : fs::temp_directory_path();
  std::string pattern = (parent / (stem + "-XXXXXX")).string();
  if (!mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    std::abort();
  }
  static std::vector<fs::path> made;
  made.emplace_back(pattern);
  static const bool tidy = [] {
    std::atexit([] {
      std::error_code error;
      for (const auto& folder : made) fs::remove_all(folder, error);
    });
    return true;
  }();
  (void)tidy;
  return pattern;
}

}  // namespace vantorelle::fuzzing
