#include "support/test_media_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace vantorelle::testing {
namespace {

// ---------------------------------------------------------------------------
// The frame-number pattern. The picture is an 8 × 6 grid of cells; the inner
// 6 × 4 cells carry the pattern, the outer ring is background. The first and
// last inner columns are fixed markers (white-black-white-black and its
// inverse) so that an unrelated, flipped or mirrored picture reads as -1; the
// 4 × 4 cells between them hold the 16 bits of the frame number, white = 1.
// Cells are large and pure black or white, so the pattern survives JPEG and
// MPEG-4 compression with chroma subsampling.

constexpr int kGridColumns = 8;
constexpr int kGridRows = 6;
constexpr int kBitColumns = 4;
constexpr int kBitRows = 4;

enum class Cell { Background, Black, White };

Cell PatternCell(int column, int row, int frameNumber) {
  if (column < 1 || column > 6 || row < 1 || row > 4) return Cell::Background;
  const bool evenRow = (row - 1) % 2 == 0;
  if (column == 1) return evenRow ? Cell::White : Cell::Black;
  if (column == 6) return evenRow ? Cell::Black : Cell::White;
  const int bit = (row - 1) * kBitColumns + (column - 2);
  const int shift = kBitColumns * kBitRows - 1 - bit;
  return ((frameNumber >> shift) & 1) ? Cell::White : Cell::Black;
}

std::vector<std::uint8_t> FramePixels(const MovieParams& params, int frameNumber) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(params.width) * params.height * 3);
  const int cellWidth = std::max(1, params.width / kGridColumns);
  const int cellHeight = std::max(1, params.height / kGridRows);
  for (int y = 0; y < params.height; ++y) {
    const int row = std::min(y / cellHeight, kGridRows - 1);
    for (int x = 0; x < params.width; ++x) {
      const int column = std::min(x / cellWidth, kGridColumns - 1);
      Rgb colour = params.colour;
      if (params.pattern == FramePattern::FrameNumbered) {
        const Cell cell = PatternCell(column, row, frameNumber);
        if (cell == Cell::Black) colour = Rgb{0, 0, 0};
        if (cell == Cell::White) colour = Rgb{255, 255, 255};
      }
      std::uint8_t* pixel = &rgb[(static_cast<std::size_t>(y) * params.width + x) * 3];
      pixel[0] = colour.r;
      pixel[1] = colour.g;
      pixel[2] = colour.b;
    }
  }
  return rgb;
}

// ---------------------------------------------------------------------------
// Small owners for the libav objects, so that every failure path cleans up.

