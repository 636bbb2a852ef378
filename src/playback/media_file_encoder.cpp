#include "playback/media_file_encoder.h"

#include <algorithm>
#include <optional>
#include <thread>
#include <vector>

#include "model/video_format.h"
#include "playback/ffmpeg_handles.h"
#include "playback/rgb_to_yuv420.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/rational.h>
}

namespace vantorelle {
namespace {

struct AvOutputClose {
  void operator()(AVFormatContext* context) const {
    if (!(context->oformat->flags & AVFMT_NOFILE)) avio_closep(&context->pb);
    avformat_free_context(context);
  }
};
using AvOutputPtr = std::unique_ptr<AVFormatContext, AvOutputClose>;

std::string AvErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

struct ColourTags {
  AVColorPrimaries primaries;
  AVColorTransferCharacteristic transfer;
  AVColorSpace matrix;
  int swsMatrix;
  YuvMatrix weights;
};

ColourTags TagsOf(OutputColour colour) {
  switch (colour) {
    case OutputColour::Bt709:
      return {AVCOL_PRI_BT709, AVCOL_TRC_BT709, AVCOL_SPC_BT709, SWS_CS_ITU709, kBt709Matrix};
    case OutputColour::Bt601Pal:
      return {AVCOL_PRI_BT470BG, AVCOL_TRC_SMPTE170M, AVCOL_SPC_BT470BG, SWS_CS_ITU601, kBt601Matrix};
    case OutputColour::Bt601Ntsc: break;
  }
  return {AVCOL_PRI_SMPTE170M, AVCOL_TRC_SMPTE170M, AVCOL_SPC_SMPTE170M, SWS_CS_ITU601, kBt601Matrix};
}

// What each format is made of. A codec named nullptr is not in the file.
struct FormatTraits {
  const char* muxer;
  const char* videoEncoder;
  AVPixelFormat pixels;
  const char* audioEncoder;
  AVSampleFormat samples;
  std::int64_t audioBitRate;  // 0: the codec's own (PCM, FLAC)
  int defaultQuality;         // 0: the format takes none
};

FormatTraits TraitsOf(MediaFileFormat format) {
  switch (format) {
    case MediaFileFormat::AviMjpegPcm:
      return {"avi", "mjpeg", AV_PIX_FMT_YUVJ422P, "pcm_s16le", AV_SAMPLE_FMT_S16, 0, 3};
    case MediaFileFormat::Mp4H264Aac:
      return {"mp4", "libx264", AV_PIX_FMT_YUV420P, "aac", AV_SAMPLE_FMT_FLTP, 192000, 20};
    case MediaFileFormat::MovProResPcm:
      return {"mov", "prores_ks", AV_PIX_FMT_YUV422P10LE, "pcm_s16le", AV_SAMPLE_FMT_S16, 0, 0};
    case MediaFileFormat::WebmVp9Opus:
      return {"webm", "libvpx-vp9", AV_PIX_FMT_YUV420P, "libopus", AV_SAMPLE_FMT_FLT, 160000, 31};
    case MediaFileFormat::WavPcm:
      return {"wav", nullptr, AV_PIX_FMT_NONE, "pcm_s16le", AV_SAMPLE_FMT_S16, 0, 0};
    case MediaFileFormat::FlacSound:
      return {"flac", nullptr, AV_PIX_FMT_NONE, "flac", AV_SAMPLE_FMT_S16, 0, 0};
    case MediaFileFormat::PngPicture:
      return {"image2", "png", AV_PIX_FMT_RGB24, nullptr, AV_SAMPLE_FMT_NONE, 0, 0};
  }
  return TraitsOf(MediaFileFormat::AviMjpegPcm);
}

int EncoderThreads() { return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 16u)); }

