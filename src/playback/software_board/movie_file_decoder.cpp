#include "playback/software_board/movie_file_decoder.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/display.h>
#include <libavutil/pixdesc.h>
}

#include "playback/software_board/picture_fit.h"

namespace vantorelle {
namespace {

// Frames closer ahead than this are reached by decoding on, not by seeking.
constexpr std::int64_t kDecodeOnWindow = 48;

// The board plays whatever container FFmpeg reads, except the readers that
// turn any text into pictures (a text file read as a terminal capture).
bool IsAcceptedContainer(const AVInputFormat* format) {
  if (!format) return false;
  for (const char* textReader : {"tty", "ass", "srt", "webvtt", "subviewer", "subviewer1", "microdvd", "mpl2",
                                 "jacosub", "realtext", "sami", "stl", "vplayer", "pjs", "aqtitle", "lrc"}) {
    if (std::strcmp(format->name, textReader) == 0) return false;
  }
  return true;
}

double ValidRate(AVRational rate) { return rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0.0; }

}  // namespace

KlpResult MovieFileDecoder::Open(const std::string& path) {
  *this = MovieFileDecoder{};
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return KlpFileNotFound;
  if (info.st_size <= 0) return KlpBadFormat;

  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return KlpBadFormat;
  input_.reset(raw);
  if (!IsAcceptedContainer(input_->iformat) || avformat_find_stream_info(input_.get(), nullptr) < 0 ||
      !FindStreams()) {
    input_.reset();
    return KlpBadFormat;
  }
  // Uncompressed sound cannot last longer than the bytes the file holds.
  if (audioIsPcm_) {
    const double bytesPerSecond = facts_.sampleRate * facts_.channels * (facts_.bitsPerSample / 8.0);
    facts_.audioSeconds = std::min(facts_.audioSeconds, static_cast<double>(info.st_size) / bytesPerSecond);
  }
  packet_.reset(av_packet_alloc());
  current_.reset(av_frame_alloc());
  ahead_.reset(av_frame_alloc());
  scratch_.reset(av_frame_alloc());
  if (!packet_ || !current_ || !ahead_ || !scratch_ || (facts_.hasVideo && !OpenVideoDecoder())) {
    *this = MovieFileDecoder{};
    return KlpBadFormat;
  }
  // A header that promises data the file does not hold (a WAV cut after its
  // header) has nothing to play.
  bool anyData = false;
  while (!anyData && av_read_frame(input_.get(), packet_.get()) >= 0) {
    anyData = packet_->size > 0;
    av_packet_unref(packet_.get());
  }
  if (!anyData || (!facts_.hasVideo && facts_.audioSeconds <= 0.0)) {
    *this = MovieFileDecoder{};
    return KlpBadFormat;
  }
  return KlpOk;
}

bool MovieFileDecoder::FindStreams() {
  for (unsigned i = 0; i < input_->nb_streams; ++i) {
    const AVStream& stream = *input_->streams[i];
    const AVCodecParameters& par = *stream.codecpar;
    if (par.codec_type == AVMEDIA_TYPE_VIDEO && videoStream_ < 0 &&
        !(stream.disposition & AV_DISPOSITION_ATTACHED_PIC)) {
      videoStream_ = static_cast<int>(i);
    } else if (par.codec_type == AVMEDIA_TYPE_AUDIO && !facts_.hasAudio) {
      MeasureAudio(stream);
    }
  }
  if (videoStream_ >= 0) {
    AVStream& stream = *input_->streams[videoStream_];
    const AVCodecParameters& par = *stream.codecpar;
    if (par.width <= 0 || par.height <= 0 || par.width > kLargestMovieSide || par.height > kLargestMovieSide) {
      return false;
    }
    double rate = ValidRate(av_guess_frame_rate(input_.get(), &stream, nullptr));
    if (rate <= 0.0) rate = ValidRate(stream.avg_frame_rate);
    if (rate <= 0.0) rate = ValidRate(stream.r_frame_rate);
    if (rate <= 0.0 || rate > 1000.0) return false;
    timeBase_ = stream.time_base;
    if (timeBase_.num <= 0 || timeBase_.den <= 0) return false;
    startTimestamp_ = stream.start_time != AV_NOPTS_VALUE ? stream.start_time : 0;

    facts_.hasVideo = true;
    facts_.videoCodec = par.codec_id;
    facts_.width = par.width;
    facts_.height = par.height;
    facts_.framesPerSecond = rate;
    const AVPixFmtDescriptor* pixels = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(par.format));
    facts_.videoHasAlpha = pixels && (pixels->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
    const AVCodecDescriptor* codec = avcodec_descriptor_get(par.codec_id);
    facts_.intraOnly = codec && (codec->props & AV_CODEC_PROP_INTRA_ONLY) != 0;
    // Containers may give the pixel shape where the codec does not.
    const AVRational pixelAspect = av_guess_sample_aspect_ratio(input_.get(), &stream, nullptr);
    if (pixelAspect.num > 0 && pixelAspect.den > 0) facts_.pixelAspect = av_q2d(pixelAspect);
    // Phones store upright pictures sideways with a display matrix; FFmpeg
    // gives its angle counter-clockwise.
    if (const std::uint8_t* matrix = av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr)) {
      const double counterClockwise = av_display_rotation_get(reinterpret_cast<const std::int32_t*>(matrix));
      facts_.rotationDegrees = NormalizedTurn(-counterClockwise);
    }
    if (stream.nb_frames > 0) {
      facts_.frameCount = stream.nb_frames;
    } else if (stream.duration != AV_NOPTS_VALUE && stream.duration > 0) {
      facts_.frameCount = std::llround(stream.duration * av_q2d(timeBase_) * rate);
    } else if (input_->duration != AV_NOPTS_VALUE && input_->duration > 0) {
      facts_.frameCount = std::llround(input_->duration / static_cast<double>(AV_TIME_BASE) * rate);
    }
    if (facts_.frameCount <= 0) return false;
    facts_.videoSeconds = facts_.frameCount / rate;
  }
  return facts_.hasVideo || facts_.hasAudio;
}

