// The software board's AVI information reader: headers, formats and frame
// chunks of files made by FFmpeg's muxer and of hand-built layouts, and its
// behaviour on damaged files.
#include "playback/software_board/avi_info_component.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "playback/software_board/avi_chunks.h"
#include "support/avi_builder.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::AviBuildIndex;
using testing::AviBuildParams;
using testing::AviBuildStream;
using testing::TempDir;

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

struct Chunk {
  std::uint64_t offset = 0;
  std::uint32_t size = 0;
  bool key = false;
};

std::vector<Chunk> AllChunks(AviInfoComponent& info) {
  std::int32_t count = 0;
  EXPECT_EQ(info.GetVideoFrameCount(0, count), KlpOk);
  std::vector<Chunk> chunks;
  for (std::int32_t i = 0; i < count; ++i) {
    Chunk chunk;
    std::uint32_t flags = 0;
    EXPECT_EQ(info.GetFrameChunk(0, i, chunk.offset, chunk.size, flags), KlpOk) << "frame " << i;
    chunk.key = (flags & KlpAviKeyFrame) != 0;
    chunks.push_back(chunk);
  }
  return chunks;
}

std::vector<bool> KeyFlags(const std::vector<Chunk>& chunks) {
  std::vector<bool> keys;
  for (const Chunk& chunk : chunks) keys.push_back(chunk.key);
  return keys;
}

// Chunk payloads that are easy to tell apart.
std::vector<std::string> NumberedPayloads(int count) {
  std::vector<std::string> payloads;
  for (int i = 0; i < count; ++i) payloads.push_back("frame-" + std::to_string(i) + std::string(i % 3, '+'));
  return payloads;
}

class AviInfoTest : public ::testing::Test {
 protected:
  std::string WriteMovie(const testing::MovieParams& params, const std::string& name = "movie.avi") {
    const std::string path = dir_.File(name);
    std::string error;
    EXPECT_TRUE(testing::WriteAvi(path, params, &error)) << error;
    return path;
  }

  std::string Build(const AviBuildParams& params, const std::string& name = "built.avi") {
    return dir_.WriteFile(name, testing::BuildAvi(params));
  }

  // Every chunk the reader hands out must lie inside the file, and its
  // payload must be what was written there.
  void ExpectPayloads(const std::string& path, const std::vector<std::string>& payloads) {
    AviInfoComponent info;
    ASSERT_EQ(info.LoadFile(path), KlpOk);
    const std::string bytes = ReadFileBytes(path);
    const std::vector<Chunk> chunks = AllChunks(info);
    ASSERT_EQ(chunks.size(), payloads.size());
    for (std::size_t i = 0; i < chunks.size(); ++i) {
      ASSERT_LE(chunks[i].offset + chunks[i].size, bytes.size());
      EXPECT_EQ(bytes.substr(chunks[i].offset, chunks[i].size), payloads[i]) << "frame " << i;
    }
  }

  TempDir dir_;
};

