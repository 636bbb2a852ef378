#include "playback/software_board/movie_audio_reader.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include "model/regular_file.h"
#include "playback/software_board/media_time_origin.h"
#include "playback/software_board/output_sink.h"
#include "playback/software_board/stereo_downmix.h"

namespace vantorelle {
namespace {

constexpr int kOutChannels = 2;
// Timestamps closer than this to where the sound already is are taken as
// the same place: containers round them (Matroska and ASF to milliseconds).
constexpr double kPlaceTolerance = 0.01;
// Sound never repeats for longer than this: a clock that goes back further
// was set anew.
constexpr double kLongestOverlap = 0.5;
// Containers whose clock may jump (MPEG-TS): a jump forward this long is
// taken as the clock set anew, not as missing sound (as the ffmpeg program
// does).
constexpr double kLongestGapOfAJumpingClock = 10.0;
// Lapped codecs (MP3, AAC, Vorbis, Opus, WMA) need the packets before a
// position to decode it cleanly.
constexpr double kCodecPreroll = 0.1;
// A count of silence that still fits any integer sum.
constexpr double kLongestGapFrames = 9.0e15;

std::int64_t OutputFramesOf(double seconds) {
  return std::llround(std::clamp(seconds * kBoardSampleRate, 0.0, kLongestGapFrames));
}

}  // namespace

void SwrContextFree::operator()(SwrContext* context) const { swr_free(&context); }

KlpResult MovieAudioReader::OpenInput() {
  // FFmpeg would wait forever on a pipe: only a regular file is handed over.
  if (!RegularFileProblem(path_).empty()) return KlpFileNotFound;
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path_.c_str(), nullptr, nullptr) < 0) return KlpFileNotFound;
  input_.reset(raw);
  if (avformat_find_stream_info(input_.get(), nullptr) < 0) {
    input_.reset();
    return KlpBadFormat;
  }
  inputEnded_ = false;
  return KlpOk;
}