struct CodecContextFree {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsFree {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct OutputFree {
  void operator()(AVFormatContext* f) const {
    if (f->pb && !(f->oformat->flags & AVFMT_NOFILE)) avio_closep(&f->pb);
    avformat_free_context(f);
  }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFree>;
using OutputPtr = std::unique_ptr<AVFormatContext, OutputFree>;

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

bool Fail(std::string* error, const std::string& what, int averror) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(averror, text, sizeof text);
  return Fail(error, what + ": " + text);
}

// NTSC-style rates are written with their exact /1001 fraction.
AVRational FrameRate(double framesPerSecond) {
  const double times1001 = framesPerSecond * 1.001;
  const double whole = std::round(framesPerSecond);
  if (std::fabs(framesPerSecond - whole) > 1e-6 && std::fabs(times1001 - std::round(times1001)) < 1e-3)
    return AVRational{static_cast<int>(std::lround(times1001)) * 1000, 1001};
  return av_d2q(framesPerSecond, 100000);
}

// Packed pixels of one format converted into a newly allocated frame of another.
FramePtr ConvertFrame(const std::uint8_t* pixels, AVPixelFormat sourceFormat, int width, int height,
                      AVPixelFormat format, std::string* error) {
  FramePtr frame(av_frame_alloc());
  if (!frame) return nullptr;
  frame->format = format;
  frame->width = width;
  frame->height = height;
  if (av_frame_get_buffer(frame.get(), 0) < 0) {
    Fail(error, "cannot allocate a frame");
    return nullptr;
  }
  SwsPtr sws(sws_getContext(width, height, sourceFormat, width, height, format,
                            SWS_BILINEAR, nullptr, nullptr, nullptr));
  if (!sws) {
    Fail(error, "cannot convert pixels");
    return nullptr;
  }
  const std::uint8_t* source[1] = {pixels};
  const int sourceStride[1] = {width * av_get_padded_bits_per_pixel(av_pix_fmt_desc_get(sourceFormat)) / 8};
  sws_scale(sws.get(), source, sourceStride, 0, height, frame->data, frame->linesize);
  return frame;
}

FramePtr ConvertFrame(const std::uint8_t* rgb, int width, int height, AVPixelFormat format,
                      std::string* error) {
  return ConvertFrame(rgb, AV_PIX_FMT_RGB24, width, height, format, error);
}

CodecContextPtr OpenEncoder(AVCodecID id, int width, int height, AVPixelFormat format,
                            AVRational timeBase, int gopSize, std::string* error) {
  const AVCodec* codec = avcodec_find_encoder(id);
  if (!codec) {
    Fail(error, std::string("no encoder for ") + avcodec_get_name(id));
    return nullptr;
  }
  CodecContextPtr context(avcodec_alloc_context3(codec));
  if (!context) return nullptr;
  context->width = width;
  context->height = height;
  context->pix_fmt = format;
  context->time_base = timeBase;
  context->framerate = av_inv_q(timeBase);
  context->flags |= AV_CODEC_FLAG_QSCALE;
  context->global_quality = FF_QP2LAMBDA * 3;
  if (id == AV_CODEC_ID_MPEG4) {
    context->gop_size = std::max(1, gopSize);
    context->max_b_frames = 0;
  }
  const int opened = avcodec_open2(context.get(), codec, nullptr);
  if (opened < 0) {
    Fail(error, "cannot open the encoder", opened);
    return nullptr;
  }
  return context;
}

// ---------------------------------------------------------------------------
// AVI writing.

class AviWriter {
 public:
  AviWriter(const MovieParams& params, std::string* error) : params_(params), error_(error) {}