TEST_F(AviInfoTest, MjpegMovieFromTheMuxer) {
  testing::MovieParams params;
  params.width = 160;
  params.height = 120;
  params.frameCount = 12;
  params.withAudio = true;
  const std::string path = WriteMovie(params);

  AviInfoComponent info;
  ASSERT_EQ(info.LoadFile(path), KlpOk);
  std::int32_t streams = 0;
  ASSERT_EQ(info.GetVideoStreamCount(streams), KlpOk);
  EXPECT_EQ(streams, 1);  // the sound stream is not counted

  KlpAviStreamHeader header;
  std::uint32_t key = 0;
  std::int32_t formatSize = 0;
  ASSERT_EQ(info.GetVideoStreamInfo(0, header, sizeof header, key, formatSize, 0), KlpOk);
  EXPECT_EQ(header.fccType, AviFourCC("vids"));
  EXPECT_EQ(header.fccHandler, AviFourCC("MJPG"));
  ASSERT_NE(header.scale, 0u);
  EXPECT_DOUBLE_EQ(static_cast<double>(header.rate) / header.scale, 25.0);
  ASSERT_GE(formatSize, 40);

  std::vector<std::uint8_t> format(static_cast<std::size_t>(formatSize));
  ASSERT_EQ(info.GetVideoFormat(0, format.data(), formatSize, key), KlpOk);
  EXPECT_EQ(ReadLe32(&format[4]), 160u);
  EXPECT_EQ(ReadLe32(&format[8]), 120u);
  EXPECT_EQ(ReadLe32(&format[16]), AviFourCC("MJPG"));

  const std::string bytes = ReadFileBytes(path);
  const std::vector<Chunk> chunks = AllChunks(info);
  ASSERT_EQ(chunks.size(), 12u);
  for (const Chunk& chunk : chunks) {
    EXPECT_TRUE(chunk.key);
    ASSERT_GE(chunk.size, 2u);
    ASSERT_LE(chunk.offset + chunk.size, bytes.size());
    // Every frame is a JPEG picture of its own.
    EXPECT_EQ(static_cast<unsigned char>(bytes[chunk.offset]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[chunk.offset + 1]), 0xD8);
  }
  // Below a gigabyte the muxer writes only the legacy index.
  EXPECT_EQ(info.Layout().streams.front().indexSource, AviIndexSource::Idx1);
}

TEST_F(AviInfoTest, InterCodedMovieMarksOnlyItsKeyFrames) {
  testing::MovieParams params;
  params.codec = testing::MovieCodec::Mpeg4;
  params.frameCount = 23;
  params.gopSize = 10;
  AviInfoComponent info;
  ASSERT_EQ(info.LoadFile(WriteMovie(params)), KlpOk);
  const std::vector<Chunk> chunks = AllChunks(info);
  ASSERT_EQ(chunks.size(), 23u);
  for (std::size_t i = 0; i < chunks.size(); ++i) EXPECT_EQ(chunks[i].key, i % 10 == 0) << "frame " << i;
}

TEST_F(AviInfoTest, MovieMadeByTheFfmpegProgram) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg program";
  const std::string path = dir_.File("lavfi.avi");
  const std::string command = "ffmpeg -loglevel error -y -f lavfi -i testsrc=size=176x144:rate=10 -t 2 "
                              "-c:v mjpeg '" + path + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  AviInfoComponent info;
  ASSERT_EQ(info.LoadFile(path), KlpOk);
  std::int32_t frames = 0;
  ASSERT_EQ(info.GetVideoFrameCount(0, frames), KlpOk);
  EXPECT_EQ(frames, 20);
}

TEST_F(AviInfoTest, LegacyIndexCountedFromEitherBase) {
  for (AviBuildIndex index : {AviBuildIndex::Idx1FromMovi, AviBuildIndex::Idx1FromFileStart}) {
    AviBuildParams params;
    AviBuildStream video;
    video.chunks = NumberedPayloads(7);
    params.streams = {video};
    params.index = index;
    SCOPED_TRACE(index == AviBuildIndex::Idx1FromMovi ? "from movi" : "from file start");
    ExpectPayloads(Build(params), video.chunks);
  }
}

TEST_F(AviInfoTest, OpenDmlIndexAloneGivesFramesAndKeyFlags) {
  AviBuildParams params;
  AviBuildStream video;
  video.chunks = NumberedPayloads(6);
  video.keyFrames = {true, false, false, true, false, false};
  params.streams = {video};
  params.index = AviBuildIndex::OpenDml;
  const std::string path = Build(params);
  ExpectPayloads(path, video.chunks);
  AviInfoComponent info;
  ASSERT_EQ(info.LoadFile(path), KlpOk);
  EXPECT_EQ(KeyFlags(AllChunks(info)), video.keyFrames);
}

