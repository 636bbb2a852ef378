#include "playback/software_board/movie_file_decoder.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

extern "C" {
#include <libavutil/dict.h>
#include <libavutil/display.h>
#include <libavutil/pixdesc.h>
}

#include "playback/software_board/picture_fit.h"

namespace vantorelle {
namespace {

// A seek that lands past its key frame (an index that misplaces it) tries
// this many key frames further back before starting from the first one.
constexpr int kSeekRetries = 3;

// The board plays whatever container FFmpeg reads, except the readers that
// turn any text into pictures (a text file read as a terminal capture) and
// those of single images, which are no movies whatever their name.
bool IsAcceptedContainer(const AVInputFormat* format) {
  if (!format) return false;
  const std::string_view name = format->name;
  if (name == "image2" || (name.size() > 5 && name.substr(name.size() - 5) == "_pipe")) return false;
  for (const char* textReader : {"tty", "ass", "srt", "webvtt", "subviewer", "subviewer1", "microdvd", "mpl2",
                                 "jacosub", "realtext", "sami", "stl", "vplayer", "pjs", "aqtitle", "lrc"}) {
    if (std::strcmp(format->name, textReader) == 0) return false;
  }
  return true;
}

double ValidRate(AVRational rate) { return rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0.0; }

// VP8 and VP9 keep their alpha in a second picture beside each frame (in
// WebM, as block additions, the stream tagged alpha_mode 1). FFmpeg's own
// decoders drop it; libvpx's decode both into yuva420p.
const AVCodec* AlphaDecoderOf(const AVStream& stream) {
  const AVDictionaryEntry* mode = av_dict_get(stream.metadata, "alpha_mode", nullptr, 0);
  if (!mode || std::strcmp(mode->value, "1") != 0) return nullptr;
  switch (stream.codecpar->codec_id) {
    case AV_CODEC_ID_VP9: return avcodec_find_decoder_by_name("libvpx-vp9");
    case AV_CODEC_ID_VP8: return avcodec_find_decoder_by_name("libvpx");
    default: return nullptr;
  }
}

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
  held_.reset(av_packet_alloc());
  current_.reset(av_frame_alloc());
  ahead_.reset(av_frame_alloc());
  scratch_.reset(av_frame_alloc());
  if (!packet_ || !held_ || !current_ || !ahead_ || !scratch_ || (facts_.hasVideo && !OpenVideoDecoder())) {
    *this = MovieFileDecoder{};
    return KlpBadFormat;
  }
  if (facts_.hasVideo) {
    // Only the picture stream is read here; its frames, read once, give the
    // true length and where each frame lies in time.
    for (unsigned i = 0; i < input_->nb_streams; ++i) {
      if (static_cast<int>(i) != videoStream_) input_->streams[i]->discard = AVDISCARD_ALL;
    }
    table_ = MovieFrameTable::Build(*input_, videoStream_, facts_.framesPerSecond, info.st_size);
    if (!table_ && facts_.hasAudio && facts_.audioSeconds > 0.0) {
      // A picture stream without a single frame beside sound: a sound file.
      facts_.hasVideo = false;
      facts_.videoCodec = AV_CODEC_ID_NONE;
      facts_.videoHasAlpha = false;
      facts_.intraOnly = false;
      facts_.width = facts_.height = 0;
      facts_.framesPerSecond = 0.0;
      codec_.reset();
      videoStream_ = -1;
      return KlpOk;
    }
    if (!table_) {
      *this = MovieFileDecoder{};
      return KlpBadFormat;
    }
    facts_.frameCount = table_->Count();
    facts_.videoSeconds = table_->Seconds();
    // The nominal rate stands unless the frames say otherwise (a variable
    // rate, or a header that misstates it).
    const double average = facts_.videoSeconds > 0.0 ? facts_.frameCount / facts_.videoSeconds : 0.0;
    if (facts_.frameCount > 1 && average > 0.0 && std::abs(average - facts_.framesPerSecond) > 0.02 * average) {
      facts_.framesPerSecond = average;
    }
    return KlpOk;
  }
  // A header that promises data the file does not hold (a WAV cut after its
  // header) has nothing to play.
  bool anyData = false;
  while (!anyData && av_read_frame(input_.get(), packet_.get()) >= 0) {
    anyData = packet_->size > 0;
    av_packet_unref(packet_.get());
  }
  if (!anyData || facts_.audioSeconds <= 0.0) {
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
    byteSeek_ = (input_->iformat->flags & AVFMT_TS_DISCONT) != 0 && !(input_->iformat->flags & AVFMT_NO_BYTE_SEEK);

    facts_.hasVideo = true;
    facts_.videoCodec = par.codec_id;
    facts_.width = par.width;
    facts_.height = par.height;
    facts_.framesPerSecond = rate;
    const AVPixFmtDescriptor* pixels = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(par.format));
    facts_.videoHasAlpha = (pixels && (pixels->flags & AV_PIX_FMT_FLAG_ALPHA) != 0) || AlphaDecoderOf(stream) != nullptr;
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
  const AVStream& stream = *input_->streams[videoStream_];
  const AVCodecParameters& par = *stream.codecpar;
  const AVCodec* decoder = AlphaDecoderOf(stream);
  if (!decoder) decoder = avcodec_find_decoder(par.codec_id);
  if (!decoder) return false;
  codec_.reset(avcodec_alloc_context3(decoder));
  if (!codec_ || avcodec_parameters_to_context(codec_.get(), &par) < 0) return false;
  codec_->pkt_timebase = timeBase_;
  codec_->max_pixels = static_cast<std::int64_t>(kLargestMovieSide) * kLargestMovieSide / 4;
  codec_->thread_count = threads_;
  // Frame threads hold pictures back by as many packets as there are
  // threads, which would throw out pictures counted by their decode order.
  const bool countsPictures = table_ && !table_->LabelsByTimestamp();
  codec_->thread_type = FF_THREAD_SLICE | (countsPictures || threads_ == 1 ? 0 : FF_THREAD_FRAME);
  return avcodec_open2(codec_.get(), decoder, nullptr) >= 0;
}

std::int64_t MovieFileDecoder::FrameAt(double seconds) const {
  return table_ ? table_->FrameAt(seconds) : 0;
}

double MovieFileDecoder::FrameSeconds(std::int64_t n) const { return table_ ? table_->FrameSeconds(n) : 0.0; }

void MovieFileDecoder::ForgetPosition() {
  positioned_ = false;
  av_frame_unref(ahead_.get());
  aheadIndex_ = -1;
}

bool MovieFileDecoder::SeekToKey(const MovieFrameTable::KeyFrame& key, std::int64_t& start) {
  av_packet_unref(held_.get());
  hasHeld_ = false;
  start = -1;
  const int sought = byteSeek_ && key.position >= 0
                         ? av_seek_frame(input_.get(), -1, key.position, AVSEEK_FLAG_BYTE)
                         : av_seek_frame(input_.get(), videoStream_, key.seekTimestamp, AVSEEK_FLAG_BACKWARD);
  if (sought < 0) return false;
  avcodec_flush_buffers(codec_.get());
  drained_ = false;
  // Decoding starts at a key frame, wherever the demuxer came down.
  for (;;) {
    if (!ReadVideoPacket()) return false;
    if ((packet_->flags & AV_PKT_FLAG_KEY) || !table_->MarksKeyFrames()) break;
    av_packet_unref(packet_.get());
  }
  start = table_->IndexOfKeyPacket(*packet_);
  av_packet_move_ref(held_.get(), packet_.get());
  hasHeld_ = true;
  return true;
}

bool MovieFileDecoder::SeekTo(std::int64_t n, int stepsBack) {
  ++seeks_;
  bytesPositioned_ = false;
  ForgetPosition();
  av_frame_unref(current_.get());
  currentIndex_ = -1;
  const MovieFrameTable::KeyFrame* key = &table_->KeyAtOrBefore(n);
  for (int step = 0; step < stepsBack; ++step) key = &table_->KeyBefore(*key);
  for (int attempt = 0; attempt <= kSeekRetries; ++attempt) {
    std::int64_t start = -1;
    const bool landed = SeekToKey(*key, start);
    // Pictures placed by their own timestamps need not know where decoding
    // starts; counted ones do.
    if (landed && ((start >= 0 && start <= n) || (start < 0 && table_->LabelsByTimestamp()))) {
      lastLabel_ = (start >= 0 ? start : key->index) - 1;
      seekKeyIndex_ = key->index;
      positioned_ = true;
      return true;
    }
    if (key->index == 0) break;
    key = attempt + 1 < kSeekRetries ? &table_->KeyBefore(*key) : &table_->KeyAtOrBefore(0);
  }
  return false;
}

bool MovieFileDecoder::ReadVideoPacket() {
  if (hasHeld_) {
    av_packet_move_ref(packet_.get(), held_.get());
    hasHeld_ = false;
    return true;
  }
  while (av_read_frame(input_.get(), packet_.get()) >= 0) {
    // Only the frames the table counts are decoded.
    if (packet_->stream_index == videoStream_ && IsPictureFrame(*packet_)) return true;
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
      const std::int64_t index = LabelOf(*scratch_);
      // A picture out of order (a damaged one) is left out.
      if (index < 0 || index < currentIndex_) {
        av_frame_unref(scratch_.get());
        continue;
      }
      std::swap(ahead_, scratch_);
      av_frame_unref(scratch_.get());
      aheadIndex_ = index;
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

std::int64_t MovieFileDecoder::LabelOf(const AVFrame& frame) {
  // Decoders put pictures out in presentation order: one without a timestamp
  // of its own follows the one before.
  std::int64_t label = lastLabel_ + 1;
  if (table_->LabelsByTimestamp() && frame.pts != AV_NOPTS_VALUE) {
    label = table_->IndexOfPresentation(frame.pts);
  } else if (frame.pkt_dts != AV_NOPTS_VALUE) {
    // A picture comes out as many packets after its own as the decoder holds
    // pictures back; pictures decoded behind a key frame but shown before it
    // are left out after a seek, so the count may have to skip ahead.
    const std::int64_t decoded = table_->IndexOfDecode(frame.pkt_dts);
    if (decoded >= 0) label = std::max(label, decoded - codec_->has_b_frames);
  }
  lastLabel_ = label;
  return std::min(label, facts_.frameCount - 1);
}

const AVFrame* MovieFileDecoder::DecodeFrame(std::int64_t n) {
  if (!IsOpen() || !facts_.hasVideo) return nullptr;
  n = std::clamp<std::int64_t>(n, 0, facts_.frameCount - 1);
  if (currentIndex_ >= 0 && n >= currentIndex_ && (n == currentIndex_ || (aheadIndex_ > n))) {
    return current_.get();  // the frame shown at n is already decoded
  }
  // Decoding on is cheaper than a seek unless a key frame lies further on
  // than the frame on show, by more than a frame or two.
  const bool decodeOn = positioned_ && currentIndex_ >= 0 && n > currentIndex_ &&
                        table_->KeyAtOrBefore(n).index - currentIndex_ <= (facts_.intraOnly ? 1 : 2);
  if (decodeOn) return DecodeUpTo(n) ? current_.get() : nullptr;
  // A seek that starts past the frame (an index that misplaces a key frame)
  // starts again a key frame earlier.
  for (int stepsBack = 0; stepsBack <= kSeekRetries; ++stepsBack) {
    if (!SeekTo(n, stepsBack)) return nullptr;
    if (DecodeUpTo(n)) return current_.get();
    if (currentIndex_ >= 0 || aheadIndex_ < 0) return nullptr;
    if (seekKeyIndex_ == 0) break;
  }
  // Pictures before the first one that decodes (a stream cut out of a
  // broadcast, starting behind its key frame): the first that does stands
  // for them, never a black one.
  std::swap(current_, ahead_);
  av_frame_unref(ahead_.get());
  currentIndex_ = aheadIndex_;
  aheadIndex_ = -1;
  return current_.get();
}

bool MovieFileDecoder::SetDecodingThreads(int count) {
  if (!IsOpen() || !facts_.hasVideo || count < 0) return false;
  threads_ = count;
  ForgetPosition();
  av_frame_unref(current_.get());
  currentIndex_ = -1;
  bytesPositioned_ = false;
  av_packet_unref(held_.get());
  hasHeld_ = false;
  if (OpenVideoDecoder()) return true;
  *this = MovieFileDecoder{};
  return false;
}

bool MovieFileDecoder::ReadFrameBytes(std::int64_t n, std::vector<std::uint8_t>& bytes) {
  if (!IsOpen() || !facts_.hasVideo) return false;
  n = std::clamp<std::int64_t>(n, 0, facts_.frameCount - 1);
  // The next frame in order is the next packet: no seek needed.
  const bool readOn = bytesPositioned_ && n == bytesIndex_ + 1;
  bytesPositioned_ = false;
  if (!readOn) {
    if (!SeekTo(n)) return false;
  }
  // Reading moves the demuxer: decoding must seek before it goes on.
  ForgetPosition();
  std::int64_t index = readOn ? bytesIndex_ : lastLabel_;
  bool found = false;
  while (ReadVideoPacket()) {
    // Frames that stand alone are stored in presentation order.
    const std::int64_t keyIndex = (packet_->flags & AV_PKT_FLAG_KEY) ? table_->IndexOfKeyPacket(*packet_) : -1;
    index = keyIndex >= 0 ? keyIndex : index + 1;
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
