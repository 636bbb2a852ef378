#include "playback/avi_frame_decoder.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <libavutil/imgutils.h>
}

#include "model/regular_file.h"
#include "playback/ffmpeg_handles.h"

namespace vantorelle {
namespace {

constexpr std::size_t BitmapHeaderBytes = 40;
// Larger formats are not bitmap headers with codec data but damage.
constexpr std::int32_t MaxFormatBytes = 1 << 20;
constexpr int MaxSide = 16384;
constexpr std::int64_t MaxPixels = std::int64_t{1} << 26;
constexpr std::uint32_t BiRgb = 0;

struct FileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct BitmapHeader {
  std::int32_t width = 0;
  std::int32_t height = 0;  // > 0: rows stored bottom up
  std::uint16_t bitCount = 0;
  std::uint32_t compression = 0;
};

BitmapHeader ParseBitmapHeader(const std::vector<std::uint8_t>& format) {
  BitmapHeader header;
  header.width = static_cast<std::int32_t>(Le32(&format[4]));
  header.height = static_cast<std::int32_t>(Le32(&format[8]));
  header.bitCount = static_cast<std::uint16_t>(format[14] | format[15] << 8);
  header.compression = Le32(&format[16]);
  return header;
}

// The stream header's handler names the codec; many writers leave it empty or
// generic, and then the bitmap header's compression does.
AVCodecID FindCodec(std::uint32_t handler, const std::vector<std::uint8_t>& format) {
  const AVCodecTag* const tags[] = {avformat_get_riff_video_tags(), nullptr};
  AVCodecID id = AV_CODEC_ID_NONE;
  if (handler != 0) id = av_codec_get_id(tags, handler);
  if (id == AV_CODEC_ID_NONE && format.size() >= BitmapHeaderBytes) {
    id = av_codec_get_id(tags, Le32(&format[16]));
  }
  return id;
}

}  // namespace

const char* AviFrameDecoderFailureText(AviFrameDecoderFailure failure) {
  switch (failure) {
    case AviFrameDecoderFailure::None: return "";
    case AviFrameDecoderFailure::CreateInfo: return "Can't create GetAVIInfo instance.";
    case AviFrameDecoderFailure::LoadFile: return "Can't load file.";
    case AviFrameDecoderFailure::StreamCount: return "Can't get video stream number.";
    case AviFrameDecoderFailure::NoVideoStream: return "Video stream number = 0.";
    case AviFrameDecoderFailure::StreamInfo: return "Can't get video stream info.";
    case AviFrameDecoderFailure::VideoFormat: return "Can't get video format info.";
    case AviFrameDecoderFailure::NoDecoder: return "Can't decompress source file.";
    case AviFrameDecoderFailure::BadFormat: return "Bad source format.";
    case AviFrameDecoderFailure::StartDecoder: return "Failed to start decomress AVI file.";
    case AviFrameDecoderFailure::FrameCount: return "Can't get video frame number.";
    case AviFrameDecoderFailure::OpenFile: return "Can't open source avi file";
  }
  return "";
}

struct AviFrameDecoder::State {
  std::unique_ptr<IGetAVIInfo> info;
  KlpAviStreamHeader header;
  int width = 0;
  int height = 0;
  int frameCount = 0;
  bool intraOnly = false;
  AVPixelFormat outputFormat = AV_PIX_FMT_NONE;
  AviFramePixels pixels = AviFramePixels::Rgbx32;
  AvCodecContextPtr codec;
  AvFramePtr frame;    // the newest decoded picture
  AvFramePtr scratch;  // receives; a failed receive clears it
  AvPacketPtr packet;
  SwsContextPtr scaler;
  std::unique_ptr<std::FILE, FileClose> file;
  std::uint64_t fileSize = 0;
  // The last frame fed to the decoder while its state still follows the
  // file in order; -1 when a jump must start from a key frame.
  int fedUpTo = -1;
  std::vector<std::uint8_t> picture;

