// The length of a file's sound as the board's movie component reports it:
// the sound the file really holds when its header promises more (a file cut
// short), and the header's length when the file is whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "playback/software_board/movie_audio_reader.h"
#include "playback/software_board/play_movie_component.h"
#include "support/sound_probe.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using testing::Quoted;
using testing::RunFfmpeg;

double ReportedSoundSeconds(const std::string& path) {
  PlayMovieComponent movie;
  if (movie.OpenFile(path) != KlpOk) return -1.0;
  std::uint32_t flags = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  double videoSeconds = 0.0;
  double framesPerSecond = 0.0;
  double audioSeconds = -1.0;
  movie.GetMovieInfo(0, flags, width, height, videoSeconds, framesPerSecond, audioSeconds, nullptr);
  return audioSeconds;
}

// Seconds of sound the reader hands out from the file before it ends.
double DecodedSoundSeconds(const std::string& path) {
  MovieAudioReader reader;
  if (reader.Open(path) != KlpOk) return -1.0;
  std::vector<float> block(4800 * 2);
  std::size_t total = 0;
  for (;;) {
    const std::size_t got = reader.Read(block.data(), 4800);
    total += got;
    if (got < 4800) break;
  }
  return static_cast<double>(total) / 48000.0;
}

void CutInHalf(const std::string& from, const std::string& to) {
  const auto size = std::filesystem::file_size(from);
  std::ifstream in(from, std::ios::binary);
  std::vector<char> bytes(size / 2);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  std::ofstream(to, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct CutFormat {
  const char* extension;
  const char* codec;
};

TEST(SoundLength, AFileCutShortReportsTheSoundItHolds) {
  if (!testing::HasFfmpegProgram()) GTEST_SKIP() << "no ffmpeg program on PATH";
  testing::TempDir dir;
  // Each promises 4 s in its header: MP3 in its Xing frame, MP4 in its
  // index at the front, FLAC in its sample count.
  for (const CutFormat format : {CutFormat{"mp3", "-c:a libmp3lame -b:a 64k"},
                                 CutFormat{"m4a", "-c:a aac -movflags +faststart"}, CutFormat{"flac", "-c:a flac"}}) {
    const std::string whole = dir.File(std::string("whole.") + format.extension);
    const std::string cut = dir.File(std::string("cut.") + format.extension);
    ASSERT_TRUE(RunFfmpeg(std::string("-f lavfi -i sine=f=440:d=4 ") + format.codec + " " + Quoted(whole)));
    CutInHalf(whole, cut);
    EXPECT_NEAR(ReportedSoundSeconds(whole), 4.0, 0.03) << format.extension;
    const double held = DecodedSoundSeconds(cut);
    EXPECT_GT(held, 1.0) << format.extension;
    EXPECT_LT(held, 3.0) << format.extension;
    // Within the last packet, which a cut leaves half there.
    EXPECT_NEAR(ReportedSoundSeconds(cut), held, 0.12) << format.extension;
  }
}

TEST(SoundLength, SoundThatStartsAfterThePictureEndsThatMuchLater) {
  if (!testing::HasFfmpegProgram()) GTEST_SKIP() << "no ffmpeg program on PATH";
  testing::TempDir dir;
  const std::string path = dir.File("late.mkv");
  ASSERT_TRUE(RunFfmpeg("-f lavfi -i testsrc=size=64x48:rate=10:d=3 -itsoffset 0.5 -f lavfi -i sine=d=1.5:r=48000"
                        " -map 0 -map 1 -c:v mjpeg -c:a pcm_s16le " +
                        Quoted(path)));
  EXPECT_NEAR(ReportedSoundSeconds(path), 2.0, 0.002);
  EXPECT_NEAR(DecodedSoundSeconds(path), 2.0, 0.002);
}

}  // namespace
}  // namespace vantorelle