void MovieFileDecoder::MeasureAudio(const AVStream& stream) {
  const AVCodecParameters& par = *stream.codecpar;
  if (par.sample_rate <= 0 || par.ch_layout.nb_channels <= 0) return;
  facts_.hasAudio = true;
  facts_.sampleRate = par.sample_rate;
  facts_.channels = par.ch_layout.nb_channels;
  facts_.bitsPerSample = par.bits_per_coded_sample;
  audioIsPcm_ = av_get_bits_per_sample(par.codec_id) > 0;
  if (facts_.bitsPerSample <= 0) facts_.bitsPerSample = av_get_bits_per_sample(par.codec_id);
  if (facts_.bitsPerSample <= 0) {
    facts_.bitsPerSample = av_get_bytes_per_sample(static_cast<AVSampleFormat>(par.format)) * 8;
  }
  audioIsPcm_ = audioIsPcm_ && facts_.bitsPerSample > 0;
  const double timeBase = av_q2d(stream.time_base);
  if (stream.duration != AV_NOPTS_VALUE && stream.duration > 0) {
    facts_.audioSeconds = stream.duration * timeBase;
  } else if (stream.nb_frames > 0 && timeBase > 0.0) {
    // The AVI demuxer counts sound in blocks of its time base.
    facts_.audioSeconds = stream.nb_frames * timeBase;
  } else if (input_->duration != AV_NOPTS_VALUE && input_->duration > 0) {
    facts_.audioSeconds = input_->duration / static_cast<double>(AV_TIME_BASE);
  }
}

bool MovieFileDecoder::OpenVideoDecoder() {
  const AVCodecParameters& par = *input_->streams[videoStream_]->codecpar;
  const AVCodec* decoder = avcodec_find_decoder(par.codec_id);
  if (!decoder) return false;
  codec_.reset(avcodec_alloc_context3(decoder));
  if (!codec_ || avcodec_parameters_to_context(codec_.get(), &par) < 0) return false;
  codec_->pkt_timebase = timeBase_;
  codec_->max_pixels = static_cast<std::int64_t>(kLargestMovieSide) * kLargestMovieSide / 4;
  // Frame threads hold pictures back; one exact frame wants them at once.
  codec_->thread_type = FF_THREAD_SLICE;
  return avcodec_open2(codec_.get(), decoder, nullptr) >= 0;
}

std::int64_t MovieFileDecoder::FrameAt(double seconds) const {
  if (facts_.frameCount <= 0 || std::isnan(seconds) || seconds <= 0.0) return 0;
  // A time a hair below a frame's start still means that frame.
  const double frame = std::floor(seconds * facts_.framesPerSecond + 1e-6);
  if (frame >= static_cast<double>(facts_.frameCount - 1)) return facts_.frameCount - 1;
  return static_cast<std::int64_t>(frame);
}

std::int64_t MovieFileDecoder::IndexOf(std::int64_t timestamp) const {
  return std::llround((timestamp - startTimestamp_) * av_q2d(timeBase_) * facts_.framesPerSecond);
}

std::int64_t MovieFileDecoder::TimestampOf(std::int64_t index) const {
  return startTimestamp_ + std::llround(index / facts_.framesPerSecond / av_q2d(timeBase_));
}

void MovieFileDecoder::ForgetPosition() {
  positioned_ = false;
  av_frame_unref(ahead_.get());
  aheadIndex_ = -1;
}