  struct Chunk {
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    bool key = false;
  };
  bool GetChunk(int n, Chunk& chunk);
  bool StartOf(int n, int& start);
  bool Feed(int n, bool& gotFrame);
  bool Drain(bool& gotFrame);
  void Receive(bool& gotFrame);
  bool Convert();
};

bool AviFrameDecoder::State::GetChunk(int n, Chunk& chunk) {
  std::uint32_t flags = 0;
  if (!KlpSucceeded(info->GetFrameChunk(0, n, chunk.offset, chunk.size, flags))) return false;
  chunk.key = (flags & KlpAviKeyFrame) != 0;
  return true;
}

// The first frame to feed so that frame n comes out right.
bool AviFrameDecoder::State::StartOf(int n, int& start) {
  if (fedUpTo >= 0 && n == fedUpTo + 1) {
    start = n;
    return true;
  }
  Chunk chunk;
  if (!GetChunk(n, chunk)) return false;
  int key = n;
  if (!intraOnly && !chunk.key) {
    key = 0;
    for (int f = n - 1; f >= 0; --f) {
      if (GetChunk(f, chunk) && chunk.key && chunk.size > 0) {
        key = f;
        break;
      }
    }
  }
  if (fedUpTo >= key && fedUpTo < n) {
    start = fedUpTo + 1;
    return true;
  }
  avcodec_flush_buffers(codec.get());
  fedUpTo = -1;
  start = key;
  return true;
}

bool AviFrameDecoder::State::Feed(int n, bool& gotFrame) {
  Chunk chunk;
  if (!GetChunk(n, chunk)) return false;
  if (chunk.size == 0) return true;
  // The index is not trusted: the bytes must lie inside the file.
  if (chunk.offset > fileSize || chunk.size > fileSize - chunk.offset) return false;
  if (chunk.size > static_cast<std::uint32_t>(INT32_MAX - AV_INPUT_BUFFER_PADDING_SIZE)) return false;
  av_packet_unref(packet.get());
  if (av_new_packet(packet.get(), static_cast<int>(chunk.size)) < 0) return false;
  if (fseeko(file.get(), static_cast<off_t>(chunk.offset), SEEK_SET) != 0 ||
      std::fread(packet->data, 1, chunk.size, file.get()) != chunk.size) {
    return false;
  }
  if (chunk.key || intraOnly) packet->flags |= AV_PKT_FLAG_KEY;
  const int sent = avcodec_send_packet(codec.get(), packet.get());
  av_packet_unref(packet.get());
  if (sent < 0 && sent != AVERROR(EAGAIN)) return false;
  Receive(gotFrame);
  return true;
}

void AviFrameDecoder::State::Receive(bool& gotFrame) {
  while (avcodec_receive_frame(codec.get(), scratch.get()) == 0) {
    av_frame_unref(frame.get());
    av_frame_move_ref(frame.get(), scratch.get());
    gotFrame = true;
  }
}

// A decoder that holds frames back gives them up when told the input ended;
// it must then be flushed before it takes more.
bool AviFrameDecoder::State::Drain(bool& gotFrame) {
  avcodec_send_packet(codec.get(), nullptr);
  Receive(gotFrame);
  avcodec_flush_buffers(codec.get());
  fedUpTo = -1;
  return gotFrame;
}

bool AviFrameDecoder::State::Convert() {
  if (frame->width <= 0 || frame->height <= 0 || frame->format < 0) return false;
  bool fullRange = frame->color_range == AVCOL_RANGE_JPEG;
  const AVPixelFormat source = WithoutRangeAlias(static_cast<AVPixelFormat>(frame->format), fullRange);
  scaler.reset(sws_getCachedContext(scaler.release(), frame->width, frame->height, source, width,
                                    height, outputFormat, SWS_BICUBIC, nullptr, nullptr, nullptr));
  if (!scaler) return false;
  const int* coefficients = sws_getCoefficients(SWS_CS_DEFAULT);
  sws_setColorspaceDetails(scaler.get(), coefficients, fullRange ? 1 : 0, coefficients, 1, 0,
                           1 << 16, 1 << 16);
  const int bytesPerPixel = pixels == AviFramePixels::Rgbx32 ? 4 : 3;
  std::uint8_t* planes[4] = {picture.data(), nullptr, nullptr, nullptr};
  int strides[4] = {width * bytesPerPixel, 0, 0, 0};
  if (sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, planes, strides) <= 0) {
    return false;
  }
  if (bytesPerPixel == 4) {
    for (std::size_t i = 3; i < picture.size(); i += 4) picture[i] = 0xFF;
  }
  return true;
}

