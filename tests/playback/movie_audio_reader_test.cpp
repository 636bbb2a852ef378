// The board's sound reader on files of unusual rates: a rate so low that one
// sample becomes a second of output is converted piece by piece in little
// memory, usual low rates keep their pitch and level, and rates no sound
// card has are refused when the file is opened.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "playback/software_board/movie_audio_reader.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

// The address space the process holds now, in bytes.
rlim_t AddressSpaceInUse() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmSize:", 0) == 0) return static_cast<rlim_t>(std::stoull(line.substr(7))) * 1024;
  }
  return 0;
}

// Runs work in a child whose address space may grow by at most limitBytes;
// true when the child got through it and work said yes.
template <typename Work>
bool SucceedsWithin(rlim_t limitBytes, Work work) {
  const rlim_t inUse = AddressSpaceInUse();
  if (inUse == 0) return false;
  const pid_t child = fork();
  if (child == 0) {
    const rlimit limit{inUse + limitBytes, inUse + limitBytes};
    if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
    bool ok = false;
    try {
      ok = work();
    } catch (...) {
      _exit(4);
    }
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Rms(const std::vector<float>& stereo, int channel) {
  double sum = 0.0;
  for (std::size_t i = static_cast<std::size_t>(channel); i < stereo.size(); i += 2) sum += stereo[i] * stereo[i];
  return std::sqrt(sum / static_cast<double>(stereo.size() / 2));
}

int RisingZeroCrossings(const std::vector<float>& stereo, int channel) {
  int crossings = 0;
  for (std::size_t i = static_cast<std::size_t>(channel) + 2; i < stereo.size(); i += 2) {
    if (stereo[i - 2] < 0.0f && stereo[i] >= 0.0f) ++crossings;
  }
  return crossings;
}

class MovieAudioReaderRates : public ::testing::Test {
 protected:
  std::string Wav(const std::string& name, int rate, int channels, double seconds) {
    testing::WavParams params;
    params.sampleRate = rate;
    params.channels = channels;
    params.seconds = seconds;
    const std::string path = dir_.File(name);
    EXPECT_TRUE(testing::WriteWav(path, params));
    return path;
  }

  testing::TempDir dir_;
};

TEST_F(MovieAudioReaderRates, OneHertzSoundIsConvertedInLittleMemory) {
  // 16 KB of samples at 1 Hz: over two hours of sound, each sample 48 000
  // output samples. Whole packets resampled at once take gigabytes.
  const std::string path = Wav("slow.wav", 1, 1, 8000.0);
  const bool read = SucceedsWithin(256u << 20, [&] {
    MovieAudioReader reader;
    if (reader.Open(path) != KlpOk) return false;
    std::vector<float> block(1920 * 2);
    for (int i = 0; i < 100; ++i) {
      if (reader.Read(block.data(), 1920) != 1920) return false;
    }
    // Far into the file, after a seek, it goes on the same way.
    if (!reader.SeekTo(5000.0)) return false;
    std::vector<float> second(48000 * 2);
    return reader.Read(second.data(), 48000) == 48000;
  });
  EXPECT_TRUE(read);
}

TEST_F(MovieAudioReaderRates, EightKilohertzSoundKeepsItsPitchAndLevel) {
  const std::string path = Wav("phone.wav", 8000, 2, 2.0);
  MovieAudioReader reader;
  ASSERT_EQ(reader.Open(path), KlpOk);
  ASSERT_TRUE(reader.SeekTo(0.5));
  // One second read in small uneven blocks, as the board pulls it.
  std::vector<float> second(48000 * 2);
  std::size_t done = 0;
  for (std::size_t block = 1; done < 48000; block = block % 977 + 331) {
    const std::size_t count = std::min<std::size_t>(block, 48000 - done);
    ASSERT_EQ(reader.Read(second.data() + done * 2, count), count);
    done += count;
  }
  // The writer's tones: 440 Hz on the left, 660 Hz on the right, both at a
  // quarter of full scale.
  EXPECT_NEAR(RisingZeroCrossings(second, 0), 440, 2);
  EXPECT_NEAR(RisingZeroCrossings(second, 1), 660, 2);
  EXPECT_NEAR(Rms(second, 0), 0.25 / std::sqrt(2.0), 0.01);
  EXPECT_NEAR(Rms(second, 1), 0.25 / std::sqrt(2.0), 0.01);
  // The rest of the file, then silence: 1.5 s from the seek in all.
  std::vector<float> rest(48000 * 2, 1.0f);
  const std::size_t tail = reader.Read(rest.data(), 48000);
  EXPECT_NEAR(static_cast<double>(tail), 24000.0, 100.0);
  EXPECT_EQ(rest.back(), 0.0f);
}

TEST_F(MovieAudioReaderRates, RatesNoSoundCardHasAreRefused) {
  for (const int rate : {INT_MAX, 100'000'000, MovieAudioReader::kMaxSampleRate + 1}) {
    const std::string path = Wav("fast" + std::to_string(rate) + ".wav", rate, 1, 4096.0 / rate);
    MovieAudioReader reader;
    EXPECT_EQ(reader.Open(path), KlpBadFormat) << rate;
    EXPECT_FALSE(reader.IsOpen()) << rate;
  }
  MovieAudioReader highest;
  EXPECT_EQ(highest.Open(Wav("highest.wav", MovieAudioReader::kMaxSampleRate, 1, 0.01)), KlpOk);
}

}  // namespace
}  // namespace vantorelle
