#include "playback/media_file_encoder.h"

#include <algorithm>
#include <optional>
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

}  // namespace

OutputColour OutputColourOf(int width, int height, int framesPer1000s) {
  // Where players take untagged pictures as BT.709 too.
  if (width >= 1280 || height >= 720) return OutputColour::Bt709;
  return framesPer1000s == 25000 || framesPer1000s == 50000 ? OutputColour::Bt601Pal : OutputColour::Bt601Ntsc;
}

struct MediaFileEncoder::State {
  MediaFileSettings settings;
  AvOutputPtr output;
  AvCodecContextPtr video;
  AvCodecContextPtr audio;
  AVStream* videoStream = nullptr;
  AVStream* audioStream = nullptr;
  AvFramePtr videoFrame;
  AvFramePtr audioFrame;
  AvPacketPtr packet;
  SwsContextPtr scaler;  // MJPEG's full-range 4:2:2
  SwsContextPtr yuvScaler;  // YUV pictures of another format or range
  std::optional<YuvMatrix> yuv420;  // H.264's 4:2:0, converted without swscale
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
};

MediaFileEncoder::MediaFileEncoder(std::unique_ptr<State> state) : state_(std::move(state)) {}

MediaFileEncoder::~MediaFileEncoder() {
  if (state_ && !state_->finished) Finish();
}

