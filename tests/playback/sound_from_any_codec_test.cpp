// The board's sound from every common sound format, made by the ffmpeg
// program at test time: each plays at its level, starts at its first real
// sample (encoder priming cut away) and lands sample-exact after a seek;
// multichannel sound is folded into stereo at the stated levels without
// clipping.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "playback/software_board/movie_audio_reader.h"
#include "playback/software_board/stereo_downmix.h"
#include "support/sound_probe.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using testing::LoudestFrame;
using testing::Quoted;
using testing::ReadFrames;
using testing::RunFfmpeg;

constexpr std::size_t kRate = 48000;

// 2 s at 44.1 kHz (so every file is resampled): clicks at 0.25 s and 1.75 s,
// a 1 kHz tone at half of full scale from 0.5 s to 1.5 s, silence otherwise.
const char* const kClicksAndTone =
    "-f lavfi -i \"aevalsrc='if(eq(n,11025)+eq(n,77175),0.9,if(between(t,0.5,1.5),0.5*sin(2*PI*1000*t),0))'"
    ":s=44100:d=2\"";

struct SoundFormat {
  const char* name;
  const char* extension;
  const char* codec;
  // How far a click may move: none for uncompressed sound, a little for
  // codecs that smear it, a millisecond where the container rounds its
  // timestamps to milliseconds (ASF, Matroska).
  int clickSlack;
  double levelSlack;
  // Raw AAC (ADTS) does not say how much priming its encoder put in front,
  // and WMA labels its frames one frame late: there only seeking and playing
  // through must agree.
  bool startKnown = true;
};

std::ostream& operator<<(std::ostream& out, const SoundFormat& format) { return out << format.name; }

class SoundFormats : public ::testing::TestWithParam<SoundFormat> {
 protected:
  void SetUp() override {
    if (!testing::HasFfmpegProgram()) GTEST_SKIP() << "no ffmpeg program on PATH";
  }
  testing::TempDir dir_;
};

TEST_P(SoundFormats, PlaysAtItsLevelFromItsFirstSampleAndSeeksToTheSample) {
  const SoundFormat& format = GetParam();
  const std::string path = dir_.File(std::string("sound.") + format.extension);
  ASSERT_TRUE(RunFfmpeg(std::string(kClicksAndTone) + " " + format.codec + " " + Quoted(path)));
  MovieAudioReader reader;
  ASSERT_EQ(reader.Open(path), KlpOk);

  const std::vector<float> all = ReadFrames(reader, kRate * 2);
  const auto firstClick = static_cast<long>(LoudestFrame(all, 0, kRate * 45 / 100));
  const auto secondClick = static_cast<long>(LoudestFrame(all, kRate * 16 / 10, kRate * 3 / 10));
  if (format.startKnown) {
    EXPECT_NEAR(firstClick, 12000, format.clickSlack) << "first click";
    EXPECT_NEAR(secondClick, 84000, format.clickSlack) << "second click";
  }
  const std::size_t toneFrom = kRate * 7 / 10;
  const std::size_t toneCount = kRate * 6 / 10;
  EXPECT_NEAR(testing::ToneAmplitude(all, 0, 1000.0, toneFrom, toneCount), 0.5, format.levelSlack);
  EXPECT_NEAR(testing::ToneAmplitude(all, 1, 1000.0, toneFrom, toneCount), 0.5, format.levelSlack);
  EXPECT_NEAR(testing::Rms(all, 0, toneFrom, toneCount), 0.5 / std::sqrt(2.0), format.levelSlack);

  // A seek lands on the same sample as playing through: the second click,
  // 0.05 s after the seek.
  ASSERT_TRUE(reader.SeekTo(1.7));
  const std::vector<float> after = ReadFrames(reader, kRate / 5);
  const auto click = static_cast<long>(LoudestFrame(after, 0, kRate / 5));
  EXPECT_NEAR(click, secondClick - 81600, format.clickSlack) << "a seek lands where playing through does";
  if (format.startKnown) {
    EXPECT_NEAR(click, 2400, format.clickSlack) << "click after a seek";
  }
  // From the middle of the tone, the tone goes on at once.
  ASSERT_TRUE(reader.SeekTo(0.9));
  const std::vector<float> tone = ReadFrames(reader, kRate / 2);
  EXPECT_NEAR(testing::Rms(tone, 0, 0, kRate / 2), 0.5 / std::sqrt(2.0), format.levelSlack);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCommonFormat, SoundFormats,
    ::testing::Values(SoundFormat{"wav_u8", "wav", "-c:a pcm_u8", 1, 0.01},
                      SoundFormat{"wav_s16", "wav", "-c:a pcm_s16le", 1, 0.002},
                      SoundFormat{"wav_s24", "wav", "-c:a pcm_s24le", 1, 0.002},
                      SoundFormat{"wav_s32", "wav", "-c:a pcm_s32le", 1, 0.002},
                      SoundFormat{"wav_f32", "wav", "-c:a pcm_f32le", 1, 0.002},
                      SoundFormat{"wav_f64", "wav", "-c:a pcm_f64le", 1, 0.002},
                      SoundFormat{"aiff", "aiff", "-c:a pcm_s16be", 1, 0.002},
                      SoundFormat{"flac", "flac", "-c:a flac", 1, 0.002},
                      SoundFormat{"mp3", "mp3", "-c:a libmp3lame -b:a 128k", 4, 0.03},
                      SoundFormat{"m4a", "m4a", "-c:a aac -b:a 128k", 4, 0.03},
                      SoundFormat{"aac", "aac", "-c:a aac -b:a 128k", 4, 0.03, false},
                      SoundFormat{"vorbis", "ogg", "-c:a libvorbis -q:a 5", 4, 0.03},
                      SoundFormat{"opus", "opus", "-c:a libopus -b:a 96k", 4, 0.03},
                      SoundFormat{"webm_opus", "webm", "-c:a libopus -b:a 96k", 48, 0.03},
                      SoundFormat{"mp4_opus", "mp4", "-c:a libopus -b:a 96k", 4, 0.03},
                      SoundFormat{"alac", "m4a", "-c:a alac", 1, 0.002},
                      SoundFormat{"wavpack", "wv", "-c:a wavpack", 1, 0.002},
                      SoundFormat{"wma", "wma", "-c:a wmav2 -b:a 128k", 48, 0.03, false}),
    [](const ::testing::TestParamInfo<SoundFormat>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantorelle
