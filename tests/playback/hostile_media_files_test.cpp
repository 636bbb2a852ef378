// Media readers given pipes, devices and huge files of the wrong kind: they
// refuse at once, never wait on a pipe, and never read a large file whose
// first bytes already say it is not what its name claims.
#include <gtest/gtest.h>

#include <filesystem>

#include "playback/software_board/avi_byte_source.h"
#include "playback/software_board/image_file_decoder.h"
#include "playback/software_board/movie_audio_reader.h"
#include "playback/software_board/movie_file_decoder.h"
#include "support/hostile_files.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using testing::PipeWatch;
using testing::TempDir;

TEST(HostileMediaFiles, PipesAndDevicesAreRefusedWithoutWaiting) {
  TempDir dir;
  for (const std::string name : {"pipe.png", "pipe.avi", "pipe.wav", "pipe.mp4"}) {
    testing::MakeFifo(dir.File(name));
  }
  std::filesystem::create_symlink("/dev/zero", dir.File("zero.png"));
  {
    PipeWatch watch(dir.File("pipe.png"));
    RgbaPicture picture;
    EXPECT_EQ(DecodeImageFile(dir.File("pipe.png"), picture), KlpFileNotFound);
    EXPECT_EQ(DecodeImageFile(dir.File("zero.png"), picture), KlpFileNotFound);
    EXPECT_FALSE(watch.HadToRelease());
  }
  {
    PipeWatch watch(dir.File("pipe.avi"));
    EXPECT_EQ(AviFileSource::Open(dir.File("pipe.avi")), nullptr);
    EXPECT_FALSE(watch.HadToRelease());
  }
  {
    PipeWatch watch(dir.File("pipe.wav"));
    MovieAudioReader reader;
    EXPECT_FALSE(KlpSucceeded(reader.Open(dir.File("pipe.wav"))));
    EXPECT_FALSE(watch.HadToRelease());
  }
  {
    PipeWatch watch(dir.File("pipe.mp4"));
    MovieFileDecoder decoder;
    EXPECT_FALSE(KlpSucceeded(decoder.Open(dir.File("pipe.mp4"))));
    EXPECT_FALSE(watch.HadToRelease());
  }
}

TEST(HostileMediaFiles, AnImagesSignatureIsCheckedBeforeItsBodyIsRead) {
  TempDir dir;
  // A gigabyte named as a picture that starts like none.
  const std::string huge = dir.File("huge.png");
  testing::MakeSparseFile(huge, 1ull << 30, {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
  const std::uint64_t grown = testing::PeakMemoryGrowthOf([&] {
    RgbaPicture picture;
    if (DecodeImageFile(huge, picture) != KlpBadFormat) ::_exit(3);
  });
  EXPECT_LT(grown, 16u << 20);
}

}  // namespace
}  // namespace vantorelle