TEST_F(AviInfoTest, MissingIndexIsRebuiltFromTheMovieList) {
  AviBuildParams params;
  AviBuildStream video;
  video.chunks = NumberedPayloads(5);
  params.streams = {video};
  params.index = AviBuildIndex::None;
  const std::string path = Build(params);
  ExpectPayloads(path, video.chunks);
  AviInfoComponent info;
  ASSERT_EQ(info.LoadFile(path), KlpOk);
  // Without an index nothing says which frames are key frames but the first.
  EXPECT_EQ(KeyFlags(AllChunks(info)), (std::vector<bool>{true, false, false, false, false}));
}

TEST_F(AviInfoTest, VideoStreamAfterASoundStream) {
  AviBuildParams params;
  AviBuildStream sound;
  sound.type = "auds";
  sound.handler = std::string(4, '\0');
  sound.rate = 8000;
  sound.chunks = {std::string(320, 's'), std::string(320, 't'), std::string(320, 'u')};
  AviBuildStream video;
  video.chunks = NumberedPayloads(3);
  params.streams = {sound, video};
  const std::string path = Build(params);
  ExpectPayloads(path, video.chunks);

  AviInfoComponent info;
  ASSERT_EQ(info.LoadFile(path), KlpOk);
  KlpAviStreamHeader header;
  std::uint32_t key = 0;
  std::int32_t formatSize = 0;
  ASSERT_EQ(info.GetVideoStreamInfo(0, header, sizeof header, key, formatSize, 0), KlpOk);
  EXPECT_EQ(key, 1u);  // the stream's number in the file
  std::vector<std::uint8_t> format(static_cast<std::size_t>(formatSize));
  EXPECT_EQ(info.GetVideoFormat(0, format.data(), formatSize, 0), KlpInvalidArgument);
  EXPECT_EQ(info.GetVideoFormat(0, format.data(), formatSize, key), KlpOk);
}

TEST_F(AviInfoTest, RefusesWhatIsNoAviFile) {
  AviInfoComponent info;
  EXPECT_EQ(info.LoadFile(dir_.File("missing.avi")), KlpFileNotFound);
  EXPECT_NE(info.LoadFile(dir_.WriteFile("text.avi", "This is a text file, not a movie.\n")), KlpOk);
  EXPECT_NE(info.LoadFile(dir_.WriteFile("empty.avi", "")), KlpOk);
  std::string wave = "RIFF";
  wave += std::string("\x24\0\0\0WAVEfmt ", 12);
  EXPECT_NE(info.LoadFile(dir_.WriteFile("sound.avi", wave + std::string(28, '\0'))), KlpOk);
  EXPECT_NE(info.LoadFile(dir_.Path().string()), KlpOk);  // a directory
  std::int32_t count = 0;
  EXPECT_EQ(info.GetVideoStreamCount(count), KlpUnexpected);
}

TEST_F(AviInfoTest, RefusesCallsOutsideTheFile) {
  AviInfoComponent info;
  std::int32_t count = 0;
  EXPECT_EQ(info.GetVideoFrameCount(0, count), KlpUnexpected);

  AviBuildParams params;
  AviBuildStream video;
  video.chunks = NumberedPayloads(3);
  params.streams = {video};
  ASSERT_EQ(info.LoadFile(Build(params)), KlpOk);
  std::uint64_t offset = 0;
  std::uint32_t size = 0;
  std::uint32_t flags = 0;
  EXPECT_EQ(info.GetFrameChunk(0, 3, offset, size, flags), KlpInvalidArgument);
  EXPECT_EQ(info.GetFrameChunk(0, -1, offset, size, flags), KlpInvalidArgument);
  EXPECT_EQ(info.GetFrameChunk(1, 0, offset, size, flags), KlpInvalidArgument);
  KlpAviStreamHeader header;
  std::uint32_t key = 0;
  std::int32_t formatSize = 0;
  EXPECT_EQ(info.GetVideoStreamInfo(0, header, 8, key, formatSize, 0), KlpInvalidArgument);
  ASSERT_EQ(info.GetVideoStreamInfo(0, header, sizeof header, key, formatSize, 0), KlpOk);
  std::vector<std::uint8_t> format(static_cast<std::size_t>(formatSize));
  EXPECT_EQ(info.GetVideoFormat(0, format.data(), formatSize - 1, key), KlpInvalidArgument);
}

