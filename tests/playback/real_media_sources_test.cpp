// Real media files becoming Clip Collection sources through the software
// board: flags, durations, frame sizes, the frame-size rule, refusals with
// the system's messages, and files that change on disk.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "playback/media_info.h"
#include "playback/source_properties.h"
#include "playback/software_board/software_board_factory.h"
#include "playback/source_reading.h"
#include "support/scripted_user_interface.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::ScriptedUserInterface;
using testing::TempDir;

class RealMediaSources : public ::testing::Test {
 protected:
  RealMediaSources() : board_(CreateSoftwareBoardFactory({})) {
    images_ = LoadImportFilter(*board_, ui_);
  }

  SourceReadContext Context() { return SourceReadContext{MediaReadContext{*board_, ui_, rule_}, images_, nullptr}; }

  std::string Movie(const std::string& name, const testing::MovieParams& params) {
    const std::string path = dir_.File(name);
    std::string error;
    EXPECT_TRUE(testing::WriteAvi(path, params, &error)) << error;
    return path;
  }

  TempDir dir_;
  std::unique_ptr<IKlpComponentFactory> board_;
  ScriptedUserInterface ui_;
  StillImageExtensions images_;
  FrameSizeRule rule_;
};

TEST_F(RealMediaSources, TheBoardsFilterListsTheImageTypes) {
  EXPECT_TRUE(ui_.messages.empty());
  for (const char* extension : {"png", "jpg", "jpeg", "bmp", "tga", "tif", "tiff", "webp", "gif"}) {
    EXPECT_TRUE(images_.Contains(extension)) << extension;
  }
  EXPECT_FALSE(images_.Contains("avi"));
  EXPECT_FALSE(images_.Contains("txt"));
}

TEST_F(RealMediaSources, MoviesSoundsAndImagesWithTheirMeasures) {
  testing::MovieParams params;
  params.width = 320;
  params.height = 240;
  params.frameCount = 40;
  params.withAudio = true;
  const auto movie = MakeSourceFromFile(Context(), Movie("take.avi", params));
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->flags, SourceFlags::MovieFile | SourceFlags::VideoStream | SourceFlags::AudioStream);
  EXPECT_DOUBLE_EQ(movie->duration, 1600.0);
  EXPECT_EQ(movie->frameWidth, 320);
  EXPECT_EQ(movie->frameHeight, 240);

  params.codec = testing::MovieCodec::Uncompressed;
  params.withAudio = false;
  const auto raw = MakeSourceFromFile(Context(), Movie("raw.AVI", params));
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->flags, SourceFlags::MovieFile | SourceFlags::VideoStream);

  testing::WavParams wavParams;
  wavParams.seconds = 2.25;
  const std::string wavPath = dir_.File("voice.Wav");
  ASSERT_TRUE(testing::WriteWav(wavPath, wavParams));
  const auto wav = MakeSourceFromFile(Context(), wavPath);
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->flags, SourceFlags::MovieFile | SourceFlags::AudioStream);
  EXPECT_DOUBLE_EQ(wav->duration, 2250.0);
  EXPECT_EQ(wav->frameWidth, 0);

  for (auto [format, name] : {std::pair{testing::ImageFormat::Png, "a.png"},
                              std::pair{testing::ImageFormat::Jpeg, "b.JPG"},
                              std::pair{testing::ImageFormat::Bmp, "c.bmp"}}) {
    const std::string path = dir_.File(name);
    ASSERT_TRUE(testing::WriteImage(path, format, 90, 60, {10, 200, 30}));
    const auto image = MakeSourceFromFile(Context(), path);
    ASSERT_TRUE(image) << name;
    EXPECT_EQ(image->flags, SourceFlags::VideoStream) << name;
    EXPECT_EQ(image->duration, 0.0);
    EXPECT_EQ(image->frameWidth, 90);
    EXPECT_EQ(image->frameHeight, 60);
    EXPECT_EQ(image->size, std::filesystem::file_size(path));
  }
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(RealMediaSources, MoviesOfAnyFrameSizeAreTakenWhateverTheProjectHolds) {
  testing::MovieParams params;
  params.width = 320;
  params.height = 240;
  params.frameCount = 5;
  const std::string small = Movie("small.avi", params);
  rule_.projectHoldsMoviePicture = true;
  rule_.projectFrameSize = {720, 576};
  const auto source = MakeSourceFromFile(Context(), small);
  ASSERT_TRUE(source);
  EXPECT_EQ(source->frameWidth, 320);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(RealMediaSources, MoviesWithAlphaAreAlphaSourcesWhateverKeepsTheirAlpha) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg program on PATH";
  // VP8 and VP9 in WebM keep their alpha beside the pictures; the others in
  // the pictures themselves.
  const std::pair<const char*, const char*> movies[] = {
      {"qtrle.mov", "-c:v qtrle"},
      {"vp9.webm", "-c:v libvpx-vp9 -pix_fmt yuva420p -deadline realtime -cpu-used 8"},
      {"vp8.webm", "-c:v libvpx -pix_fmt yuva420p -auto-alt-ref 0 -deadline realtime"},
      {"opaque-vp9.webm", "-c:v libvpx-vp9 -pix_fmt yuv420p -deadline realtime -cpu-used 8"},
  };
  for (const auto& [name, encoding] : movies) {
    SCOPED_TRACE(name);
    const std::string path = dir_.File(name);
    const std::string command = "ffmpeg -nostdin -loglevel error -y -f lavfi -i "
                                "'color=c=0x00C800@0.25:s=160x120:r=25:d=0.4,format=argb' " +
                                std::string(encoding) + " '" + path + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const auto source = MakeSourceFromFile(Context(), path);
    ASSERT_TRUE(source);
    const bool opaque = std::string(name).rfind("opaque", 0) == 0;
    EXPECT_EQ(source->flags, SourceFlags::MovieFile | (opaque ? SourceFlags::VideoStream : SourceFlags::AlphaStream));
    EXPECT_EQ(source->frameWidth, 160);
    EXPECT_DOUBLE_EQ(source->duration, 400.0);
  }
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(RealMediaSources, TheMovieComponentReportsTheCommonMovieAndSoundTypes) {
  const FileTypeList movies = LoadMovieImportFilter(*board_, ui_);
  EXPECT_TRUE(ui_.messages.empty());
  for (const char* extension : {"avi", "mp4", "m4v", "mov", "mkv", "webm", "mts", "m2ts", "ts", "mpg", "mxf", "flv",
                                "ogv", "wmv", "mp3", "aac", "m4a", "flac", "ogg", "opus", "aiff", "wma", "wav"}) {
    EXPECT_TRUE(movies.Contains(extension)) << extension;
  }
  EXPECT_FALSE(movies.Contains("png"));
  EXPECT_FALSE(movies.Contains("srt"));
  ASSERT_GE(movies.filterParts.size(), 2u);
  EXPECT_EQ(movies.filterParts[0].rfind("Movie and Sound Files(", 0), 0u) << movies.filterParts[0];
}

TEST_F(RealMediaSources, DamagedFilesAreRefusedWithTheComponentsMessages) {
  const std::string text = dir_.WriteFile("x.avi", "This is a text file, not a movie.\n");
  EXPECT_FALSE(MakeSourceFromFile(Context(), text));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages.back().text, "Can't use the file " + text + ":\nno picture or sound stream.");

  testing::WavParams headerOnly;
  headerOnly.headerOnly = true;
  const std::string noData = dir_.File("nodata.wav");
  ASSERT_TRUE(testing::WriteWav(noData, headerOnly));
  EXPECT_FALSE(MakeSourceFromFile(Context(), noData));
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages.back().text, "Can't use the file " + noData + ":\ndamaged file.");

  EXPECT_FALSE(MakeSourceFromFile(Context(), dir_.WriteFile("zero.avi", "")));
  EXPECT_EQ(ui_.messages.size(), 3u);

  const std::string brokenPng = dir_.WriteFile("broken.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  EXPECT_FALSE(MakeSourceFromFile(Context(), brokenPng));
  ASSERT_EQ(ui_.messages.size(), 4u);
  EXPECT_EQ(ui_.messages.back().text, "Can't use the file " + brokenPng + ":\ndamaged file.");

  // A movie cut in half still opens: what is left of it can be used.
  testing::MovieParams params;
  params.frameCount = 20;
  const std::string whole = Movie("whole.avi", params);
  std::filesystem::resize_file(whole, std::filesystem::file_size(whole) / 2);
  const auto cut = MakeSourceFromFile(Context(), whole);
  if (cut) {
    EXPECT_GT(cut->duration, 0.0);
    EXPECT_LE(cut->duration, 800.0);
  }
}

