#include "playback/software_board/movie_audio_reader.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include "model/regular_file.h"
#include "playback/software_board/output_sink.h"

namespace vantorelle {

void SwrContextFree::operator()(SwrContext* context) const { swr_free(&context); }

KlpResult MovieAudioReader::Open(const std::string& path) {
  *this = MovieAudioReader{};
  // FFmpeg would wait forever on a pipe: only a regular file is handed over.
  if (!RegularFileProblem(path).empty()) return KlpFileNotFound;
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return KlpFileNotFound;
  input_.reset(raw);
  if (avformat_find_stream_info(input_.get(), nullptr) < 0) {
    input_.reset();
    return KlpBadFormat;
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
  if (!codec_ || !packet_ || !frame_ || avcodec_parameters_to_context(codec_.get(), stream.codecpar) < 0 ||
      avcodec_open2(codec_.get(), decoder, nullptr) < 0 || codec_->sample_rate <= 0 ||
      codec_->sample_rate > kMaxSampleRate) {
    *this = MovieAudioReader{};
    return KlpBadFormat;
  }
  timeBase_ = stream.time_base;
  outChannels_ = codec_->ch_layout.nb_channels == 1 ? 1 : 2;
  return KlpOk;
}

bool MovieAudioReader::SeekTo(double seconds) {
  if (!IsOpen()) return false;
  seconds = std::max(0.0, seconds);
  pending_.clear();
  pendingAt_ = 0;
  silenceAhead_ = 0;
  resamplerHoldsMore_ = flushing_ = drained_ = ended_ = false;
  resampler_.reset();
  const auto timestamp = static_cast<std::int64_t>(std::floor(seconds / av_q2d(timeBase_)));
  if (av_seek_frame(input_.get(), stream_, timestamp, AVSEEK_FLAG_BACKWARD) < 0 &&
      av_seek_frame(input_.get(), -1, 0, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0) {
    return false;
  }
  avcodec_flush_buffers(codec_.get());
  target_ = seconds;
  trimming_ = true;
  return true;
}

bool MovieAudioReader::MakeResampler(const AVFrame& frame) {
  AVChannelLayout out{};
  av_channel_layout_default(&out, outChannels_);
  // Files that do not name their channels get the usual layout of their count.
  AVChannelLayout in{};
  if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_copy(&in, &frame.ch_layout) < 0) {
    av_channel_layout_default(&in, frame.ch_layout.nb_channels);
  }
  SwrContext* raw = nullptr;
  const int made = swr_alloc_set_opts2(&raw, &out, AV_SAMPLE_FMT_FLT, kBoardSampleRate, &in,
                                       static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
  av_channel_layout_uninit(&out);
  av_channel_layout_uninit(&in);
  resampler_.reset(raw);
  return made >= 0 && resampler_ && swr_init(resampler_.get()) >= 0;
}

void MovieAudioReader::AppendConverted(int made) {
  for (int i = 0; i < made; ++i) {
    const float left = converted_[static_cast<std::size_t>(i) * outChannels_];
    const float right = outChannels_ == 1 ? left : converted_[static_cast<std::size_t>(i) * outChannels_ + 1];
    pending_.push_back(left);
    pending_.push_back(right);
  }
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
  for (int i = 0; i < (planar ? channels : 1) && i < AV_NUM_DATA_POINTERS; ++i) {
    in[i] = frame.extended_data[i] + skip * bytes * (planar ? 1 : channels);
  }
  converted_.resize(static_cast<std::size_t>(kPieceFrames) * outChannels_);
  auto* out = reinterpret_cast<std::uint8_t*>(converted_.data());
  const int made = swr_convert(resampler_.get(), &out, kPieceFrames, in, std::max(inCount, 0));
  if (made < 0) return false;
  AppendConverted(made);
  resamplerHoldsMore_ = made == kPieceFrames;
  return true;
}

bool MovieAudioReader::DrawHeld() {
  converted_.resize(static_cast<std::size_t>(kPieceFrames) * outChannels_);
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
  converted_.resize(static_cast<std::size_t>(kPieceFrames) * outChannels_);
  auto* out = reinterpret_cast<std::uint8_t*>(converted_.data());
  const int made = swr_convert(resampler_.get(), &out, kPieceFrames, nullptr, 0);
  if (made <= 0) return false;
  AppendConverted(made);
  return true;
}

bool MovieAudioReader::DecodeMore() {
  if (resamplerHoldsMore_ && DrawHeld()) return true;
  if (flushing_) return FlushPiece();
  for (;;) {
    const int received = avcodec_receive_frame(codec_.get(), frame_.get());
    if (received == 0) {
      const AVFrame& frame = *frame_;
      std::size_t skip = 0;
      if (trimming_) {
        std::int64_t timestamp = frame.best_effort_timestamp;
        if (timestamp == AV_NOPTS_VALUE) timestamp = frame.pts;
        const double start = timestamp == AV_NOPTS_VALUE ? target_ : timestamp * av_q2d(timeBase_);
        const double late = (target_ - start) * frame.sample_rate;
        if (late >= frame.nb_samples) {
          av_frame_unref(frame_.get());
          continue;
        }
        if (late > 0.0) {
          skip = static_cast<std::size_t>(std::llround(late));
        } else if (late < 0.0) {
          // The sound starts after the time asked for: silence keeps it in place.
          // Counted, not stored: a file may claim its sound starts hours later.
          const double gap = std::min(-late / frame.sample_rate * kBoardSampleRate, 9.0e15);
          silenceAhead_ += std::llround(gap);
        }
        trimming_ = false;
      }
      const bool converted = skip < static_cast<std::size_t>(frame.nb_samples) ? Convert(frame, skip) : true;
      av_frame_unref(frame_.get());
      if (!converted) return false;
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
