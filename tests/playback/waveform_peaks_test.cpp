// Waveform peaks: measured exactly from a sound of known samples, kept in the
// peak cache so a file is decoded once, and measured again when the file
// changes or its cache file cannot be trusted.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "playback/peak_cache.h"
#include "playback/peak_computing.h"
#include "playback/peak_store.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

namespace fs = std::filesystem;

// A square wave whose level changes every 100 frames on channel 0 and a sine
// on channel 1: blocks of 256 frames see different extremes on either side.
std::vector<std::int16_t> KnownSamples(std::size_t frames, int channels, int seed) {
  std::vector<std::int16_t> samples;
  for (std::size_t i = 0; i < frames; ++i) {
    const int level = 500 + static_cast<int>((i / 100 * 7919 + seed * 131) % 30000);
    samples.push_back(static_cast<std::int16_t>((i / 37) % 2 ? level : -level - 1));
    if (channels == 2) samples.push_back(static_cast<std::int16_t>(std::lround(20000.0 * std::sin(i * 0.01 + seed))));
  }
  return samples;
}

std::vector<PeakPair> ExpectedBlocks(const std::vector<std::int16_t>& samples, int channels) {
  std::vector<PeakPair> blocks;
  const std::size_t frames = samples.size() / static_cast<std::size_t>(channels);
  for (std::size_t first = 0; first < frames; first += kPeakBlockFrames) {
    PeakPair pair{32767, -32768};
    for (std::size_t i = first * channels; i < std::min(frames, first + kPeakBlockFrames) * channels; ++i) {
      pair = PeakPair{std::min(pair.low, samples[i]), std::max(pair.high, samples[i])};
    }
    blocks.push_back(pair);
  }
  return blocks;
}

TEST(WaveformPeaks, EachBlockHoldsTheExtremesOfItsSamples) {
  testing::TempDir dir;
  // Three pieces and a partial block, mono and stereo.
  const std::size_t frames = 2 * kPeakPieceFrames + 1000 * kPeakBlockFrames / 10 + 77;
  for (int channels : {1, 2}) {
    SCOPED_TRACE(channels);
    const std::vector<std::int16_t> samples = KnownSamples(frames, channels, channels);
    const std::string path = dir.File("known" + std::to_string(channels) + ".wav");
    ASSERT_TRUE(testing::WriteWavSamples(path, kPeakSampleRate, channels, samples));
    std::vector<std::int64_t> seen;
    const auto peaks = ComputeWaveformPeaks(path, [&](const WaveformPeaks& sofar) {
      seen.push_back(sofar.BlockCount());
      return true;
    });
    ASSERT_TRUE(peaks.has_value());
    EXPECT_TRUE(peaks->Complete());
    EXPECT_EQ(peaks->Blocks(), ExpectedBlocks(samples, channels));
    // The peaks so far were shown after each whole piece.
    EXPECT_EQ(seen, (std::vector<std::int64_t>{kPeakPieceFrames / kPeakBlockFrames,
                                               2 * kPeakPieceFrames / kPeakBlockFrames}));
  }
  // Stopped part way, it answers nothing; a file without sound too.
  const std::string path = dir.File("known2.wav");
  EXPECT_FALSE(ComputeWaveformPeaks(path, [](const WaveformPeaks&) { return false; }).has_value());
  EXPECT_FALSE(ComputeWaveformPeaks(dir.WriteFile("none.wav", "not a sound"), {}).has_value());
}

TEST(WaveformPeaks, CoarserLevelsAnswerWideStretchesAsTheBlocksDo) {
  std::vector<PeakPair> blocks;
  for (int i = 0; i < 1000; ++i) {
    blocks.push_back(PeakPair{static_cast<std::int16_t>(-(i * 37 % 1001)), static_cast<std::int16_t>(i * 53 % 997)});
  }
  const WaveformPeaks whole{std::vector<PeakPair>(blocks)};
  // Grown piece by piece, as while a file is measured, it ends the same.
  WaveformPeaks grown;
  for (std::size_t at = 0; at < blocks.size(); at += 77) {
    grown.Append(std::span(blocks).subspan(at, std::min<std::size_t>(77, blocks.size() - at)));
  }
  ASSERT_EQ(grown.LevelCount(), whole.LevelCount());
  for (std::size_t level = 0; level < whole.LevelCount(); ++level) EXPECT_EQ(grown.Level(level), whole.Level(level));
  EXPECT_EQ(whole.Level(whole.LevelCount() - 1).size(), 1u);

  const auto exact = [&](std::size_t first, std::size_t end) {
    PeakPair pair = blocks[first];
    for (std::size_t i = first; i < std::min(end, blocks.size()); ++i) pair = Union(pair, blocks[i]);
    return pair;
  };
  // Stretches on the boundaries of a level are answered exactly from it.
  for (std::size_t width : {1u, 2u, 8u, 64u, 512u}) {
    for (std::size_t first = 0; first < blocks.size(); first += width) {
      const auto over = whole.Over(static_cast<std::int64_t>(first) * kPeakBlockFrames,
                                   static_cast<std::int64_t>(first + width) * kPeakBlockFrames);
      ASSERT_TRUE(over.has_value());
      EXPECT_EQ(*over, exact(first, first + width)) << first << " +" << width;
    }
  }
  // Less than a frame reads the block it lies in; past the end nothing is known.
  EXPECT_EQ(whole.Over(300 * kPeakBlockFrames + 5, 300 * kPeakBlockFrames + 5), blocks[300]);
  EXPECT_FALSE(whole.Over(1000 * kPeakBlockFrames, 1001 * kPeakBlockFrames).has_value());
}

