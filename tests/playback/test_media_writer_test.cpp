// The media the tests make for themselves: files open with libavformat with
// the asked stream parameters, and numbered frames read back their numbers
// after a round trip through the codecs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle::testing {
namespace {

struct InputClose {
  void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
using InputPtr = std::unique_ptr<AVFormatContext, InputClose>;

InputPtr OpenMedia(const std::string& path) {
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return nullptr;
  InputPtr input(raw);
  if (avformat_find_stream_info(raw, nullptr) < 0) return nullptr;
  return input;
}

struct DecodedPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

// Every frame of the first picture stream, as packed RGB24, in display order.
std::vector<DecodedPicture> DecodeAll(const std::string& path) {
  std::vector<DecodedPicture> pictures;
  InputPtr input = OpenMedia(path);
  if (!input) return pictures;
  const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (index < 0) return pictures;
  const AVCodecParameters* par = input->streams[index]->codecpar;
  const AVCodec* codec = avcodec_find_decoder(par->codec_id);
  AVCodecContext* decoder = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(decoder, par);
  if (avcodec_open2(decoder, codec, nullptr) < 0) {
    avcodec_free_context(&decoder);
    return pictures;
  }
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  SwsContext* sws = nullptr;
  auto receive = [&] {
    while (avcodec_receive_frame(decoder, frame) == 0) {
      sws = sws_getCachedContext(sws, frame->width, frame->height,
                                 static_cast<AVPixelFormat>(frame->format), frame->width,
                                 frame->height, AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr,
                                 nullptr);
      DecodedPicture picture{frame->width, frame->height, {}};
      picture.rgb.resize(static_cast<std::size_t>(frame->width) * frame->height * 3);
      std::uint8_t* target[1] = {picture.rgb.data()};
      const int stride[1] = {frame->width * 3};
      sws_scale(sws, frame->data, frame->linesize, 0, frame->height, target, stride);
      pictures.push_back(std::move(picture));
    }
  };
  while (av_read_frame(input.get(), packet) >= 0) {
    if (packet->stream_index == index && avcodec_send_packet(decoder, packet) >= 0) receive();
    av_packet_unref(packet);
  }
  avcodec_send_packet(decoder, nullptr);
  receive();
  sws_freeContext(sws);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&decoder);
  return pictures;
}

std::vector<int> FrameNumbers(const std::vector<DecodedPicture>& pictures) {
  std::vector<int> numbers;
  for (const DecodedPicture& p : pictures) numbers.push_back(ReadFrameNumber(p.rgb.data(), p.width, p.height));
  return numbers;
}

std::vector<int> Counting(int count) {
  std::vector<int> numbers(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) numbers[static_cast<std::size_t>(i)] = i;
  return numbers;
}

// Seconds of sound in a stream, counted from its packets: the AVI demuxer
// leaves the stream duration unset when pictures are interleaved.
double SoundSeconds(AVFormatContext* input, int streamIndex) {
  AVPacket* packet = av_packet_alloc();
  std::int64_t bytes = 0;
  while (av_read_frame(input, packet) >= 0) {
    if (packet->stream_index == streamIndex) bytes += packet->size;
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  const AVCodecParameters* par = input->streams[streamIndex]->codecpar;
  return static_cast<double>(bytes) / par->block_align / par->sample_rate;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t U32At(const std::string& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(bytes[offset + i]);
  return value;
}

class TestMediaWriterAvi : public ::testing::Test {
 protected:
  std::string Write(const MovieParams& params, const std::string& name = "movie.avi") {
    const std::string path = dir_.File(name);
    std::string error;
    EXPECT_TRUE(WriteAvi(path, params, &error)) << error;
    return path;
  }
  TempDir dir_;
};

TEST_F(TestMediaWriterAvi, MjpegStreamHasTheAskedParameters) {
  MovieParams params;
  params.width = 320;
  params.height = 240;
  params.frameCount = 30;
  InputPtr input = OpenMedia(Write(params));
  ASSERT_TRUE(input);
  EXPECT_STREQ(input->iformat->name, "avi");
  ASSERT_EQ(input->nb_streams, 1u);
  const AVStream* st = input->streams[0];
  EXPECT_EQ(st->codecpar->codec_type, AVMEDIA_TYPE_VIDEO);
  EXPECT_EQ(st->codecpar->codec_id, AV_CODEC_ID_MJPEG);
  EXPECT_EQ(st->codecpar->codec_tag, MKTAG('M', 'J', 'P', 'G'));
  EXPECT_EQ(st->codecpar->width, 320);
  EXPECT_EQ(st->codecpar->height, 240);
  EXPECT_EQ(av_cmp_q(st->avg_frame_rate, AVRational{25, 1}), 0);
  EXPECT_EQ(st->nb_frames, 30);
}

TEST_F(TestMediaWriterAvi, NtscRateIsStoredAsTheExactFraction) {
  MovieParams params;
  params.framesPerSecond = 29.97;
  params.frameCount = 10;
  InputPtr input = OpenMedia(Write(params));
  ASSERT_TRUE(input);
  EXPECT_EQ(av_cmp_q(input->streams[0]->avg_frame_rate, AVRational{30000, 1001}), 0);
}

TEST_F(TestMediaWriterAvi, UncompressedStreamIsRawBgr) {
  MovieParams params;
  params.codec = MovieCodec::Uncompressed;
  params.width = 160;
  params.height = 120;
  params.frameCount = 5;
  const std::string path = Write(params);
  InputPtr input = OpenMedia(path);
  ASSERT_TRUE(input);
  ASSERT_EQ(input->nb_streams, 1u);
  const AVCodecParameters* par = input->streams[0]->codecpar;
  EXPECT_EQ(par->codec_id, AV_CODEC_ID_RAWVIDEO);
  EXPECT_EQ(par->codec_tag, 0u);
  EXPECT_EQ(par->bits_per_coded_sample, 24);
  EXPECT_EQ(par->width, 160);
  EXPECT_EQ(par->height, 120);
  // Five frames of 160 × 120 × 3 bytes at least.
  EXPECT_GT(std::filesystem::file_size(path), 5u * 160 * 120 * 3);
}

TEST_F(TestMediaWriterAvi, Mpeg4HasKeyFramesEveryGop) {
  MovieParams params;
  params.codec = MovieCodec::Mpeg4;
  params.frameCount = 25;
  params.gopSize = 10;
  InputPtr input = OpenMedia(Write(params));
  ASSERT_TRUE(input);
  EXPECT_EQ(input->streams[0]->codecpar->codec_id, AV_CODEC_ID_MPEG4);
  AVPacket* packet = av_packet_alloc();
  std::vector<int> keys;
  int count = 0;
  while (av_read_frame(input.get(), packet) >= 0) {
    if (packet->flags & AV_PKT_FLAG_KEY) keys.push_back(count);
    ++count;
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  EXPECT_EQ(count, 25);
  EXPECT_EQ(keys, (std::vector<int>{0, 10, 20}));
}

TEST_F(TestMediaWriterAvi, SoundTrackIsStereoPcmAsLongAsThePictures) {
  MovieParams params;
  params.frameCount = 50;
  params.withAudio = true;
  params.audioSampleRate = 44100;
  InputPtr input = OpenMedia(Write(params));
  ASSERT_TRUE(input);
  ASSERT_EQ(input->nb_streams, 2u);
  const AVStream* audio = input->streams[1];
  EXPECT_EQ(audio->codecpar->codec_type, AVMEDIA_TYPE_AUDIO);
  EXPECT_EQ(audio->codecpar->codec_id, AV_CODEC_ID_PCM_S16LE);
  EXPECT_EQ(audio->codecpar->sample_rate, 44100);
  EXPECT_EQ(audio->codecpar->ch_layout.nb_channels, 2);
  EXPECT_NEAR(SoundSeconds(input.get(), 1), 2.0, 0.001);
}

TEST_F(TestMediaWriterAvi, SoundOnlyAviHasNoPictureStream) {
  MovieParams params;
  params.withVideo = false;
  params.withAudio = true;
  params.audioSeconds = 1.5;
  InputPtr input = OpenMedia(Write(params));
  ASSERT_TRUE(input);
  ASSERT_EQ(input->nb_streams, 1u);
  const AVStream* audio = input->streams[0];
  EXPECT_EQ(audio->codecpar->codec_type, AVMEDIA_TYPE_AUDIO);
  EXPECT_NEAR(SoundSeconds(input.get(), 0), 1.5, 0.001);
}

TEST_F(TestMediaWriterAvi, RefusesAMovieWithNothingInIt) {
  MovieParams params;
  params.withVideo = false;
  std::string error;
  EXPECT_FALSE(WriteAvi(dir_.File("empty.avi"), params, &error));
  EXPECT_FALSE(error.empty());
}

TEST_F(TestMediaWriterAvi, NumberedFramesReadBackTheirNumbersForEveryCodec) {
  for (MovieCodec codec : {MovieCodec::Mjpeg, MovieCodec::Uncompressed, MovieCodec::Mpeg4}) {
    SCOPED_TRACE(static_cast<int>(codec));
    MovieParams params;
    params.codec = codec;
    params.width = 176;
    params.height = 144;
    params.frameCount = 30;
    params.gopSize = 7;
    EXPECT_EQ(FrameNumbers(DecodeAll(Write(params))), Counting(30));
  }
}

TEST_F(TestMediaWriterAvi, RawRowsArePaddedForOddWidths) {
  MovieParams params;
  params.codec = MovieCodec::Uncompressed;
  params.width = 162;  // 486 bytes a row, padded to 488
  params.height = 96;
  params.frameCount = 3;
  EXPECT_EQ(FrameNumbers(DecodeAll(Write(params))), Counting(3));
}

TEST_F(TestMediaWriterAvi, NumbersUseAllSixteenBits) {
  MovieParams params;
  params.width = 64;
  params.height = 48;
  params.frameCount = 300;
  const std::vector<int> numbers = FrameNumbers(DecodeAll(Write(params)));
  EXPECT_EQ(numbers, Counting(300));
}

TEST(TestMediaWriterFrameNumber, WrongPicturesReadAsMinusOne) {
  TempDir dir;
  MovieParams params;
  params.pattern = FramePattern::Solid;
  params.frameCount = 2;
  ASSERT_TRUE(WriteAvi(dir.File("solid.avi"), params));
  EXPECT_EQ(FrameNumbers(DecodeAll(dir.File("solid.avi"))), (std::vector<int>{-1, -1}));

  params.pattern = FramePattern::FrameNumbered;
  params.frameCount = 6;
  ASSERT_TRUE(WriteAvi(dir.File("numbered.avi"), params));
  std::vector<DecodedPicture> pictures = DecodeAll(dir.File("numbered.avi"));
  ASSERT_EQ(pictures.size(), 6u);
  DecodedPicture& p = pictures[5];
  ASSERT_EQ(ReadFrameNumber(p.rgb.data(), p.width, p.height), 5);

  // Upside down: the markers no longer match.
  std::vector<std::uint8_t> flipped(p.rgb.size());
  const std::size_t row = static_cast<std::size_t>(p.width) * 3;
  for (int y = 0; y < p.height; ++y)
    std::memcpy(&flipped[y * row], &p.rgb[(p.height - 1 - y) * row], row);
  EXPECT_EQ(ReadFrameNumber(flipped.data(), p.width, p.height), -1);

  // A frame with its colours swapped is not grey.
  std::vector<std::uint8_t> tinted = p.rgb;
  for (std::size_t i = 0; i < tinted.size(); i += 3) tinted[i] = 255 - tinted[i];
  EXPECT_EQ(ReadFrameNumber(tinted.data(), p.width, p.height), -1);

  std::vector<std::uint8_t> grey(p.rgb.size(), 128);
  EXPECT_EQ(ReadFrameNumber(grey.data(), p.width, p.height), -1);
  EXPECT_EQ(ReadFrameNumber(nullptr, p.width, p.height), -1);
  EXPECT_EQ(ReadFrameNumber(p.rgb.data(), 8, 8), -1);
}

TEST(TestMediaWriterWav, HeaderDescribesTheSamples) {
  TempDir dir;
  for (int bits : {8, 16, 24}) {
    SCOPED_TRACE(bits);
    WavParams params;
    params.sampleRate = 22050;
    params.channels = bits == 8 ? 1 : 2;
    params.bitsPerSample = bits;
    params.seconds = 0.5;
    const std::string path = dir.File("sound" + std::to_string(bits) + ".wav");
    ASSERT_TRUE(WriteWav(path, params));
    const std::size_t dataBytes = 11025u * params.channels * (bits / 8);
    EXPECT_EQ(std::filesystem::file_size(path), 44 + dataBytes + (dataBytes & 1));
    InputPtr input = OpenMedia(path);
    ASSERT_TRUE(input);
    ASSERT_EQ(input->nb_streams, 1u);
    const AVCodecParameters* par = input->streams[0]->codecpar;
    EXPECT_EQ(par->sample_rate, 22050);
    EXPECT_EQ(par->ch_layout.nb_channels, params.channels);
    EXPECT_EQ(par->bits_per_coded_sample, bits);
    EXPECT_NEAR(input->duration / double(AV_TIME_BASE), 0.5, 0.01);
  }
}

TEST(TestMediaWriterWav, HeaderOnlyAnnouncesDataThatIsNotThere) {
  TempDir dir;
  WavParams params;
  params.headerOnly = true;
  const std::string path = dir.File("empty.wav");
  ASSERT_TRUE(WriteWav(path, params));
  const std::string bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 44u);
  EXPECT_EQ(bytes.substr(36, 4), "data");
  EXPECT_EQ(U32At(bytes, 40), 44100u * 4);
}

TEST(TestMediaWriterImage, ImagesDecodeToTheirSizeAndColour) {
  TempDir dir;
  const Rgb colour{30, 160, 220};
  struct Case {
    ImageFormat format;
    const char* name;
    AVCodecID codec;
  };
  for (const Case& c : {Case{ImageFormat::Png, "a.png", AV_CODEC_ID_PNG},
                        Case{ImageFormat::Jpeg, "a.jpg", AV_CODEC_ID_MJPEG},
                        Case{ImageFormat::Bmp, "a.bmp", AV_CODEC_ID_BMP}}) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File(c.name);
    std::string error;
    ASSERT_TRUE(WriteImage(path, c.format, 96, 64, colour, &error)) << error;
    InputPtr input = OpenMedia(path);
    ASSERT_TRUE(input);
    EXPECT_EQ(input->streams[0]->codecpar->codec_id, c.codec);
    const std::vector<DecodedPicture> pictures = DecodeAll(path);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].width, 96);
    EXPECT_EQ(pictures[0].height, 64);
    const std::uint8_t* middle = &pictures[0].rgb[(32 * 96 + 48) * 3];
    EXPECT_NEAR(middle[0], colour.r, 4);
    EXPECT_NEAR(middle[1], colour.g, 4);
    EXPECT_NEAR(middle[2], colour.b, 4);
  }
}

}  // namespace
}  // namespace vantorelle::testing
