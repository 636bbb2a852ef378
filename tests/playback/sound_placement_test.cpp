// Where the board puts a movie's sound: relative to the start of its
// picture, so an offset between the streams made by the recorder or the
// muxer is kept; by timestamps, so sound a recorder dropped leaves silence
// and the end of a long recording is still in sync; and multichannel sound
// folded into stereo at fixed levels without clipping.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
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
using testing::ToneAmplitude;

constexpr std::size_t kRate = 48000;
// Containers that keep time in milliseconds (MP4 edit lists, Matroska)
// place sound to within a millisecond.
constexpr long kMillisecond = 48;

// A tiny picture stream, enough to give the file a picture start.
const char* const kPictures = "-f lavfi -i testsrc=size=64x48:rate=10:d=2";
// One click, at 0.1 s of its own stream.
const char* const kClickAt01 = "-f lavfi -i \"aevalsrc='eq(n,4800)*0.9':s=48000:d=1.5\"";

class SoundPlacement : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::HasFfmpegProgram()) GTEST_SKIP() << "no ffmpeg program on PATH";
  }
  // Where the loudest sample lies in the first seconds of the file's sound.
  long ClickFrame(const std::string& path, double seconds) {
    MovieAudioReader reader;
    EXPECT_EQ(reader.Open(path), KlpOk);
    const auto frames = static_cast<std::size_t>(seconds * kRate);
    return static_cast<long>(LoudestFrame(ReadFrames(reader, frames), 0, frames));
  }
  testing::TempDir dir_;
};

TEST_F(SoundPlacement, SoundThatStartsAfterThePictureKeepsItsOffset) {
  // MPEG-TS counts from 1.4 s and MP4 from 0; in both the sound starts
  // 0.5 s after the first picture, so the click sounds 0.6 s in.
  for (const std::string name : {"late.ts", "late.mp4", "late.mov", "late.mkv"}) {
    const std::string path = dir_.File(name);
    ASSERT_TRUE(RunFfmpeg(std::string(kPictures) + " -itsoffset 0.5 " + kClickAt01 +
                          " -map 0 -map 1 -c:v libx264 -c:a aac " + Quoted(path)));
    EXPECT_NEAR(ClickFrame(path, 1.5), 28800, kMillisecond) << name;
  }
}

TEST_F(SoundPlacement, SoundThatStartsBeforeThePictureIsCutToThePictureStart) {
  // The picture starts 0.5 s into the sound: its click at 0.75 s sounds
  // 0.25 s after the first picture.
  const std::string path = dir_.File("early.mkv");
  ASSERT_TRUE(RunFfmpeg("-itsoffset 0.5 " + std::string(kPictures) +
                        " -f lavfi -i \"aevalsrc='eq(n,36000)*0.9':s=48000:d=2\""
                        " -map 0 -map 1 -c:v libx264 -c:a aac " +
                        Quoted(path)));
  EXPECT_NEAR(ClickFrame(path, 1.0), 12000, kMillisecond);
}