class PeakCacheFiles : public ::testing::Test {
 protected:
  std::string WriteSound(const std::string& name, std::size_t frames, int seed) {
    samples_ = KnownSamples(frames, 2, seed);
    const std::string path = dir_.File(name);
    EXPECT_TRUE(testing::WriteWavSamples(path, kPeakSampleRate, 2, samples_));
    return path;
  }

  std::unique_ptr<CSrc> SourceOf(const std::string& path) {
    auto source = std::make_unique<CSrc>(path, fs::path(path).filename().string());
    source->flags = SourceFlags::MovieFile | SourceFlags::AudioStream;
    source->size = static_cast<std::uint32_t>(fs::file_size(path));
    return source;
  }

  // A fresh store, as in a new run of the editor, until the peaks are whole.
  struct Measured {
    std::shared_ptr<const WaveformPeaks> peaks;
    std::size_t decodes = 0;
  };
  Measured Measure(const std::unique_ptr<CSrc>& source) {
    PeakStore store(cacheFolder_, {});
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::shared_ptr<const WaveformPeaks> peaks;
    while (!(peaks = store.PeaksOf(*source)) || !peaks->Complete()) {
      if (std::chrono::steady_clock::now() > until) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {peaks, store.DecodeCount()};
  }

  std::string CacheFileOf(const std::string& path) {
    return PeakCache(cacheFolder_).FileFor(path, *IdentityOf(path));
  }

  testing::TempDir dir_;
  std::string cacheFolder_ = dir_.File("cache/peaks");
  std::vector<std::int16_t> samples_;
};

TEST_F(PeakCacheFiles, ASecondRunLoadsThePeaksWithoutDecoding) {
  const std::string path = WriteSound("a.wav", 48000, 1);
  const auto source = SourceOf(path);
  const Measured first = Measure(source);
  ASSERT_TRUE(first.peaks && first.peaks->Complete());
  EXPECT_EQ(first.decodes, 1u);
  EXPECT_EQ(first.peaks->Blocks(), ExpectedBlocks(samples_, 2));
  const std::string file = CacheFileOf(path);
  ASSERT_TRUE(fs::exists(file));
  const auto written = fs::last_write_time(file);

  const Measured second = Measure(source);
  ASSERT_TRUE(second.peaks && second.peaks->Complete());
  EXPECT_EQ(second.decodes, 0u);
  EXPECT_EQ(second.peaks->Blocks(), first.peaks->Blocks());
  EXPECT_EQ(fs::last_write_time(file), written);
}

TEST_F(PeakCacheFiles, AChangedSourceIsMeasuredAgain) {
  const std::string path = WriteSound("a.wav", 48000, 1);
  ASSERT_EQ(Measure(SourceOf(path)).decodes, 1u);

  // Other samples and another length.
  WriteSound("a.wav", 30000, 2);
  Measured changed = Measure(SourceOf(path));
  EXPECT_EQ(changed.decodes, 1u);
  ASSERT_TRUE(changed.peaks);
  EXPECT_EQ(changed.peaks->Blocks(), ExpectedBlocks(samples_, 2));

  // Same length, only a new last-write time.
  fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(5));
  EXPECT_EQ(Measure(SourceOf(path)).decodes, 1u);
  EXPECT_EQ(Measure(SourceOf(path)).decodes, 0u);
}

TEST_F(PeakCacheFiles, ACacheFileThatCannotBeTrustedIsMadeAgain) {
  const std::string path = WriteSound("a.wav", 48000, 1);
  const auto source = SourceOf(path);
  const Measured first = Measure(source);
  ASSERT_TRUE(first.peaks);
  const std::string file = CacheFileOf(path);
  const auto read = [&] {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string good = read();
  const auto write = [&](const std::string& bytes) { std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes; };

  std::string flipped = good;
  flipped[flipped.size() - 3] ^= 0x40;  // a peak, not the header
  std::string otherSource = good;
  otherSource[otherSource.find("a.wav")] = 'b';
  for (const std::string& damaged : {good.substr(0, good.size() - 2), good.substr(0, 20), flipped, otherSource,
                                     std::string("VRPEAKS"), std::string(good.size(), '\0')}) {
    write(damaged);
    const Measured again = Measure(source);
    EXPECT_EQ(again.decodes, 1u);
    ASSERT_TRUE(again.peaks);
    EXPECT_EQ(again.peaks->Blocks(), first.peaks->Blocks());
    EXPECT_EQ(read(), good);  // the file was written anew
  }
}

}  // namespace
}  // namespace vantorelle