AviFrameDecoder::AviFrameDecoder() = default;
AviFrameDecoder::~AviFrameDecoder() = default;

void AviFrameDecoder::Close() { state_.reset(); }

bool AviFrameDecoder::Open(IKlpComponentFactory& factory, const std::string& path) {
  Close();
  failure_ = Setup(factory, path);
  if (failure_ != AviFrameDecoderFailure::None) state_.reset();
  return failure_ == AviFrameDecoderFailure::None;
}

AviFrameDecoderFailure AviFrameDecoder::Setup(IKlpComponentFactory& factory, const std::string& path) {
  using F = AviFrameDecoderFailure;
  state_ = std::make_unique<State>();
  State& s = *state_;
  if (!KlpSucceeded(factory.CreateGetAVIInfo(s.info)) || !s.info) return F::CreateInfo;
  if (!KlpSucceeded(s.info->LoadFile(path))) return F::LoadFile;
  std::int32_t streams = 0;
  if (!KlpSucceeded(s.info->GetVideoStreamCount(streams))) return F::StreamCount;
  if (streams <= 0) return F::NoVideoStream;

  std::uint32_t streamKey = 0;
  std::int32_t formatSize = 0;
  if (!KlpSucceeded(s.info->GetVideoStreamInfo(0, s.header, sizeof s.header, streamKey, formatSize, 0))) {
    return F::StreamInfo;
  }
  if (formatSize < 0 || formatSize > MaxFormatBytes) return F::VideoFormat;
  std::vector<std::uint8_t> format(static_cast<std::size_t>(formatSize));
  if (!KlpSucceeded(s.info->GetVideoFormat(0, format.data(), formatSize, streamKey))) {
    return F::VideoFormat;
  }

  const AVCodecID codecId = FindCodec(s.header.fccHandler, format);
  const AVCodec* decoder = avcodec_find_decoder(codecId);
  if (!decoder) return F::NoDecoder;

  if (format.size() < BitmapHeaderBytes) return F::BadFormat;
  const BitmapHeader bitmap = ParseBitmapHeader(format);
  if (bitmap.width <= 0 || bitmap.height == 0 || bitmap.height == INT32_MIN) return F::BadFormat;
  s.width = bitmap.width;
  s.height = std::abs(bitmap.height);
  if (s.width > MaxSide || s.height > MaxSide ||
      static_cast<std::int64_t>(s.width) * s.height > MaxPixels) {
    return F::BadFormat;
  }
  if (sws_isSupportedOutput(AV_PIX_FMT_RGB0)) {
    s.outputFormat = AV_PIX_FMT_RGB0;
    s.pixels = AviFramePixels::Rgbx32;
  } else if (sws_isSupportedOutput(AV_PIX_FMT_RGB24)) {
    s.outputFormat = AV_PIX_FMT_RGB24;
    s.pixels = AviFramePixels::Rgb24;
  } else {
    return F::BadFormat;
  }
  const int bytesPerPixel = s.pixels == AviFramePixels::Rgbx32 ? 4 : 3;
  s.picture.assign(static_cast<std::size_t>(s.width) * s.height * bytesPerPixel, 0);
  if (bytesPerPixel == 4) {
    for (std::size_t i = 3; i < s.picture.size(); i += 4) s.picture[i] = 0xFF;
  }

  s.codec.reset(avcodec_alloc_context3(decoder));
  s.frame.reset(av_frame_alloc());
  s.scratch.reset(av_frame_alloc());
  s.packet.reset(av_packet_alloc());
  if (!s.codec || !s.frame || !s.scratch || !s.packet) return F::StartDecoder;
  AVCodecContext& c = *s.codec;
  c.codec_tag = bitmap.compression;
  c.width = s.width;
  c.height = s.height;
  c.bits_per_coded_sample = bitmap.bitCount;
  c.max_pixels = MaxPixels;
  // Frame threads would hold pictures back; a viewer wants each frame at once.
  c.thread_type = FF_THREAD_SLICE;
  // Codec data follows the bitmap header. Uncompressed bitmaps with a positive
  // height are stored bottom up, which FFmpeg's raw decoder learns the way its
  // AVI demuxer tells it.
  std::vector<std::uint8_t> extra(format.begin() + BitmapHeaderBytes, format.end());
  if (codecId == AV_CODEC_ID_RAWVIDEO && bitmap.compression == BiRgb && bitmap.height > 0) {
    static const char bottomUp[] = "BottomUp";
    extra.insert(extra.end(), bottomUp, bottomUp + sizeof bottomUp);
  }
  if (!extra.empty()) {
    c.extradata = static_cast<std::uint8_t*>(av_mallocz(extra.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!c.extradata) return F::StartDecoder;
    std::memcpy(c.extradata, extra.data(), extra.size());
    c.extradata_size = static_cast<int>(extra.size());
  }
  if (avcodec_open2(&c, decoder, nullptr) < 0) return F::StartDecoder;
  const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codecId);
  s.intraOnly = descriptor && (descriptor->props & AV_CODEC_PROP_INTRA_ONLY) != 0;

  std::int32_t frames = 0;
  if (!KlpSucceeded(s.info->GetVideoFrameCount(0, frames)) || frames < 0) return F::FrameCount;
  s.frameCount = frames;

  std::string reason;
  s.file.reset(OpenRegularFileStream(path, reason));
  struct stat fileInfo {};
  if (!s.file || fstat(fileno(s.file.get()), &fileInfo) != 0 || fileInfo.st_size < 0) {
    return F::OpenFile;
  }
  s.fileSize = static_cast<std::uint64_t>(fileInfo.st_size);
  return F::None;
}