TEST_F(SoundPlacement, SoundOfATenMinuteRecordingThatDroppedSoundEndsInSync) {
  // Ten minutes of AAC whose recorder lost 50 ms of sound three times
  // (after 150 s, 300 s and 450 s); the click made at 599.5 s therefore
  // sounds at 599.65 s, and must there after playing through from the start.
  const std::string path = dir_.File("long.mp4");
  ASSERT_TRUE(RunFfmpeg(
      "-f lavfi -i testsrc=size=64x48:rate=2:d=600 -f lavfi -i \"aevalsrc='eq(n,28776000)*0.9':s=48000:d=600\""
      " -af \"asetpts='PTS+0.05*(gte(T,150)+gte(T,300)+gte(T,450))/TB'\""
      " -c:v libx264 -preset ultrafast -c:a aac -b:a 24k -ac 1 " +
      Quoted(path)));
  MovieAudioReader reader;
  ASSERT_EQ(reader.Open(path), KlpOk);
  std::vector<float> block(kRate * 2);
  std::size_t at = 0;
  std::size_t loudestAt = 0;
  float loudest = 0.0f;
  for (int second = 0; second < 601; ++second) {
    reader.Read(block.data(), kRate);
    const std::size_t peak = LoudestFrame(block, 0, kRate);
    const float magnitude = std::abs(block[peak * 2]);
    if (magnitude > loudest) {
      loudest = magnitude;
      loudestAt = at + peak;
    }
    at += kRate;
  }
  EXPECT_NEAR(static_cast<double>(loudestAt), 599.65 * kRate, kMillisecond);
  // A seek to just before it agrees.
  ASSERT_TRUE(reader.SeekTo(599.6));
  EXPECT_NEAR(static_cast<double>(LoudestFrame(ReadFrames(reader, kRate / 10), 0, kRate / 10)), 0.05 * kRate,
              kMillisecond);
}

TEST_F(SoundPlacement, ChannelsThatChangeAndAClockSetAnewPlayOnSeamlessly) {
  // Two MPEG-TS files joined byte for byte, as recorders and broadcasts
  // make them: one second of stereo, then one of 5.1 with the tone on its
  // front left only, both clocks starting at 1.4 s.
  const std::string stereo = dir_.File("stereo.ts");
  const std::string surround = dir_.File("surround.ts");
  ASSERT_TRUE(RunFfmpeg("-f lavfi -i \"aevalsrc='0.5*sin(2*PI*440*t)':c=stereo:s=48000:d=1\" -c:a aac -b:a 128k " +
                        Quoted(stereo)));
  ASSERT_TRUE(RunFfmpeg("-f lavfi -i \"aevalsrc='0.5*sin(2*PI*440*t)|0|0|0|0|0':c=5.1:s=48000:d=1\""
                        " -c:a aac -b:a 384k " +
                        Quoted(surround)));
  const std::string joined = dir_.File("joined.ts");
  ASSERT_EQ(std::system(("cat " + Quoted(stereo) + " " + Quoted(surround) + " > " + Quoted(joined)).c_str()), 0);
  MovieAudioReader reader;
  ASSERT_EQ(reader.Open(joined), KlpOk);
  std::vector<float> sound(kRate * 3 * 2);
  const std::size_t held = reader.Read(sound.data(), kRate * 3);
  EXPECT_NEAR(static_cast<double>(held), 2.0 * kRate, 0.05 * kRate);
  EXPECT_NEAR(ToneAmplitude(sound, 0, 440, kRate / 5, kRate * 3 / 5), 0.5, 0.01);
  EXPECT_NEAR(ToneAmplitude(sound, 1, 440, kRate / 5, kRate * 3 / 5), 0.5, 0.01);
  const double scale = 1.0 / (1.0 + 2.0 * kSideChannelLevel);
  EXPECT_NEAR(ToneAmplitude(sound, 0, 440, kRate * 13 / 10, kRate * 3 / 5), 0.5 * scale, 0.01);
  EXPECT_NEAR(ToneAmplitude(sound, 1, 440, kRate * 13 / 10, kRate * 3 / 5), 0.0, 0.01);
}

// ---------------------------------------------------------------------------
// Folding into stereo.

struct ChannelTone {
  const char* channel;
  double hertz;
  double toLeft;   // expected weight, before the layout's scale
  double toRight;
};

constexpr double kSide = kSideChannelLevel;
constexpr double kToneLevel = 0.25;

void ExpectFolded(const std::string& path, const std::vector<ChannelTone>& tones, double scale, double slack) {
  MovieAudioReader reader;
  ASSERT_EQ(reader.Open(path), KlpOk);
  const std::vector<float> sound = ReadFrames(reader, kRate);
  // 0.6 s from 0.2 s: a whole number of periods of every tone.
  for (const ChannelTone& tone : tones) {
    EXPECT_NEAR(ToneAmplitude(sound, 0, tone.hertz, kRate / 5, kRate * 3 / 5), kToneLevel * tone.toLeft * scale, slack)
        << tone.channel << " on the left";
    EXPECT_NEAR(ToneAmplitude(sound, 1, tone.hertz, kRate / 5, kRate * 3 / 5), kToneLevel * tone.toRight * scale, slack)
        << tone.channel << " on the right";
  }
}

std::string TonesSource(const std::vector<ChannelTone>& tones, const std::string& layout) {
  std::string expressions;
  for (const ChannelTone& tone : tones) {
    if (!expressions.empty()) expressions += "|";
    expressions += "0.25*sin(2*PI*" + std::to_string(static_cast<int>(tone.hertz)) + "*t)";
  }
  return "-f lavfi -i \"aevalsrc='" + expressions + "':c=" + layout + ":s=48000:d=1\"";
}

TEST_F(SoundPlacement, FiveOneIsFoldedWithCentreAndSurroundsAtMinusThreeDecibels) {
  const std::vector<ChannelTone> tones = {{"FL", 300, 1, 0},        {"FR", 500, 0, 1},       {"FC", 700, kSide, kSide},
                                          {"LFE", 90, 0, 0},        {"BL", 1100, kSide, 0},  {"BR", 1300, 0, kSide}};
  const double scale = 1.0 / (1.0 + 2.0 * kSide);
  const std::string flac = dir_.File("six.flac");
  ASSERT_TRUE(RunFfmpeg(TonesSource(tones, "5.1") + " -c:a flac " + Quoted(flac)));
  ExpectFolded(flac, tones, scale, 0.002);
  const std::string aac = dir_.File("six.m4a");
  ASSERT_TRUE(RunFfmpeg(TonesSource(tones, "5.1") + " -c:a aac -b:a 384k " + Quoted(aac)));
  ExpectFolded(aac, tones, scale, 0.006);
}

TEST_F(SoundPlacement, SevenOneIsFoldedWithCentreAndSurroundsAtMinusThreeDecibels) {
  const std::vector<ChannelTone> tones = {{"FL", 300, 1, 0},       {"FR", 500, 0, 1},      {"FC", 700, kSide, kSide},
                                          {"LFE", 90, 0, 0},       {"BL", 1100, kSide, 0}, {"BR", 1300, 0, kSide},
                                          {"SL", 1700, kSide, 0}, {"SR", 1900, 0, kSide}};
  const std::string path = dir_.File("eight.flac");
  ASSERT_TRUE(RunFfmpeg(TonesSource(tones, "7.1") + " -c:a flac " + Quoted(path)));
  ExpectFolded(path, tones, 1.0 / (1.0 + 3.0 * kSide), 0.002);
}

TEST_F(SoundPlacement, EveryChannelAtFullScaleDoesNotClip) {
  const std::string path = dir_.File("loud.wav");
  const std::string tone = "0.99*sin(2*PI*440*t)";
  std::string all = tone;
  for (int i = 1; i < 8; ++i) all += "|" + tone;
  ASSERT_TRUE(RunFfmpeg("-f lavfi -i \"aevalsrc='" + all + "':c=7.1:s=48000:d=1\" -c:a pcm_f32le " + Quoted(path)));
  MovieAudioReader reader;
  ASSERT_EQ(reader.Open(path), KlpOk);
  const std::vector<float> sound = ReadFrames(reader, kRate);
  // The sides sum to exactly full scale times the tone's level: no sample
  // is cut off, and the tone keeps its shape.
  EXPECT_LE(testing::LargestMagnitude(sound), 0.995f);
  EXPECT_NEAR(ToneAmplitude(sound, 0, 440, kRate / 5, kRate * 3 / 5), 0.99, 0.005);
}

}  // namespace
}  // namespace vantorelle