TEST_F(RealMediaSources, ChangedFileIsReadAgainWhenFound) {
  testing::MovieParams params;
  params.width = 160;
  params.height = 120;
  params.frameCount = 10;
  const std::string path = Movie("take.avi", params);
  auto source = MakeSourceFromFile(Context(), path);
  ASSERT_TRUE(source);
  source->storedPath = "take.avi";
  EXPECT_DOUBLE_EQ(source->duration, 400.0);

  params.frameCount = 30;
  Movie("take.avi", params);
  std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::hours(1));
  EXPECT_EQ(CheckSourceAgainstDisk(Context(), *source, dir_.Path().string()), DiskCheck::Found);
  EXPECT_DOUBLE_EQ(source->duration, 1200.0);
  ASSERT_FALSE(ui_.messages.empty());
  EXPECT_NE(ui_.messages.front().text.find("was modified"), std::string::npos) << ui_.messages.front().text;
}

TEST_F(RealMediaSources, PropertiesWindowShowsTheMeasuredMedia) {
  testing::MovieParams params;
  params.width = 320;
  params.height = 240;
  params.frameCount = 75;
  params.withAudio = true;
  params.audioSampleRate = 32000;
  const auto movie = MakeSourceFromFile(Context(), Movie("take.avi", params));
  ASSERT_TRUE(movie);
  const SourcePropertyTexts texts = SourceProperties(*movie, *board_);
  EXPECT_EQ(texts.frameWidth, "320 pixels.");
  EXPECT_EQ(texts.frameRate, "25.000 frames / second");
  EXPECT_EQ(texts.videoDuration, "00:00:03:000");
  EXPECT_EQ(texts.audioDuration, "00:00:03:000");
  EXPECT_EQ(texts.sampleRate, "32000 Hz");
  EXPECT_EQ(texts.bits, "16");
  EXPECT_EQ(texts.videoCodec, "mjpeg");
  EXPECT_EQ(texts.pixelAspect, "1:1");
  EXPECT_FALSE(texts.colourMatrix.empty());
  EXPECT_EQ(texts.audioCodec, "pcm_s16le");
  EXPECT_FALSE(texts.channelLayout.empty());
  EXPECT_TRUE(texts.thumbnailAvailable);
}

}  // namespace
}  // namespace vantorelle