std::unique_ptr<MediaFileEncoder> MediaFileEncoder::Open(const std::string& path, const MediaFileSettings& settings,
                                                         std::string& error) {
  auto state = std::make_unique<State>();
  state->settings = settings;
  const bool mp4 = settings.format == MediaFileFormat::Mp4H264Aac;
  if (settings.width <= 0 || settings.height <= 0 || settings.framesPer1000s <= 0 || settings.sampleRate <= 0) {
    error = "bad picture or sound format";
    return nullptr;
  }
  AVFormatContext* rawOutput = nullptr;
  int result = avformat_alloc_output_context2(&rawOutput, nullptr, mp4 ? "mp4" : "avi", path.c_str());
  if (result < 0 || !rawOutput) {
    error = "cannot make the output: " + AvErrorText(result);
    return nullptr;
  }
  state->output.reset(rawOutput);

  // Pictures.
  const AVCodec* videoCodec = avcodec_find_encoder(mp4 ? AV_CODEC_ID_H264 : AV_CODEC_ID_MJPEG);
  if (!videoCodec) {
    error = mp4 ? "no H.264 encoder" : "no MJPEG encoder";
    return nullptr;
  }
  state->video.reset(avcodec_alloc_context3(videoCodec));
  AVCodecContext& video = *state->video;
  video.width = settings.width;
  video.height = settings.height;
  const FrameRateFraction rate = ExactFrameRate(settings.framesPer1000s);
  video.framerate = AVRational{rate.numerator, rate.denominator};
  video.time_base = av_inv_q(video.framerate);
  video.pix_fmt = mp4 ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUVJ422P;
  if (settings.pixelAspectNumerator > 0 && settings.pixelAspectDenominator > 0) {
    video.sample_aspect_ratio = AVRational{settings.pixelAspectNumerator, settings.pixelAspectDenominator};
  }
  const ColourTags colour =
      mp4 ? TagsOf(OutputColourOf(settings.width, settings.height, settings.framesPer1000s))
          : ColourTags{AVCOL_PRI_UNSPECIFIED, AVCOL_TRC_UNSPECIFIED, AVCOL_SPC_BT470BG, SWS_CS_ITU601, kBt601Matrix};
  video.color_primaries = colour.primaries;
  video.color_trc = colour.transfer;
  video.colorspace = colour.matrix;
  video.color_range = mp4 ? AVCOL_RANGE_MPEG : AVCOL_RANGE_JPEG;
  if (mp4) {
    video.gop_size = 25;
    av_opt_set(video.priv_data, "preset", "veryfast", 0);
    av_opt_set(video.priv_data, "crf", "20", 0);
  } else {
    video.flags |= AV_CODEC_FLAG_QSCALE;
    video.global_quality = FF_QP2LAMBDA * 3;
  }
  if (state->output->oformat->flags & AVFMT_GLOBALHEADER) video.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  // The encoder's own threads (x264's, MJPEG's slices or frames), as many as it sees cores.
  video.thread_count = 0;
  video.thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  if ((result = avcodec_open2(&video, videoCodec, nullptr)) < 0) {
    error = "cannot open the picture encoder: " + AvErrorText(result);
    return nullptr;
  }
  state->videoStream = avformat_new_stream(state->output.get(), nullptr);
  avcodec_parameters_from_context(state->videoStream->codecpar, &video);
  state->videoStream->time_base = video.time_base;
  state->videoStream->avg_frame_rate = video.framerate;
  state->videoStream->r_frame_rate = video.framerate;
  state->videoStream->sample_aspect_ratio = video.sample_aspect_ratio;
  if (!mp4) state->videoStream->codecpar->codec_tag = MKTAG('M', 'J', 'P', 'G');

  // Sound.
  const AVCodec* audioCodec = avcodec_find_encoder(mp4 ? AV_CODEC_ID_AAC : AV_CODEC_ID_PCM_S16LE);
  if (!audioCodec) {
    error = mp4 ? "no AAC encoder" : "no PCM encoder";
    return nullptr;
  }
  state->audio.reset(avcodec_alloc_context3(audioCodec));
  AVCodecContext& audio = *state->audio;
  audio.sample_rate = settings.sampleRate;
  audio.ch_layout = AV_CHANNEL_LAYOUT_STEREO;
  audio.sample_fmt = mp4 ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_S16;
  audio.time_base = AVRational{1, settings.sampleRate};
  if (mp4) audio.bit_rate = 192000;
  if (state->output->oformat->flags & AVFMT_GLOBALHEADER) audio.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if ((result = avcodec_open2(&audio, audioCodec, nullptr)) < 0) {
    error = "cannot open the sound encoder: " + AvErrorText(result);
    return nullptr;
  }
  state->audioStream = avformat_new_stream(state->output.get(), nullptr);
  avcodec_parameters_from_context(state->audioStream->codecpar, &audio);
  state->audioStream->time_base = audio.time_base;

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

  state->videoFrame.reset(av_frame_alloc());
  state->videoFrame->format = video.pix_fmt;
  state->videoFrame->width = video.width;
  state->videoFrame->height = video.height;
  state->audioFrame.reset(av_frame_alloc());
  state->audioFrame->format = audio.sample_fmt;
  state->audioFrame->sample_rate = audio.sample_rate;
  av_channel_layout_copy(&state->audioFrame->ch_layout, &audio.ch_layout);
  state->audioFrame->nb_samples = audio.frame_size > 0 ? audio.frame_size : 1024;
  state->packet.reset(av_packet_alloc());
  if (av_frame_get_buffer(state->videoFrame.get(), 0) < 0 || av_frame_get_buffer(state->audioFrame.get(), 0) < 0 ||
      !state->packet) {
    error = "out of memory";
    return nullptr;
  }
  if (mp4) {
    state->yuv420 = colour.weights;
    return std::unique_ptr<MediaFileEncoder>(new MediaFileEncoder(std::move(state)));
  }
  bool fullRange = false;
  const AVPixelFormat scaled = WithoutRangeAlias(video.pix_fmt, fullRange);
  state->scaler.reset(sws_getContext(video.width, video.height, AV_PIX_FMT_RGB24, video.width, video.height, scaled,
                                     SWS_BICUBIC, nullptr, nullptr, nullptr));
  if (!state->scaler) {
    error = "no picture converter";
    return nullptr;
  }
  // Full-range RGB in; YUV out in the matrix and range the file is tagged with.
  const int* coefficients = sws_getCoefficients(colour.swsMatrix);
  sws_setColorspaceDetails(state->scaler.get(), coefficients, 1, coefficients, fullRange ? 1 : 0, 0, 1 << 16,
                           1 << 16);
  return std::unique_ptr<MediaFileEncoder>(new MediaFileEncoder(std::move(state)));
}

bool MediaFileEncoder::WriteVideoFrame(const std::uint8_t* rgb24) {
  State& s = *state_;
  if (s.finished) return s.Fail("the file is finished");
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
  s.pendingAudio.insert(s.pendingAudio.end(), interleavedStereo, interleavedStereo + frames * 2);
  s.audioWritten += static_cast<std::int64_t>(frames);
  return s.EncodePendingAudio(false);
}

bool MediaFileEncoder::Finish() {
  State& s = *state_;
  if (s.finished) return s.error.empty();
  s.finished = true;
  bool ok = s.EncodePendingAudio(true);
  ok = s.Send(*s.video, *s.videoStream, nullptr) && ok;
  ok = s.Send(*s.audio, *s.audioStream, nullptr) && ok;
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

std::int64_t MediaFileEncoder::VideoFramesWritten() const { return state_->videoFrames; }
std::int64_t MediaFileEncoder::AudioFramesWritten() const { return state_->audioWritten; }
const std::string& MediaFileEncoder::Error() const { return state_->error; }

}  // namespace vantorelle