TEST_F(AviInfoTest, IndexEntryPastTheEndIsNeverHandedOut) {
  for (AviBuildIndex index : {AviBuildIndex::Idx1FromMovi, AviBuildIndex::OpenDml}) {
    AviBuildParams params;
    AviBuildStream video;
    video.chunks = NumberedPayloads(4);
    params.streams = {video};
    params.index = index;
    params.lastEntryShift = 1u << 30;
    AviInfoComponent info;
    ASSERT_EQ(info.LoadFile(Build(params)), KlpOk);
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t flags = 0;
    EXPECT_EQ(info.GetFrameChunk(0, 2, offset, size, flags), KlpOk);
    EXPECT_EQ(info.GetFrameChunk(0, 3, offset, size, flags), KlpBadFormat);
  }
}

TEST_F(AviInfoTest, TruncatedMovieKeepsTheFramesItStillHolds) {
  testing::MovieParams params;
  params.width = 160;
  params.height = 120;
  params.frameCount = 20;
  const std::string whole = ReadFileBytes(WriteMovie(params));
  const std::string path = dir_.WriteFile("cut.avi", whole.substr(0, whole.size() / 2));
  AviInfoComponent info;
  ASSERT_EQ(info.LoadFile(path), KlpOk);
  const std::vector<Chunk> chunks = AllChunks(info);
  // The index at the end is gone; the frames in the first half remain.
  EXPECT_GE(chunks.size(), 5u);
  EXPECT_LT(chunks.size(), 20u);
  for (const Chunk& chunk : chunks) EXPECT_LE(chunk.offset + chunk.size, whole.size() / 2);
}

// Damage anywhere in a file must not make the reader read, allocate or hand
// out anything beyond the file, nor stop it from finishing.
TEST_F(AviInfoTest, DamagedBytesAnywhereStayInsideTheFile) {
  AviBuildParams params;
  AviBuildStream sound;
  sound.type = "auds";
  sound.handler = std::string(4, '\0');
  sound.chunks = {std::string(64, 's'), std::string(64, 't')};
  AviBuildStream video;
  video.chunks = NumberedPayloads(4);
  video.keyFrames = {true, false, true, false};
  for (AviBuildIndex index : {AviBuildIndex::Idx1FromMovi, AviBuildIndex::OpenDml}) {
    params.streams = {video, sound};
    params.index = index;
    const std::string original = testing::BuildAvi(params);
    std::mt19937 random(index == AviBuildIndex::OpenDml ? 7 : 3);
    for (int round = 0; round < 150; ++round) {
      std::string damaged = original;
      for (int hit = 0; hit < 4; ++hit) {
        const std::size_t at = random() % damaged.size();
        // Sizes and counts are where damage hurts: often write large values.
        damaged[at] = static_cast<char>(random() % 3 == 0 ? 0xFF : random() % 256);
      }
      if (round % 10 == 0) damaged.resize(random() % damaged.size());
      const std::string path = dir_.WriteFile("damaged.avi", damaged);
      AviInfoComponent info;
      if (info.LoadFile(path) != KlpOk) continue;
      std::int32_t streams = 0;
      ASSERT_EQ(info.GetVideoStreamCount(streams), KlpOk);
      for (std::int32_t s = 0; s < streams; ++s) {
        std::int32_t frames = 0;
        if (info.GetVideoFrameCount(s, frames) != KlpOk) continue;
        ASSERT_LE(static_cast<std::size_t>(frames), damaged.size() / 8 + 16);
        for (std::int32_t f = 0; f < frames; ++f) {
          std::uint64_t offset = 0;
          std::uint32_t size = 0;
          std::uint32_t flags = 0;
          if (info.GetFrameChunk(s, f, offset, size, flags) != KlpOk) continue;
          ASSERT_LE(offset + size, damaged.size()) << "round " << round << " frame " << f;
        }
      }
    }
  }
}

}  // namespace
}  // namespace vantorelle
