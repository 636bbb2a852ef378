#include "support/media_file_reader.h"

#include "playback/ffmpeg_handles.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace vantorelle::testing {
namespace {

struct SwrFree {
  void operator()(SwrContext* context) const { swr_free(&context); }
};

AvCodecContextPtr OpenDecoder(const AVStream& stream) {
  const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
  if (!codec) return nullptr;
  AvCodecContextPtr context(avcodec_alloc_context3(codec));
  if (avcodec_parameters_to_context(context.get(), stream.codecpar) < 0) return nullptr;
  if (avcodec_open2(context.get(), codec, nullptr) < 0) return nullptr;
  return context;
}

}  // namespace

DecodedMedia::Rgb DecodedMedia::MeanColour(std::size_t frame, int x, int y, int size) const {
  long r = 0, g = 0, b = 0;
  const auto& pixels = frames.at(frame);
  for (int dy = 0; dy < size; ++dy) {
    for (int dx = 0; dx < size; ++dx) {
      const std::size_t at = (static_cast<std::size_t>(y + dy) * width + static_cast<std::size_t>(x + dx)) * 3;
      r += pixels[at];
      g += pixels[at + 1];
      b += pixels[at + 2];
    }
  }
  const long n = static_cast<long>(size) * size;
  return {static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n)};
}

std::optional<DecodedMedia> DecodeMediaFile(const std::string& path) {
  AVFormatContext* rawInput = nullptr;
  if (avformat_open_input(&rawInput, path.c_str(), nullptr, nullptr) < 0) return std::nullopt;
  AvInputPtr input(rawInput);
  if (avformat_find_stream_info(input.get(), nullptr) < 0) return std::nullopt;
  DecodedMedia media;
  media.container = input->iformat->name;
  const int videoIndex = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  const int audioIndex = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  AvCodecContextPtr video = videoIndex >= 0 ? OpenDecoder(*input->streams[videoIndex]) : nullptr;
  AvCodecContextPtr audio = audioIndex >= 0 ? OpenDecoder(*input->streams[audioIndex]) : nullptr;
  std::unique_ptr<SwrContext, SwrFree> resampler;
  if (video) {
    media.videoCodec = avcodec_get_name(video->codec_id);
    media.width = video->width;
    media.height = video->height;
    media.framesPerSecond = av_q2d(input->streams[videoIndex]->avg_frame_rate);
  }
  if (audio) {
    media.audioCodec = avcodec_get_name(audio->codec_id);
    media.sampleRate = audio->sample_rate;
    media.channels = audio->ch_layout.nb_channels;
    SwrContext* raw = nullptr;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    if (swr_alloc_set_opts2(&raw, &stereo, AV_SAMPLE_FMT_FLT, audio->sample_rate, &audio->ch_layout,
                            audio->sample_fmt, audio->sample_rate, 0, nullptr) < 0 ||
        swr_init(raw) < 0) {
      return std::nullopt;
    }
    resampler.reset(raw);
  }
  AvPacketPtr packet(av_packet_alloc());
  AvFramePtr frame(av_frame_alloc());
  SwsContextPtr scaler;
  const auto drain = [&](AVCodecContext& codec, bool isVideo) {
    while (avcodec_receive_frame(&codec, frame.get()) == 0) {
      if (isVideo) {
        // swscale may write up to 16 pixels past a row's end: room for it past the last.
        const std::size_t size = static_cast<std::size_t>(frame->width) * frame->height * 3;
        std::vector<std::uint8_t> rgb(size + 16 * 4);
        ConvertFrameToRgb24(*frame, scaler, rgb.data());
        rgb.resize(size);
        media.frames.push_back(std::move(rgb));
      } else {
        const std::size_t start = media.audio.size();
        media.audio.resize(start + static_cast<std::size_t>(frame->nb_samples) * 2);
        auto* out = reinterpret_cast<std::uint8_t*>(media.audio.data() + start);
        swr_convert(resampler.get(), &out, frame->nb_samples, const_cast<const std::uint8_t**>(frame->extended_data),
                    frame->nb_samples);
      }
      av_frame_unref(frame.get());
    }
  };
  // A decoder that holds frames refuses more input until they are taken.
  const auto feed = [&](AVCodecContext& codec, bool isVideo) {
    while (avcodec_send_packet(&codec, packet.get()) == AVERROR(EAGAIN)) drain(codec, isVideo);
    drain(codec, isVideo);
  };
  while (av_read_frame(input.get(), packet.get()) >= 0) {
    if (video && packet->stream_index == videoIndex) feed(*video, true);
    if (audio && packet->stream_index == audioIndex) feed(*audio, false);
    av_packet_unref(packet.get());
  }
  if (video) {
    avcodec_send_packet(video.get(), nullptr);
    drain(*video, true);
  }
  if (audio) {
    avcodec_send_packet(audio.get(), nullptr);
    drain(*audio, false);
  }
  return media;
}

}  // namespace vantorelle::testing