  bool Write(const std::string& path) {
    if (!params_.withVideo && !params_.withAudio) return Fail(error_, "an AVI needs a stream");
    if (params_.withVideo && (params_.width <= 0 || params_.height <= 0 || params_.frameCount <= 0 ||
                            params_.framesPerSecond <= 0.0))
      return Fail(error_, "bad picture size, rate or length");
    AVFormatContext* raw = nullptr;
    const int allocated = avformat_alloc_output_context2(&raw, nullptr, "avi", path.c_str());
    if (allocated < 0 || !raw) return Fail(error_, "cannot make an AVI muxer", allocated);
    output_.reset(raw);

    rate_ = FrameRate(params_.withVideo ? params_.framesPerSecond : 25.0);
    if (params_.withVideo && !AddVideo()) return false;
    if (params_.withAudio && !AddAudio()) return false;

    const int opened = avio_open(&output_->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (opened < 0) return Fail(error_, "cannot create " + path, opened);
    AVDictionary* options = nullptr;
    // Raw DIB frames are stored bottom-up, as classic capture software does.
    if (params_.codec == MovieCodec::Uncompressed) av_dict_set(&options, "flipped_raw_rgb", "1", 0);
    const int header = avformat_write_header(output_.get(), &options);
    av_dict_free(&options);
    if (header < 0) return Fail(error_, "cannot write the AVI header", header);

    if (!WriteStreams()) return false;
    const int trailer = av_write_trailer(output_.get());
    if (trailer < 0) return Fail(error_, "cannot write the AVI index", trailer);
    return true;
  }

 private:
  bool AddVideo() {
    video_ = avformat_new_stream(output_.get(), nullptr);
    if (!video_) return Fail(error_, "cannot add a picture stream");
    video_->time_base = av_inv_q(rate_);
    video_->avg_frame_rate = rate_;
    video_->r_frame_rate = rate_;
    if (params_.codec == MovieCodec::Uncompressed) {
      // Raw frames need no encoder: they are DIB rows padded to four bytes.
      AVCodecParameters* par = video_->codecpar;
      par->codec_type = AVMEDIA_TYPE_VIDEO;
      par->codec_id = AV_CODEC_ID_RAWVIDEO;
      par->format = AV_PIX_FMT_BGR24;
      par->width = params_.width;
      par->height = params_.height;
      par->bits_per_coded_sample = 24;
      par->codec_tag = 0;
      return true;
    }
    const bool mjpeg = params_.codec == MovieCodec::Mjpeg;
    encoder_ = OpenEncoder(mjpeg ? AV_CODEC_ID_MJPEG : AV_CODEC_ID_MPEG4, params_.width, params_.height,
                           mjpeg ? AV_PIX_FMT_YUVJ422P : AV_PIX_FMT_YUV420P, av_inv_q(rate_),
                           params_.gopSize, error_);
    if (!encoder_) return false;
    const int copied = avcodec_parameters_from_context(video_->codecpar, encoder_.get());
    if (copied < 0) return Fail(error_, "cannot describe the picture stream", copied);
    if (mjpeg) video_->codecpar->codec_tag = MKTAG('M', 'J', 'P', 'G');
    return true;
  }

  bool AddAudio() {
    if (params_.audioSampleRate <= 0) return Fail(error_, "bad sample rate");
    audio_ = avformat_new_stream(output_.get(), nullptr);
    if (!audio_) return Fail(error_, "cannot add a sound stream");
    AVCodecParameters* par = audio_->codecpar;
    par->codec_type = AVMEDIA_TYPE_AUDIO;
    par->codec_id = AV_CODEC_ID_PCM_S16LE;
    par->sample_rate = params_.audioSampleRate;
    par->ch_layout = AV_CHANNEL_LAYOUT_STEREO;
    par->bits_per_coded_sample = 16;
    par->block_align = 4;
    par->bit_rate = static_cast<std::int64_t>(params_.audioSampleRate) * 4 * 8;
    audio_->time_base = AVRational{1, params_.audioSampleRate};
    return true;
  }

  std::int64_t AudioSamples() const {
    double seconds = params_.audioSeconds;
    if (seconds < 0.0) seconds = params_.withVideo ? params_.frameCount / av_q2d(rate_) : 1.0;
    return std::llround(seconds * params_.audioSampleRate);
  }

  // Interleaves one frame's worth of sound after each picture, so the file
  // looks like what a capture program writes.
  bool WriteStreams() {
    const std::int64_t totalSamples = params_.withAudio ? AudioSamples() : 0;
    const int frames = params_.withVideo ? params_.frameCount
                                       : static_cast<int>(std::ceil(totalSamples / (params_.audioSampleRate / av_q2d(rate_))));
    std::int64_t samplesWritten = 0;
    for (int i = 0; i < frames; ++i) {
      if (params_.withVideo && !WriteFrame(i)) return false;
      if (params_.withAudio) {
        const std::int64_t end =
            std::min(totalSamples, static_cast<std::int64_t>(std::llround((i + 1) * params_.audioSampleRate / av_q2d(rate_))));
        if (end > samplesWritten && !WriteSound(samplesWritten, end - samplesWritten)) return false;
        samplesWritten = std::max(samplesWritten, end);
      }
    }
    if (params_.withAudio && samplesWritten < totalSamples &&
        !WriteSound(samplesWritten, totalSamples - samplesWritten))
      return false;
    return !encoder_ || Drain();
  }

  bool WriteFrame(int number) {
    const std::vector<std::uint8_t> rgb = FramePixels(params_, number);
    if (params_.codec == MovieCodec::Uncompressed) return WriteRawFrame(rgb, number);
    FramePtr frame = ConvertFrame(rgb.data(), params_.width, params_.height, encoder_->pix_fmt, error_);
    if (!frame) return false;
    frame->pts = number;
    const int sent = avcodec_send_frame(encoder_.get(), frame.get());
    if (sent < 0) return Fail(error_, "cannot encode a frame", sent);
    return ReceivePackets();
  }

  bool WriteRawFrame(const std::vector<std::uint8_t>& rgb, int number) {
    const int stride = (params_.width * 3 + 3) & ~3;
    PacketPtr packet(av_packet_alloc());
    if (!packet || av_new_packet(packet.get(), stride * params_.height) < 0)
      return Fail(error_, "cannot allocate a packet");
    std::memset(packet->data, 0, packet->size);
    for (int y = 0; y < params_.height; ++y) {
      const std::uint8_t* source = &rgb[static_cast<std::size_t>(y) * params_.width * 3];
      std::uint8_t* target = packet->data + static_cast<std::size_t>(params_.height - 1 - y) * stride;
      for (int x = 0; x < params_.width; ++x) {
        target[x * 3 + 0] = source[x * 3 + 2];
        target[x * 3 + 1] = source[x * 3 + 1];
        target[x * 3 + 2] = source[x * 3 + 0];
      }
    }
    packet->pts = packet->dts = number;
    packet->duration = 1;
    packet->flags |= AV_PKT_FLAG_KEY;
    packet->stream_index = video_->index;
    av_packet_rescale_ts(packet.get(), av_inv_q(rate_), video_->time_base);
    const int written = av_interleaved_write_frame(output_.get(), packet.get());
    return written >= 0 || Fail(error_, "cannot write a frame", written);
  }

  bool ReceivePackets() {
    PacketPtr packet(av_packet_alloc());
    if (!packet) return Fail(error_, "cannot allocate a packet");
    for (;;) {
      const int received = avcodec_receive_packet(encoder_.get(), packet.get());
      if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return true;
      if (received < 0) return Fail(error_, "cannot encode a frame", received);
      packet->stream_index = video_->index;
      av_packet_rescale_ts(packet.get(), encoder_->time_base, video_->time_base);
      const int written = av_interleaved_write_frame(output_.get(), packet.get());
      if (written < 0) return Fail(error_, "cannot write a frame", written);
    }
  }

  bool Drain() {
    const int sent = avcodec_send_frame(encoder_.get(), nullptr);
    if (sent < 0) return Fail(error_, "cannot finish encoding", sent);
    return ReceivePackets();
  }

  bool WriteSound(std::int64_t first, std::int64_t count) {
    PacketPtr packet(av_packet_alloc());
    if (!packet || av_new_packet(packet.get(), static_cast<int>(count * 4)) < 0)
      return Fail(error_, "cannot allocate a packet");
    auto* samples = reinterpret_cast<std::uint8_t*>(packet->data);
    for (std::int64_t i = 0; i < count; ++i) {
      const double t = static_cast<double>(first + i) / params_.audioSampleRate;
      const auto left = static_cast<std::int16_t>(std::lround(8000.0 * std::sin(2.0 * M_PI * 440.0 * t)));
      const auto right = static_cast<std::int16_t>(std::lround(8000.0 * std::sin(2.0 * M_PI * 660.0 * t)));
      const std::uint16_t l = static_cast<std::uint16_t>(left);
      const std::uint16_t r = static_cast<std::uint16_t>(right);
      samples[i * 4 + 0] = static_cast<std::uint8_t>(l & 0xFF);
      samples[i * 4 + 1] = static_cast<std::uint8_t>(l >> 8);
      samples[i * 4 + 2] = static_cast<std::uint8_t>(r & 0xFF);
      samples[i * 4 + 3] = static_cast<std::uint8_t>(r >> 8);
    }
    packet->pts = packet->dts = first;
    packet->duration = count;
    packet->flags |= AV_PKT_FLAG_KEY;
    packet->stream_index = audio_->index;
    av_packet_rescale_ts(packet.get(), AVRational{1, params_.audioSampleRate}, audio_->time_base);
    const int written = av_interleaved_write_frame(output_.get(), packet.get());
    return written >= 0 || Fail(error_, "cannot write sound", written);
  }

  const MovieParams& params_;
  std::string* error_;
  OutputPtr output_;
  CodecContextPtr encoder_;
  AVStream* video_ = nullptr;
  AVStream* audio_ = nullptr;
  AVRational rate_{25, 1};
};

// ---------------------------------------------------------------------------
// WAV writing: the RIFF layout is small and written by hand, which also lets
// a header announce samples that are not there.

void PutU16(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void PutU32(std::string& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

void PutSample(std::string& out, double value, int bits) {
  // value in [-1, 1]; 8-bit WAV samples are unsigned, wider ones signed.
  if (bits == 8) {
    out.push_back(static_cast<char>(std::lround(128.0 + 127.0 * value)));
    return;
  }
  const double scale = std::ldexp(1.0, bits - 1) - 1.0;
  const auto sample = static_cast<std::int64_t>(std::llround(value * scale));
  for (int byte = 0; byte < bits / 8; ++byte)
    out.push_back(static_cast<char>((static_cast<std::uint64_t>(sample) >> (8 * byte)) & 0xFF));
}

bool WriteBytes(const std::string& path, const std::string& bytes, std::string* error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return Fail(error, "cannot create " + path);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return out.good() || Fail(error, "cannot write " + path);
}

bool WriteBytes(const std::string& path, const std::uint8_t* data, int size, std::string* error) {
  return WriteBytes(path, std::string(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size)), error);
}

// ---------------------------------------------------------------------------
// Still images: one frame through FFmpeg's image encoders.

bool EncodeFrame(const std::string& path, AVCodecID id, AVFrame& frame, std::string* error) {
  CodecContextPtr encoder = OpenEncoder(id, frame.width, frame.height,
                                        static_cast<AVPixelFormat>(frame.format), AVRational{1, 25},
                                        1, error);
  if (!encoder) return false;
  frame.pts = 0;
  const int sent = avcodec_send_frame(encoder.get(), &frame);
  if (sent < 0) return Fail(error, "cannot encode the image", sent);
  avcodec_send_frame(encoder.get(), nullptr);
  PacketPtr packet(av_packet_alloc());
  if (!packet) return Fail(error, "cannot allocate a packet");
  const int received = avcodec_receive_packet(encoder.get(), packet.get());
  if (received < 0) return Fail(error, "cannot encode the image", received);
  return WriteBytes(path, packet->data, packet->size, error);
}

bool EncodePixels(const std::string& path, AVCodecID id, const std::uint8_t* pixels,
                  AVPixelFormat sourceFormat, AVPixelFormat format, int width, int height,
                  std::string* error) {
  FramePtr frame = ConvertFrame(pixels, sourceFormat, width, height, format, error);
  return frame && EncodeFrame(path, id, *frame, error);
}

bool EncodeImage(const std::string& path, AVCodecID id, AVPixelFormat format, int width, int height,
                 Rgb colour, std::string* error) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  for (std::size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = colour.r;
    rgb[i + 1] = colour.g;
    rgb[i + 2] = colour.b;
  }
  return EncodePixels(path, id, rgb.data(), AV_PIX_FMT_RGB24, format, width, height, error);
}

// The encoder and the pixel format it stores for each image format, with and
// without alpha; AV_PIX_FMT_NONE where the format has no such layout.
struct ImageEncoding {
  AVCodecID codec;
  AVPixelFormat opaque;
  AVPixelFormat withAlpha;
  AVPixelFormat grey;
};

ImageEncoding EncodingOf(ImageFormat format) {
  switch (format) {
    case ImageFormat::Png:
      return {AV_CODEC_ID_PNG, AV_PIX_FMT_RGB24, AV_PIX_FMT_RGBA, AV_PIX_FMT_GRAY8};
    case ImageFormat::Jpeg:
      return {AV_CODEC_ID_MJPEG, AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_NONE, AV_PIX_FMT_NONE};
    case ImageFormat::Bmp:
      return {AV_CODEC_ID_BMP, AV_PIX_FMT_BGR24, AV_PIX_FMT_NONE, AV_PIX_FMT_NONE};
    case ImageFormat::Tga:
      return {AV_CODEC_ID_TARGA, AV_PIX_FMT_BGR24, AV_PIX_FMT_BGRA, AV_PIX_FMT_GRAY8};
    case ImageFormat::Tiff:
      return {AV_CODEC_ID_TIFF, AV_PIX_FMT_RGB24, AV_PIX_FMT_RGBA, AV_PIX_FMT_GRAY8};
    case ImageFormat::Webp:
      return {AV_CODEC_ID_WEBP, AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVA420P, AV_PIX_FMT_NONE};
    case ImageFormat::Gif:
      return {AV_CODEC_ID_GIF, AV_PIX_FMT_RGB8, AV_PIX_FMT_NONE, AV_PIX_FMT_GRAY8};
  }
  return {AV_CODEC_ID_NONE, AV_PIX_FMT_NONE, AV_PIX_FMT_NONE, AV_PIX_FMT_NONE};
}

}  // namespace

bool WriteAvi(const std::string& path, const MovieParams& params, std::string* error) {
  AviWriter writer(params, error);
  return writer.Write(path);
}

namespace {

// A PCM WAV header announcing dataBytes of samples.
std::string WavHeader(int sampleRate, int channels, int bits, std::uint32_t dataBytes) {
  const std::uint32_t blockAlign = static_cast<std::uint32_t>(channels * bits / 8);
  std::string out;
  out += "RIFF";
  PutU32(out, 36 + dataBytes + (dataBytes & 1));
  out += "WAVEfmt ";
  PutU32(out, 16);
  PutU16(out, 1);  // PCM
  PutU16(out, static_cast<std::uint32_t>(channels));
  PutU32(out, static_cast<std::uint32_t>(sampleRate));
  PutU32(out, static_cast<std::uint32_t>(sampleRate) * blockAlign);
  PutU16(out, blockAlign);
  PutU16(out, static_cast<std::uint32_t>(bits));
  out += "data";
  PutU32(out, dataBytes);
  return out;
}

}  // namespace

bool WriteWav(const std::string& path, const WavParams& params, std::string* error) {
  const int bits = params.bitsPerSample;
  if (params.sampleRate <= 0 || params.channels <= 0 || params.seconds < 0.0 ||
      (bits != 8 && bits != 16 && bits != 24 && bits != 32))
    return Fail(error, "bad WAV format");
  const std::uint32_t blockAlign = static_cast<std::uint32_t>(params.channels * bits / 8);
  const auto frames = static_cast<std::uint32_t>(std::llround(params.seconds * params.sampleRate));
  const std::uint32_t dataBytes = frames * blockAlign;

  std::string out = WavHeader(params.sampleRate, params.channels, bits, dataBytes);
  if (!params.headerOnly) {
    for (std::uint32_t i = 0; i < frames; ++i) {
      const double t = static_cast<double>(i) / params.sampleRate;
      for (int channel = 0; channel < params.channels; ++channel)
        PutSample(out, 0.25 * std::sin(2.0 * M_PI * (440.0 + 220.0 * channel) * t), bits);
    }
    if (dataBytes & 1) out.push_back('\0');
  }
  return WriteBytes(path, out, error);
}

bool WriteWavSamples(const std::string& path, int sampleRate, int channels,
                     const std::vector<std::int16_t>& interleaved, std::string* error) {
  if (sampleRate <= 0 || channels <= 0 || interleaved.size() % static_cast<std::size_t>(channels) != 0)
    return Fail(error, "bad WAV format");
  const auto dataBytes = static_cast<std::uint32_t>(interleaved.size() * 2);
  std::string out = WavHeader(sampleRate, channels, 16, dataBytes);
  for (std::int16_t sample : interleaved) PutU16(out, static_cast<std::uint16_t>(sample));
  return WriteBytes(path, out, error);
}

bool WriteImage(const std::string& path, ImageFormat format, int width, int height, Rgb colour,
                std::string* error) {
  if (width <= 0 || height <= 0) return Fail(error, "bad image size");
  const ImageEncoding encoding = EncodingOf(format);
  if (encoding.codec == AV_CODEC_ID_NONE) return Fail(error, "unknown image format");
  return EncodeImage(path, encoding.codec, encoding.opaque, width, height, colour, error);
}

bool WriteImagePixels(const std::string& path, ImageFormat format, int width, int height,
                      const std::vector<std::uint8_t>& rgba, ImageAlpha alpha, std::string* error) {
  if (width <= 0 || height <= 0) return Fail(error, "bad image size");
  if (rgba.size() != static_cast<std::size_t>(width) * height * 4) return Fail(error, "bad pixel count");
  const ImageEncoding encoding = EncodingOf(format);
  const AVPixelFormat stored = alpha == ImageAlpha::Keep ? encoding.withAlpha : encoding.opaque;
  if (encoding.codec == AV_CODEC_ID_NONE || stored == AV_PIX_FMT_NONE)
    return Fail(error, "the image format cannot store these pixels");
  return EncodePixels(path, encoding.codec, rgba.data(), AV_PIX_FMT_RGBA, stored, width, height, error);
}

bool WriteGreyImage(const std::string& path, ImageFormat format, int width, int height,
                    std::uint8_t level, std::string* error) {
  if (width <= 0 || height <= 0) return Fail(error, "bad image size");
  const ImageEncoding encoding = EncodingOf(format);
  if (encoding.codec == AV_CODEC_ID_NONE || encoding.grey == AV_PIX_FMT_NONE)
    return Fail(error, "the image format has no grey layout");
  // Filled directly: a conversion from RGB would map the level to video range.
  FramePtr frame(av_frame_alloc());
  if (!frame) return Fail(error, "cannot allocate a frame");
  frame->format = encoding.grey;
  frame->width = width;
  frame->height = height;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return Fail(error, "cannot allocate a frame");
  for (int y = 0; y < height; ++y) std::memset(frame->data[0] + y * frame->linesize[0], level, width);
  return EncodeFrame(path, encoding.codec, *frame, error);
}

int ReadFrameNumber(const std::uint8_t* rgb, int width, int height) {
  if (!rgb || width < kGridColumns * 2 || height < kGridRows * 2) return -1;
  const int cellWidth = width / kGridColumns;
  const int cellHeight = height / kGridRows;
  int number = 0;
  for (int row = 1; row <= kBitRows; ++row) {
    for (int column = 1; column <= kBitColumns + 2; ++column) {
      // The middle half of the cell, away from edges that compression blurs.
      long long sums[3] = {0, 0, 0};
      long long count = 0;
      const int x0 = column * cellWidth + cellWidth / 4;
      const int x1 = std::max(column * cellWidth + (3 * cellWidth) / 4, x0 + 1);
      const int y0 = row * cellHeight + cellHeight / 4;
      const int y1 = std::max(row * cellHeight + (3 * cellHeight) / 4, y0 + 1);
      for (int y = y0; y < y1; ++y) {
        const std::uint8_t* p = rgb + (static_cast<std::size_t>(y) * width + x0) * 3;
        for (int x = x0; x < x1; ++x, p += 3) {
          sums[0] += p[0];
          sums[1] += p[1];
          sums[2] += p[2];
          ++count;
        }
      }
      // A cell of the pattern is grey: a coloured one is not ours.
      const long long spread = (std::max({sums[0], sums[1], sums[2]}) -
                                std::min({sums[0], sums[1], sums[2]})) / count;
      if (spread > 48) return -1;
      const long long mean = (sums[0] + sums[1] + sums[2]) / (3 * count);
      Cell seen;
      if (mean < 64) {
        seen = Cell::Black;
      } else if (mean > 192) {
        seen = Cell::White;
      } else {
        return -1;
      }
      if (column == 1 || column == kBitColumns + 2) {
        if (seen != PatternCell(column, row, 0)) return -1;
      } else if (seen == Cell::White) {
        const int bit = (row - 1) * kBitColumns + (column - 2);
        number |= 1 << (kBitColumns * kBitRows - 1 - bit);
      }
    }
  }
  return number;
}

}  // namespace vantorelle::testing