bool MovieFileDecoder::SeekTo(std::int64_t index) {
  ++seeks_;
  bytesPositioned_ = false;
  ForgetPosition();
  av_frame_unref(current_.get());
  currentIndex_ = -1;
  if (av_seek_frame(input_.get(), videoStream_, TimestampOf(index), AVSEEK_FLAG_BACKWARD) < 0 &&
      av_seek_frame(input_.get(), videoStream_, startTimestamp_, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0) {
    return false;
  }
  avcodec_flush_buffers(codec_.get());
  drained_ = false;
  positioned_ = true;
  return true;
}

bool MovieFileDecoder::ReadVideoPacket() {
  while (av_read_frame(input_.get(), packet_.get()) >= 0) {
    // An empty chunk is a dropped frame: the picture before it goes on.
    if (packet_->stream_index == videoStream_ && packet_->size > 0) return true;
    av_packet_unref(packet_.get());
  }
  return false;
}

bool MovieFileDecoder::DecodeUpTo(std::int64_t n) {
  for (;;) {
    if (aheadIndex_ >= 0) {
      if (aheadIndex_ > n) return currentIndex_ >= 0;
      std::swap(current_, ahead_);
      av_frame_unref(ahead_.get());
      currentIndex_ = aheadIndex_;
      aheadIndex_ = -1;
      if (currentIndex_ == n) return true;
      continue;
    }
    const int received = avcodec_receive_frame(codec_.get(), scratch_.get());
    if (received == 0) {
      std::int64_t timestamp = scratch_->best_effort_timestamp;
      if (timestamp == AV_NOPTS_VALUE) timestamp = scratch_->pts;
      const std::int64_t index = timestamp == AV_NOPTS_VALUE ? currentIndex_ + 1 : IndexOf(timestamp);
      std::swap(ahead_, scratch_);
      av_frame_unref(scratch_.get());
      aheadIndex_ = std::max<std::int64_t>(index, currentIndex_ + 1);
      continue;
    }
    if (received == AVERROR(EAGAIN) && !drained_) {
      if (ReadVideoPacket()) {
        // A damaged packet spoils only its own frame.
        avcodec_send_packet(codec_.get(), packet_.get());
        av_packet_unref(packet_.get());
      } else {
        avcodec_send_packet(codec_.get(), nullptr);
        drained_ = true;
      }
      continue;
    }
    // The end of the stream, or a decoder that gives up: the newest frame
    // stands for every later one, and the next request starts afresh.
    positioned_ = false;
    return currentIndex_ >= 0;
  }
}

const AVFrame* MovieFileDecoder::DecodeFrame(std::int64_t n) {
  if (!IsOpen() || !facts_.hasVideo) return nullptr;
  n = std::clamp<std::int64_t>(n, 0, facts_.frameCount - 1);
  if (currentIndex_ >= 0 && n >= currentIndex_ && (n == currentIndex_ || (aheadIndex_ > n))) {
    return current_.get();  // the frame shown at n is already decoded
  }
  const bool decodeOn = positioned_ && currentIndex_ >= 0 && n > currentIndex_ &&
                        n - currentIndex_ <= (facts_.intraOnly ? 1 : kDecodeOnWindow);
  if (!decodeOn && !SeekTo(n)) return nullptr;
  if (DecodeUpTo(n)) return current_.get();
  // The seek landed past the frame (an index that misplaces key frames):
  // decode from the very start instead.
  if (n > 0 && currentIndex_ < 0 && SeekTo(0) && DecodeUpTo(n)) return current_.get();
  return nullptr;
}

bool MovieFileDecoder::ReadFrameBytes(std::int64_t n, std::vector<std::uint8_t>& bytes) {
  if (!IsOpen() || !facts_.hasVideo) return false;
  n = std::clamp<std::int64_t>(n, 0, facts_.frameCount - 1);
  // Reading moves the demuxer: decoding must seek before it goes on.
  ForgetPosition();
  // The next frame in order is the next packet: no seek needed.
  const bool readOn = bytesPositioned_ && n == bytesIndex_ + 1;
  bytesPositioned_ = false;
  if (!readOn) {
    ++seeks_;
    if (av_seek_frame(input_.get(), videoStream_, TimestampOf(n), AVSEEK_FLAG_BACKWARD) < 0) return false;
  }
  bool found = false;
  while (ReadVideoPacket()) {
    std::int64_t timestamp = packet_->pts != AV_NOPTS_VALUE ? packet_->pts : packet_->dts;
    const std::int64_t index = timestamp == AV_NOPTS_VALUE ? n : IndexOf(timestamp);
    if (index > n) {
      av_packet_unref(packet_.get());
      break;
    }
    bytes.assign(packet_->data, packet_->data + packet_->size);
    found = true;
    av_packet_unref(packet_.get());
    if (index == n) {
      bytesIndex_ = n;
      bytesPositioned_ = true;
      break;
    }
  }
  return found;
}

}  // namespace vantorelle