// The encoder's own settings: quality, speed and threads.
void ConfigureVideoEncoder(MediaFileFormat format, int quality, AVCodecContext& video) {
  void* options = video.priv_data;
  switch (format) {
    case MediaFileFormat::AviMjpegPcm:
      video.flags |= AV_CODEC_FLAG_QSCALE;
      video.global_quality = FF_QP2LAMBDA * quality;
      video.thread_type = FF_THREAD_SLICE;
      video.thread_count = EncoderThreads();
      break;
    case MediaFileFormat::Mp4H264Aac:
      video.gop_size = 25;
      av_opt_set(options, "preset", "medium", 0);
      av_opt_set_int(options, "crf", quality, 0);
      video.thread_count = 0;  // x264 picks its threads from the cores
      break;
    case MediaFileFormat::MovProResPcm:
      av_opt_set_int(options, "profile", 3, 0);  // 422 HQ
      video.thread_type = FF_THREAD_SLICE;
      video.thread_count = EncoderThreads();
      break;
    case MediaFileFormat::WebmVp9Opus:
      // Constant quality: the rate factor alone, no target bit rate.
      video.bit_rate = 0;
      av_opt_set_int(options, "crf", quality, 0);
      av_opt_set(options, "deadline", "good", 0);
      av_opt_set_int(options, "cpu-used", 4, 0);
      av_opt_set_int(options, "row-mt", 1, 0);
      video.thread_count = EncoderThreads();
      break;
    case MediaFileFormat::PngPicture:
    case MediaFileFormat::WavPcm:
    case MediaFileFormat::FlacSound:
      break;
  }
}

}  // namespace

bool FormatHasPictures(MediaFileFormat format) { return TraitsOf(format).videoEncoder != nullptr; }
bool FormatHasSound(MediaFileFormat format) { return TraitsOf(format).audioEncoder != nullptr; }

OutputColour OutputColourOf(int width, int height, int framesPer1000s) {
  // Where players take untagged pictures as BT.709 too.
  if (width >= 1280 || height >= 720) return OutputColour::Bt709;
  return framesPer1000s == 25000 || framesPer1000s == 50000 ? OutputColour::Bt601Pal : OutputColour::Bt601Ntsc;
}

struct MediaFileEncoder::State {
  MediaFileSettings settings;
  AvOutputPtr output;
  AvCodecContextPtr video;  // none in a sound-only file
  AvCodecContextPtr audio;  // none in a picture
  AVStream* videoStream = nullptr;
  AVStream* audioStream = nullptr;
  AvFramePtr videoFrame;
  AvFramePtr audioFrame;
  AvPacketPtr packet;
  SwsContextPtr scaler;  // MJPEG's full-range 4:2:2, ProRes's 10-bit 4:2:2, PNG's RGB
  SwsContextPtr yuvScaler;  // YUV pictures of another format or range
  std::optional<YuvMatrix> yuv420;  // H.264's and VP9's 4:2:0, converted without swscale
  std::vector<float> pendingAudio;  // interleaved, until a whole encoder frame is there
  std::int64_t videoFrames = 0;
  std::int64_t audioFrames = 0;      // samples per channel handed to the encoder
  std::int64_t audioWritten = 0;     // samples per channel accepted from the caller
  bool finished = false;
  std::string error;

  bool Fail(const std::string& what, int code = 0) {
    error = code ? what + ": " + AvErrorText(code) : what;
    return false;
  }

  bool Drain(AVCodecContext& codec, AVStream& stream) {
    for (;;) {
      const int received = avcodec_receive_packet(&codec, packet.get());
      if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return true;
      if (received < 0) return Fail("encoding failed", received);
      // One picture lasts one frame; without it the muxer guesses the last one short.
      if (packet->duration == 0 && codec.codec_type == AVMEDIA_TYPE_VIDEO) packet->duration = 1;
      av_packet_rescale_ts(packet.get(), codec.time_base, stream.time_base);
      packet->stream_index = stream.index;
      const int written = av_interleaved_write_frame(output.get(), packet.get());
      if (written < 0) return Fail("writing the file failed", written);
      // The muxer buffers its writes; a full disk shows only here.
      if (output->pb && output->pb->error < 0) return Fail("writing the file failed", output->pb->error);
    }
  }

  bool Send(AVCodecContext& codec, AVStream& stream, const AVFrame* frame) {
    const int sent = avcodec_send_frame(&codec, frame);
    if (sent < 0 && sent != AVERROR_EOF) return Fail("encoding failed", sent);
    return Drain(codec, stream);
  }

  // Hands every whole encoder frame of the pending samples over; with
  // flush, a last short frame too.
  bool EncodePendingAudio(bool flush) {
    const int frameSize = audio->frame_size > 0 ? audio->frame_size : 1024;
    std::size_t offset = 0;
    while (true) {
      const std::size_t available = (pendingAudio.size() - offset) / 2;
      if (available == 0 || (!flush && available < static_cast<std::size_t>(frameSize))) break;
      const int count = static_cast<int>(std::min<std::size_t>(available, static_cast<std::size_t>(frameSize)));
      const int ready = av_frame_make_writable(audioFrame.get());
      if (ready < 0) return Fail("audio frame", ready);
      audioFrame->nb_samples = count;
      const float* source = pendingAudio.data() + offset;
      if (audio->sample_fmt == AV_SAMPLE_FMT_FLTP) {
        auto* left = reinterpret_cast<float*>(audioFrame->data[0]);
        auto* right = reinterpret_cast<float*>(audioFrame->data[1]);
        for (int i = 0; i < count; ++i) {
          left[i] = source[2 * i];
          right[i] = source[2 * i + 1];
        }
      } else if (audio->sample_fmt == AV_SAMPLE_FMT_FLT) {
        auto* target = reinterpret_cast<float*>(audioFrame->data[0]);
        for (int i = 0; i < 2 * count; ++i) target[i] = std::clamp(source[i], -1.0f, 1.0f);
      } else {
        auto* target = reinterpret_cast<std::int16_t*>(audioFrame->data[0]);
        for (int i = 0; i < 2 * count; ++i) {
          target[i] = static_cast<std::int16_t>(std::clamp(source[i], -1.0f, 1.0f) * 32767.0f);
        }
      }
      audioFrame->pts = audioFrames;
      audioFrames += count;
      offset += static_cast<std::size_t>(count) * 2;
      if (!Send(*audio, *audioStream, audioFrame.get())) return false;
    }
    pendingAudio.erase(pendingAudio.begin(), pendingAudio.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
  }

  bool OpenVideo(const FormatTraits& traits, std::string& error);
  bool OpenAudio(const FormatTraits& traits, std::string& error);
};

bool MediaFileEncoder::State::OpenVideo(const FormatTraits& traits, std::string& error) {
  const MediaFileFormat format = settings.format;
  const AVCodec* videoCodec = avcodec_find_encoder_by_name(traits.videoEncoder);
  if (!videoCodec) {
    error = std::string("no ") + traits.videoEncoder + " encoder";
    return false;
  }
  this->video.reset(avcodec_alloc_context3(videoCodec));
  AVCodecContext& video = *this->video;
  video.width = settings.width;
  video.height = settings.height;
  const FrameRateFraction rate = ExactFrameRate(settings.framesPer1000s);
  video.framerate = AVRational{rate.numerator, rate.denominator};
  video.time_base = av_inv_q(video.framerate);
  video.pix_fmt = traits.pixels;
  if (settings.pixelAspectNumerator > 0 && settings.pixelAspectDenominator > 0) {
    video.sample_aspect_ratio = AVRational{settings.pixelAspectNumerator, settings.pixelAspectDenominator};
  }
  const bool rgb = format == MediaFileFormat::PngPicture;
  const bool jpeg = format == MediaFileFormat::AviMjpegPcm;
  const ColourTags colour =
      jpeg || rgb ? ColourTags{AVCOL_PRI_UNSPECIFIED, AVCOL_TRC_UNSPECIFIED,
                               rgb ? AVCOL_SPC_RGB : AVCOL_SPC_BT470BG, SWS_CS_ITU601, kBt601Matrix}
                  : TagsOf(OutputColourOf(settings.width, settings.height, settings.framesPer1000s));
  video.color_primaries = colour.primaries;
  video.color_trc = colour.transfer;
  video.colorspace = colour.matrix;
  video.color_range = jpeg || rgb ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
  ConfigureVideoEncoder(format, settings.quality > 0 ? settings.quality : traits.defaultQuality, video);
  if (output->oformat->flags & AVFMT_GLOBALHEADER) video.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  int result = avcodec_open2(&video, videoCodec, nullptr);
  if (result < 0) {
    error = "cannot open the picture encoder: " + AvErrorText(result);
    return false;
  }
  videoStream = avformat_new_stream(output.get(), nullptr);
  avcodec_parameters_from_context(videoStream->codecpar, &video);
  videoStream->time_base = video.time_base;
  videoStream->avg_frame_rate = video.framerate;
  videoStream->r_frame_rate = video.framerate;
  videoStream->sample_aspect_ratio = video.sample_aspect_ratio;
  if (jpeg) videoStream->codecpar->codec_tag = MKTAG('M', 'J', 'P', 'G');

  videoFrame.reset(av_frame_alloc());
  videoFrame->format = video.pix_fmt;
  videoFrame->width = video.width;
  videoFrame->height = video.height;
  // Some encoders (ProRes) take the colours from each picture, and MJPEG its
  // fixed quantiser; the frame keeps them from picture to picture.
  videoFrame->color_primaries = video.color_primaries;
  videoFrame->color_trc = video.color_trc;
  videoFrame->colorspace = video.colorspace;
  videoFrame->color_range = video.color_range;
  videoFrame->quality = video.global_quality;
  if (av_frame_get_buffer(videoFrame.get(), 0) < 0) {
    error = "out of memory";
    return false;
  }
  if (video.pix_fmt == AV_PIX_FMT_YUV420P) {
    yuv420 = colour.weights;
    return true;
  }
  bool fullRange = false;
  const AVPixelFormat scaled = WithoutRangeAlias(video.pix_fmt, fullRange);
  if (rgb) fullRange = true;
  scaler.reset(sws_getContext(video.width, video.height, AV_PIX_FMT_RGB24, video.width, video.height, scaled,
                              SWS_BICUBIC, nullptr, nullptr, nullptr));
  if (!scaler) {
    error = "no picture converter";
    return false;
  }
  // Full-range RGB in; YUV out in the matrix and range the file is tagged with.
  const int* coefficients = sws_getCoefficients(colour.swsMatrix);
  sws_setColorspaceDetails(scaler.get(), coefficients, 1, coefficients, fullRange ? 1 : 0, 0, 1 << 16, 1 << 16);
  return true;
}

bool MediaFileEncoder::State::OpenAudio(const FormatTraits& traits, std::string& error) {
  const AVCodec* audioCodec = avcodec_find_encoder_by_name(traits.audioEncoder);
  if (!audioCodec) {
    error = std::string("no ") + traits.audioEncoder + " encoder";
    return false;
  }
  this->audio.reset(avcodec_alloc_context3(audioCodec));
  AVCodecContext& audio = *this->audio;
  audio.sample_rate = settings.sampleRate;
  audio.ch_layout = AV_CHANNEL_LAYOUT_STEREO;
  audio.sample_fmt = traits.samples;
  audio.time_base = AVRational{1, settings.sampleRate};
  if (traits.audioBitRate > 0) audio.bit_rate = traits.audioBitRate;
  if (output->oformat->flags & AVFMT_GLOBALHEADER) audio.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  const int result = avcodec_open2(&audio, audioCodec, nullptr);
  if (result < 0) {
    error = "cannot open the sound encoder: " + AvErrorText(result);
    return false;
  }
  audioStream = avformat_new_stream(output.get(), nullptr);
  avcodec_parameters_from_context(audioStream->codecpar, &audio);
  audioStream->time_base = audio.time_base;
  audioFrame.reset(av_frame_alloc());
  audioFrame->format = audio.sample_fmt;
  audioFrame->sample_rate = audio.sample_rate;
  av_channel_layout_copy(&audioFrame->ch_layout, &audio.ch_layout);
  audioFrame->nb_samples = audio.frame_size > 0 ? audio.frame_size : 1024;
  if (av_frame_get_buffer(audioFrame.get(), 0) < 0) {
    error = "out of memory";
    return false;
  }
  return true;
}

MediaFileEncoder::MediaFileEncoder(std::unique_ptr<State> state) : state_(std::move(state)) {}

MediaFileEncoder::~MediaFileEncoder() {
  if (state_ && !state_->finished) Finish();
}

std::unique_ptr<MediaFileEncoder> MediaFileEncoder::Open(const std::string& path, const MediaFileSettings& settings,
                                                         std::string& error) {
  auto state = std::make_unique<State>();
  state->settings = settings;
  const FormatTraits traits = TraitsOf(settings.format);
  if (settings.width <= 0 || settings.height <= 0 || settings.framesPer1000s <= 0 || settings.sampleRate <= 0) {
    error = "bad picture or sound format";
    return nullptr;
  }
  AVFormatContext* rawOutput = nullptr;
  int result = avformat_alloc_output_context2(&rawOutput, nullptr, traits.muxer, path.c_str());
  if (result < 0 || !rawOutput) {
    error = "cannot make the output: " + AvErrorText(result);
    return nullptr;
  }
  state->output.reset(rawOutput);
  // One picture under the name given, not a numbered sequence.
  if (settings.format == MediaFileFormat::PngPicture) av_opt_set_int(rawOutput->priv_data, "update", 1, 0);
  if (traits.videoEncoder && !state->OpenVideo(traits, error)) return nullptr;
  if (traits.audioEncoder && !state->OpenAudio(traits, error)) return nullptr;

  if (!(state->output->oformat->flags & AVFMT_NOFILE)) {
    if ((result = avio_open(&state->output->pb, path.c_str(), AVIO_FLAG_WRITE)) < 0) {
      error = "cannot create " + path + ": " + AvErrorText(result);
      return nullptr;
    }
  }
  if ((result = avformat_write_header(state->output.get(), nullptr)) < 0) {
    error = "cannot write the file header: " + AvErrorText(result);
    return nullptr;
  }
  state->packet.reset(av_packet_alloc());
  if (!state->packet) {
    error = "out of memory";
    return nullptr;
  }
  return std::unique_ptr<MediaFileEncoder>(new MediaFileEncoder(std::move(state)));
}

bool MediaFileEncoder::WriteVideoFrame(const std::uint8_t* rgb24) {
  State& s = *state_;
  if (s.finished) return s.Fail("the file is finished");
  if (!s.video || (s.settings.format == MediaFileFormat::PngPicture && s.videoFrames > 0)) return true;
  const int ready = av_frame_make_writable(s.videoFrame.get());
  if (ready < 0) return s.Fail("picture frame", ready);
  AVFrame& picture = *s.videoFrame;
  if (s.yuv420) {
    RgbToYuv420(rgb24, s.settings.width, s.settings.height, *s.yuv420,
                {picture.data[0], picture.data[1], picture.data[2], picture.linesize[0], picture.linesize[1],
                 picture.linesize[2]});
  } else {
    const std::uint8_t* planes[1] = {rgb24};
    const int strides[1] = {s.settings.width * 3};
    sws_scale(s.scaler.get(), planes, strides, 0, s.settings.height, picture.data, picture.linesize);
  }
  s.videoFrame->pts = s.videoFrames++;
  return s.Send(*s.video, *s.videoStream, s.videoFrame.get());
}

bool MediaFileEncoder::WriteVideoFrame(const AVFrame& yuv) {
  State& s = *state_;
  if (s.finished) return s.Fail("the file is finished");
  if (!s.video || (s.settings.format == MediaFileFormat::PngPicture && s.videoFrames > 0)) return true;
  if (yuv.width != s.settings.width || yuv.height != s.settings.height) return s.Fail("picture of the wrong size");
  const int ready = av_frame_make_writable(s.videoFrame.get());
  if (ready < 0) return s.Fail("picture frame", ready);
  AVFrame& picture = *s.videoFrame;
  bool fromFull = yuv.color_range == AVCOL_RANGE_JPEG;
  const AVPixelFormat from = WithoutRangeAlias(static_cast<AVPixelFormat>(yuv.format), fromFull);
  bool toFull = s.video->color_range == AVCOL_RANGE_JPEG;
  const AVPixelFormat to = WithoutRangeAlias(s.video->pix_fmt, toFull);
  // Matrices of one table (BT.470BG and SMPTE 170M) are the same.
  const AVColorSpace matrix = yuv.colorspace == AVCOL_SPC_UNSPECIFIED ? s.video->colorspace : yuv.colorspace;
  const int* fromMatrix = sws_getCoefficients(matrix);
  const int* toMatrix = sws_getCoefficients(s.video->colorspace);
  const bool sameMatrix = std::equal(fromMatrix, fromMatrix + 4, toMatrix);
  const std::uint8_t* planes[4] = {yuv.data[0], yuv.data[1], yuv.data[2], yuv.data[3]};
  if (from == to && fromFull == toFull && sameMatrix && yuv.buf[0]) {
    // The encoder takes a reference to the caller's buffers: no copy. The
    // caller writes into them again only once nothing else holds them.
    AvFramePtr shared(av_frame_clone(&yuv));
    if (!shared) return s.Fail("picture frame", AVERROR(ENOMEM));
    const AVFrame& own = *s.videoFrame;
    shared->format = own.format;
    shared->color_primaries = own.color_primaries;
    shared->color_trc = own.color_trc;
    shared->colorspace = own.colorspace;
    shared->color_range = own.color_range;
    shared->quality = own.quality;
    shared->pts = s.videoFrames++;
    return s.Send(*s.video, *s.videoStream, shared.get());
  }
  if (from == to && fromFull == toFull && sameMatrix) {
    av_image_copy(picture.data, picture.linesize, planes, yuv.linesize, to, yuv.width, yuv.height);
  } else {
    s.yuvScaler.reset(sws_getCachedContext(s.yuvScaler.release(), yuv.width, yuv.height, from, yuv.width,
                                           yuv.height, to, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!s.yuvScaler) return s.Fail("no converter for the picture's format");
    sws_setColorspaceDetails(s.yuvScaler.get(), fromMatrix, fromFull ? 1 : 0, toMatrix, toFull ? 1 : 0, 0, 1 << 16,
                             1 << 16);
    sws_scale(s.yuvScaler.get(), planes, yuv.linesize, 0, yuv.height, picture.data, picture.linesize);
  }
  s.videoFrame->pts = s.videoFrames++;
  return s.Send(*s.video, *s.videoStream, s.videoFrame.get());
}

bool MediaFileEncoder::WriteAudio(const float* interleavedStereo, std::size_t frames) {
  State& s = *state_;
  if (s.finished) return s.Fail("the file is finished");
  if (!s.audio) return true;
  s.pendingAudio.insert(s.pendingAudio.end(), interleavedStereo, interleavedStereo + frames * 2);
  s.audioWritten += static_cast<std::int64_t>(frames);
  return s.EncodePendingAudio(false);
}

bool MediaFileEncoder::Finish() {
  State& s = *state_;
  if (s.finished) return s.error.empty();
  s.finished = true;
  bool ok = true;
  if (s.audio) ok = s.EncodePendingAudio(true);
  if (s.video) ok = s.Send(*s.video, *s.videoStream, nullptr) && ok;
  if (s.audio) ok = s.Send(*s.audio, *s.audioStream, nullptr) && ok;
  const int trailer = av_write_trailer(s.output.get());
  if (trailer < 0 && ok) ok = s.Fail("cannot finish the file", trailer);
  // The last buffered bytes reach the file only when it is closed.
  if (!(s.output->oformat->flags & AVFMT_NOFILE) && s.output->pb) {
    avio_flush(s.output->pb);
    const int pending = s.output->pb->error;
    const int closed = avio_closep(&s.output->pb);
    if (pending < 0 && ok) ok = s.Fail("writing the file failed", pending);
    if (closed < 0 && ok) ok = s.Fail("writing the file failed", closed);
  }
  return ok;
}

void MediaFileEncoder::Abandon() {
  State& s = *state_;
  if (s.finished) return;
  s.finished = true;
  if (!(s.output->oformat->flags & AVFMT_NOFILE) && s.output->pb) avio_closep(&s.output->pb);
}

std::int64_t MediaFileEncoder::VideoFramesWritten() const { return state_->videoFrames; }
std::int64_t MediaFileEncoder::AudioFramesWritten() const { return state_->audioWritten; }
const std::string& MediaFileEncoder::Error() const { return state_->error; }

}  // namespace vantorelle