KlpResult MovieAudioReader::Open(const std::string& path) {
  *this = MovieAudioReader{};
  path_ = path;
  if (const KlpResult opened = OpenInput(); opened != KlpOk) {
    *this = MovieAudioReader{};
    return opened;
  }
  stream_ = av_find_best_stream(input_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (stream_ < 0) {
    input_.reset();
    return KlpBadFormat;
  }
  const AVStream& stream = *input_->streams[stream_];
  const AVCodec* decoder = avcodec_find_decoder(stream.codecpar->codec_id);
  codec_.reset(decoder ? avcodec_alloc_context3(decoder) : nullptr);
  packet_.reset(av_packet_alloc());
  frame_.reset(av_frame_alloc());
  if (!codec_ || !packet_ || !frame_ || stream.time_base.num <= 0 || stream.time_base.den <= 0 ||
      avcodec_parameters_to_context(codec_.get(), stream.codecpar) < 0) {
    *this = MovieAudioReader{};
    return KlpBadFormat;
  }
  // With the packets' time base the decoder moves a frame's timestamp past
  // the priming samples it cuts away.
  codec_->pkt_timebase = stream.time_base;
  if (avcodec_open2(codec_.get(), decoder, nullptr) < 0 || codec_->sample_rate <= 0 ||
      codec_->sample_rate > kMaxSampleRate) {
    *this = MovieAudioReader{};
    return KlpBadFormat;
  }
  timeBase_ = stream.time_base;
  clockMayJump_ = input_->iformat && (input_->iformat->flags & AVFMT_TS_DISCONT) != 0;
  origin_ = MediaTimeOriginSeconds(*input_, stream_);
  const bool pcm = av_get_bits_per_sample(stream.codecpar->codec_id) > 0;
  preroll_ = pcm ? 0.0 : kCodecPreroll;
  if (stream.codecpar->seek_preroll > 0 && stream.codecpar->sample_rate > 0) {
    preroll_ += static_cast<double>(stream.codecpar->seek_preroll) / stream.codecpar->sample_rate;
  }
  target_ = origin_;
  trimming_ = true;
  return KlpOk;
}

bool MovieAudioReader::SeekTo(double seconds) {
  if (!IsOpen()) return false;
  if (!(seconds > 0.0)) seconds = 0.0;
  pending_.clear();
  pendingAt_ = 0;
  silenceAhead_ = 0;
  gapFrames_ = 0;
  resamplerHoldsMore_ = flushing_ = drained_ = ended_ = draining_ = frameWaiting_ = placed_ = driftSeen_ = false;
  resampler_.reset();
  av_frame_unref(frame_.get());
  // The Ogg demuxer labels its pages wrongly when it seeks after reaching
  // the end of the file; the file opened afresh seeks right.
  if (inputEnded_) {
    AvInputPtr previous = std::move(input_);
    if (OpenInput() != KlpOk || input_->nb_streams != previous->nb_streams ||
        input_->streams[stream_]->codecpar->codec_id != previous->streams[stream_]->codecpar->codec_id) {
      input_ = std::move(previous);
      return false;
    }
  }
  target_ = origin_ + seconds;
  clockShift_ = 0.0;
  const double from = target_ - preroll_;
  const auto timestamp = static_cast<std::int64_t>(std::clamp(std::floor(from / av_q2d(timeBase_)), -9.0e18, 9.0e18));
  if (av_seek_frame(input_.get(), stream_, timestamp, AVSEEK_FLAG_BACKWARD) < 0 &&
      av_seek_frame(input_.get(), -1, 0, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0) {
    return false;
  }
  avcodec_flush_buffers(codec_.get());
  trimming_ = true;
  return true;
}

bool MovieAudioReader::MakeResampler(const AVFrame& frame) {
  AVChannelLayout out{};
  av_channel_layout_default(&out, kOutChannels);
  // Files that do not name their channels get the usual layout of their count.
  AVChannelLayout in{};
  if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_copy(&in, &frame.ch_layout) < 0) {
    av_channel_layout_default(&in, frame.ch_layout.nb_channels);
  }
  const std::vector<double> mix = StereoDownmixMatrix(in);
  SwrContext* raw = nullptr;
  const int made = swr_alloc_set_opts2(&raw, &out, AV_SAMPLE_FMT_FLT, kBoardSampleRate, &in,
                                       static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
  av_channel_layout_uninit(&out);
  av_channel_layout_uninit(&in);
  resampler_.reset(raw);
  resamplerFormat_ = frame.format;
  resamplerRate_ = frame.sample_rate;
  resamplerChannels_ = frame.ch_layout.nb_channels;
  resamplerMask_ = frame.ch_layout.order == AV_CHANNEL_ORDER_NATIVE ? frame.ch_layout.u.mask : 0;
  return made >= 0 && resampler_ && !mix.empty() &&
         swr_set_matrix(resampler_.get(), mix.data(), frame.ch_layout.nb_channels) >= 0 &&
         swr_init(resampler_.get()) >= 0;
}

void MovieAudioReader::AppendConverted(int made) {
  pending_.insert(pending_.end(), converted_.begin(), converted_.begin() + static_cast<std::ptrdiff_t>(made) * 2);
}

// The whole frame goes in, but at most one piece comes out: the resampler
// keeps the rest of its input and DrawHeld takes it piece by piece.
bool MovieAudioReader::Convert(const AVFrame& frame, std::size_t skip) {
  if (!resampler_ && !MakeResampler(frame)) return false;
  const int inCount = frame.nb_samples - static_cast<int>(skip);
  const std::uint8_t* in[AV_NUM_DATA_POINTERS] = {};
  const auto format = static_cast<AVSampleFormat>(frame.format);
  const int bytes = av_get_bytes_per_sample(format);
  const bool planar = av_sample_fmt_is_planar(format);
  const int channels = frame.ch_layout.nb_channels;
  if (planar && channels > AV_NUM_DATA_POINTERS) return false;
  for (int i = 0; i < (planar ? channels : 1); ++i) {
    in[i] = frame.extended_data[i] + skip * bytes * (planar ? 1 : channels);
  }
  converted_.resize(static_cast<std::size_t>(kPieceFrames) * kOutChannels);
  auto* out = reinterpret_cast<std::uint8_t*>(converted_.data());
  const int made = swr_convert(resampler_.get(), &out, kPieceFrames, in, std::max(inCount, 0));
  if (made < 0) return false;
  AppendConverted(made);
  resamplerHoldsMore_ = made == kPieceFrames;
  return true;
}

bool MovieAudioReader::DrawHeld() {
  converted_.resize(static_cast<std::size_t>(kPieceFrames) * kOutChannels);
  auto* out = reinterpret_cast<std::uint8_t*>(converted_.data());
  // No input, but not a null one: a null input would flush the resampler
  // and cut the sound that is still to come.
  const std::uint8_t* none[AV_NUM_DATA_POINTERS] = {out};
  const int made = swr_convert(resampler_.get(), &out, kPieceFrames, none, 0);
  resamplerHoldsMore_ = made == kPieceFrames;
  if (made <= 0) return false;
  AppendConverted(made);
  return true;
}

bool MovieAudioReader::FlushPiece() {
  if (!resampler_) return false;
  converted_.resize(static_cast<std::size_t>(kPieceFrames) * kOutChannels);
  auto* out = reinterpret_cast<std::uint8_t*>(converted_.data());
  const int made = swr_convert(resampler_.get(), &out, kPieceFrames, nullptr, 0);
  if (made <= 0) return false;
  AppendConverted(made);
  return true;
}

bool MovieAudioReader::Place(std::size_t& skip, double& gapSeconds) {
  const AVFrame& frame = *frame_;
  skip = 0;
  gapSeconds = 0.0;
  const double rate = frame.sample_rate;
  std::int64_t timestamp = frame.best_effort_timestamp;
  if (timestamp == AV_NOPTS_VALUE) timestamp = frame.pts;
  const bool stamped = timestamp != AV_NOPTS_VALUE;
  const double stampedAt = stamped ? static_cast<double>(timestamp) * av_q2d(timeBase_) + clockShift_ : 0.0;
  const double duration = frame.nb_samples / rate;

  // Counting on keeps the sound seamless; a timestamp moves it only when the
  // next frame confirms the move, since some demuxers misplace single
  // frames (Ogg Vorbis at a change of block size) where nothing is missing.
  double start = stamped ? stampedAt : target_;
  if (placed_) {
    start = expected_;
    const double drift = stamped ? stampedAt - expected_ : 0.0;
    if (std::abs(drift) <= kPlaceTolerance) {
      driftSeen_ = false;
    } else if (driftSeen_ && std::abs(drift - lastDrift_) <= kPlaceTolerance) {
      driftSeen_ = false;
      if (drift < -kLongestOverlap || (clockMayJump_ && drift > kLongestGapOfAJumpingClock)) {
        // The file's clock was set anew (MPEG-TS files joined, a broadcast
        // capture): the sound goes on seamlessly on the clock counted so far.
        clockShift_ -= drift;
      } else {
        start = stampedAt;
      }
    } else {
      driftSeen_ = true;
      lastDrift_ = drift;
    }
  }
  const double handedTo = placed_ ? expected_ : start;
  placed_ = true;
  expected_ = start + duration;

  if (trimming_) {
    // Up to the time asked for everything is cut; sound that starts after
    // it is kept in place with silence.
    const double late = (target_ - start) * rate;
    if (late >= frame.nb_samples) return false;
    trimming_ = false;
    if (late > 0.0) {
      skip = static_cast<std::size_t>(std::llround(late));
    } else {
      gapSeconds = -late / rate;
    }
    return skip < static_cast<std::size_t>(frame.nb_samples);
  }
  if (start > handedTo) {
    gapSeconds = start - handedTo;  // the recorder dropped sound here
    return true;
  }
  const double repeated = (handedTo - start) * rate;
  if (repeated >= frame.nb_samples) {
    expected_ = handedTo;
    return false;
  }
  skip = static_cast<std::size_t>(std::llround(repeated));
  return skip < static_cast<std::size_t>(frame.nb_samples);
}

bool MovieAudioReader::ConvertWaiting(std::size_t skip) {
  const bool converted = Convert(*frame_, skip);
  av_frame_unref(frame_.get());
  return converted;
}

bool MovieAudioReader::DecodeMore() {
  if (resamplerHoldsMore_ && DrawHeld()) return true;
  if (draining_) {
    if (FlushPiece()) return true;
    draining_ = false;
    resampler_.reset();
  }
  if (gapFrames_ > 0) {
    silenceAhead_ += gapFrames_;
    gapFrames_ = 0;
    return true;
  }
  if (frameWaiting_) {
    frameWaiting_ = false;
    return ConvertWaiting(waitingSkip_);
  }
  if (flushing_) return FlushPiece();
  for (;;) {
    const int received = avcodec_receive_frame(codec_.get(), frame_.get());
    if (received == 0) {
      std::size_t skip = 0;
      double gapSeconds = 0.0;
      if (frame_->nb_samples <= 0 || frame_->sample_rate <= 0 || !Place(skip, gapSeconds)) {
        av_frame_unref(frame_.get());
        continue;
      }
      const AVFrame& frame = *frame_;
      const bool otherKind = resampler_ && (frame.format != resamplerFormat_ || frame.sample_rate != resamplerRate_ ||
                                            frame.ch_layout.nb_channels != resamplerChannels_ ||
                                            (frame.ch_layout.order == AV_CHANNEL_ORDER_NATIVE &&
                                             frame.ch_layout.u.mask != resamplerMask_));
      const std::int64_t gap = OutputFramesOf(gapSeconds);
      if (gap == 0 && !otherKind) return ConvertWaiting(skip);
      // What the resampler still holds comes before the gap and the frame;
      // after a gap the next sound starts afresh.
      draining_ = resampler_ != nullptr;
      gapFrames_ = gap;
      frameWaiting_ = true;
      waitingSkip_ = skip;
      return true;
    }
    if (received == AVERROR(EAGAIN) && !drained_) {
      bool sent = false;
      while (av_read_frame(input_.get(), packet_.get()) >= 0) {
        if (packet_->stream_index == stream_) {
          avcodec_send_packet(codec_.get(), packet_.get());  // a damaged packet spoils only itself
          av_packet_unref(packet_.get());
          sent = true;
          break;
        }
        av_packet_unref(packet_.get());
      }
      if (!sent) {
        inputEnded_ = true;
        avcodec_send_packet(codec_.get(), nullptr);
        drained_ = true;
      }
      continue;
    }
    flushing_ = true;
    return FlushPiece();
  }
}

std::size_t MovieAudioReader::Read(float* out, std::size_t frames) {
  std::size_t done = 0;
  while (done < frames && IsOpen()) {
    if (silenceAhead_ > 0) {
      const auto count = static_cast<std::size_t>(
          std::min<std::int64_t>(silenceAhead_, static_cast<std::int64_t>(frames - done)));
      std::fill_n(out + done * 2, count * 2, 0.0f);
      silenceAhead_ -= static_cast<std::int64_t>(count);
      done += count;
      continue;
    }
    if (pendingAt_ >= pending_.size()) {
      pending_.clear();
      pendingAt_ = 0;
      if (ended_) break;
      if (!DecodeMore()) ended_ = true;
      continue;
    }
    const std::size_t count = std::min(frames - done, (pending_.size() - pendingAt_) / 2);
    std::copy_n(pending_.data() + pendingAt_, count * 2, out + done * 2);
    pendingAt_ += count * 2;
    done += count;
  }
  std::fill(out + done * 2, out + frames * 2, 0.0f);
  return done;
}

}  // namespace vantorelle