AviFrameOutcome AviFrameDecoder::DecodeFrame(int n) {
  if (!state_ || n < 0 || n >= state_->frameCount) return AviFrameOutcome::Failed;
  State& s = *state_;
  State::Chunk chunk;
  if (!s.GetChunk(n, chunk)) return AviFrameOutcome::Failed;
  if (chunk.size == 0) {
    // Nothing reaches the decoder, so following in order is not broken.
    if (s.fedUpTo == n - 1) s.fedUpTo = n;
    return AviFrameOutcome::Unchanged;
  }
  int start = n;
  if (!s.StartOf(n, start)) return AviFrameOutcome::Failed;
  bool gotFrame = false;
  for (int f = start; f <= n; ++f) {
    gotFrame = false;
    if (!s.Feed(f, gotFrame)) {
      // A damaged frame before the one asked for only spoils that one.
      if (f == n) {
        s.fedUpTo = -1;
        return AviFrameOutcome::Failed;
      }
      continue;
    }
    s.fedUpTo = f;
  }
  if (!gotFrame && !s.Drain(gotFrame)) return AviFrameOutcome::Failed;
  return s.Convert() ? AviFrameOutcome::NewPicture : AviFrameOutcome::Failed;
}

int AviFrameDecoder::Width() const { return state_ ? state_->width : 0; }
int AviFrameDecoder::Height() const { return state_ ? state_->height : 0; }
int AviFrameDecoder::FrameCount() const { return state_ ? state_->frameCount : 0; }

double AviFrameDecoder::FramesPerSecond() const {
  if (!state_ || state_->header.scale == 0) return 0.0;
  return static_cast<double>(state_->header.rate) / state_->header.scale;
}

std::uint32_t AviFrameDecoder::CodecFourCC() const { return state_ ? state_->header.fccHandler : 0; }

AviFramePixels AviFrameDecoder::Pixels() const {
  return state_ ? state_->pixels : AviFramePixels::Rgbx32;
}

const std::vector<std::uint8_t>& AviFrameDecoder::Picture() const {
  static const std::vector<std::uint8_t> none;
  return state_ ? state_->picture : none;
}

}  // namespace vantorelle
